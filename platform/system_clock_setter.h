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
    // Sets the clock to a UTC time. False when that fails. The system clock counts UTC, so no
    // local-time conversion (with its summer-time overlaps) stands in between.
    virtual bool SetSystemTimeUtc(const TPlatformTime& utc) = 0;
};

// Linux only: a UTC time as seconds and nanoseconds since 1970. False when the fields name no
// time.
bool UtcTimeToTimespec(const TPlatformTime& utc, timespec& out);

// Linux: the right is CAP_SYS_TIME in the effective set; the clock is CLOCK_REALTIME.
// Windows: the right is SeSystemtimePrivilege in the process token; the clock is set in UTC.
class TSystemClockSetter : public TClockSetter {
public:
    bool SetTimePrivilege(bool enable) override;
    bool SetSystemTimeUtc(const TPlatformTime& utc) override;
};

}  // namespace velkaro
