// Locale data for the English locale the program forces, and the platform's date and time
// "picture" formatting, so output never depends on the machine's own locale.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velkaro {

struct TLocaleData {
    std::array<std::string, 12> LongMonthNames;
    std::array<std::string, 12> ShortMonthNames;
    std::array<std::string, 7> LongDayNames;   // Sunday first
    std::array<std::string, 7> ShortDayNames;  // Sunday first
    std::string DateSeparator;
    std::string TimeSeparator;
    std::string TimeAMString;
    std::string TimePMString;
    std::string ShortDateFormat;
    std::string LongDateFormat;
    std::string LongTimeFormat;
    bool Clock24 = false;          // 24-hour clock
    bool HourLeadingZero = false;  // long time format pads the hour
    bool DesignatorFirst = false;  // AM/PM before the time
};

constexpr uint32_t kEnglishLocaleId = 0x10009;

// Selects the thread locale; only the English locale is built in, any id selects it.
void SetThreadLocale(uint32_t lcid);
const TLocaleData& ThreadLocale();

// Date picture: d dd ddd dddd M MM MMM MMMM y yy yyyy, quoted runs with '. dayOfWeek 0 = Sunday.
std::string FormatDatePicture(const std::string& picture, int year, int month, int day, int dayOfWeek);
// Time picture: h hh H HH m mm s ss t tt, quoted runs with '.
std::string FormatTimePicture(const std::string& picture, int hour, int minute, int second);

}  // namespace velkaro
