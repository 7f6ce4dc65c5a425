// Reading the system clock. (Setting it lives with the time synchronizer's clock interface.)
#pragma once

namespace velkaro {

struct TPlatformTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

TPlatformTime SystemTimeUtc();
TPlatformTime SystemTimeLocal();

}  // namespace velkaro
