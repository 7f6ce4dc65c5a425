// System clock on POSIX: CLOCK_REALTIME broken down in UTC or in the machine's local zone.
#include "platform/clock.h"

#include <ctime>

namespace velkaro {

namespace {

TPlatformTime Read(bool utc) {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    if (utc) gmtime_r(&ts.tv_sec, &tm);
    else localtime_r(&ts.tv_sec, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     static_cast<int>(ts.tv_nsec / 1000000)};
}

}  // namespace

TPlatformTime SystemTimeUtc() { return Read(true); }
TPlatformTime SystemTimeLocal() { return Read(false); }

}  // namespace velkaro
