// The clock setter of Linux: libcap for the capability, clock_settime for the clock.
#include "platform/system_clock_setter.h"

#include <sys/capability.h>

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

bool UtcTimeToTimespec(const TPlatformTime& utc, timespec& out) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (utc.Year % 4 == 0 && utc.Year % 100 != 0) || utc.Year % 400 == 0;
    if (utc.Year < 1970 || utc.Year > 9999 || utc.Month < 1 || utc.Month > 12 || utc.Day < 1 ||
        utc.Day > kDays[utc.Month - 1] + (utc.Month == 2 && leap ? 1 : 0) || utc.Hour < 0 || utc.Hour > 23 ||
        utc.Minute < 0 || utc.Minute > 59 || utc.Second < 0 || utc.Second > 59 || utc.Millisecond < 0 ||
        utc.Millisecond > 999)
        return false;
    // Days since 1970-01-01 of a proleptic Gregorian date (March-based years).
    const int y = utc.Year - (utc.Month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int mp = (utc.Month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + utc.Day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
    out.tv_sec = static_cast<std::time_t>(days * 86400 + utc.Hour * 3600 + utc.Minute * 60 + utc.Second);
    out.tv_nsec = static_cast<long>(utc.Millisecond) * 1000000L;
    return true;
}

bool TSystemClockSetter::SetSystemTimeUtc(const TPlatformTime& utc) {
    timespec ts{};
    return UtcTimeToTimespec(utc, ts) && clock_settime(CLOCK_REALTIME, &ts) == 0;
}

}  // namespace velkaro
