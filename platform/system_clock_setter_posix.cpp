// The clock setter of Linux: libcap for the capability, clock_settime for the clock.
#include "platform/system_clock_setter.h"

#include <sys/capability.h>

#include <cerrno>
#include <ctime>

namespace velkaro {

bool TSystemClockSetter::SetTimePrivilege(bool enable) {
    cap_t caps = cap_get_proc();
    if (caps == nullptr) return false;
    cap_value_t which[] = {CAP_SYS_TIME};
    // Raising fails here unless the capability is in the permitted set, which is the test
    // of whether this account may change the time at all.
    bool ok = cap_set_flag(caps, CAP_EFFECTIVE, 1, which, enable ? CAP_SET : CAP_CLEAR) == 0 &&
              cap_set_proc(caps) == 0;
    if (ok && enable) {
        cap_flag_value_t value = CAP_CLEAR;
        cap_t now = cap_get_proc();
        ok = now != nullptr && cap_get_flag(now, CAP_SYS_TIME, CAP_EFFECTIVE, &value) == 0 &&
             value == CAP_SET;
        if (now != nullptr) cap_free(now);
    }
    cap_free(caps);
    return ok;
}

bool LocalTimeToTimespec(const TPlatformTime& local, timespec& out) {
    std::tm tm{};
    tm.tm_year = local.Year - 1900;
    tm.tm_mon = local.Month - 1;
    tm.tm_mday = local.Day;
    tm.tm_hour = local.Hour;
    tm.tm_min = local.Minute;
    tm.tm_sec = local.Second;
    tm.tm_isdst = -1;  // let the zone rules say whether summer time applies
    errno = 0;
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) && errno != 0) return false;
    out.tv_sec = t;
    out.tv_nsec = static_cast<long>(local.Millisecond) * 1000000L;
    return true;
}

bool TSystemClockSetter::SetLocalTime(const TPlatformTime& local) {
    timespec ts{};
    return LocalTimeToTimespec(local, ts) && clock_settime(CLOCK_REALTIME, &ts) == 0;
}

}  // namespace velkaro
