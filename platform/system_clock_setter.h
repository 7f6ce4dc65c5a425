// Setting the computer's clock, behind an interface so that tests can replace it: no test may
// ever set the real clock.
#pragma once

#include <ctime>

#include "platform/clock.h"

namespace velkaro {

class TClockSetter {
public:
    virtual ~TClockSetter() = default;
    // Raises (enable) or drops the right to set the system time. False when that fails.
    virtual bool SetTimePrivilege(bool enable) = 0;
    // Sets the clock to a wall-clock time of the computer's own zone. False when that fails.
    virtual bool SetLocalTime(const TPlatformTime& local) = 0;
};

// Linux only: a wall-clock time of the computer's own zone as the instant the clock is set to.
// False when the fields name no time.
bool LocalTimeToTimespec(const TPlatformTime& local, timespec& out);

// Linux: the right is CAP_SYS_TIME in the effective set; the clock is CLOCK_REALTIME.
// Windows: the right is SeSystemtimePrivilege in the process token; the clock is set in UTC.
class TSystemClockSetter : public TClockSetter {
public:
    bool SetTimePrivilege(bool enable) override;
    bool SetLocalTime(const TPlatformTime& local) override;
};

}  // namespace velkaro
