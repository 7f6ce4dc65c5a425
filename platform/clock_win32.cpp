// System clock on Windows: GetSystemTime and GetLocalTime, already broken down.
#include <windows.h>

#include "platform/clock.h"

namespace velkaro {

namespace {

TPlatformTime FromSystemTime(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

TPlatformTime SystemTimeUtc() {
    SYSTEMTIME st{};
    GetSystemTime(&st);
    return FromSystemTime(st);
}

TPlatformTime SystemTimeLocal() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return FromSystemTime(st);
}

}  // namespace velkaro
