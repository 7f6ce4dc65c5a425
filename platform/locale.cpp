// The built-in English locale and the platform's date and time pictures. Output is the same
// on every machine, whatever locale the machine itself uses.
#include "platform/locale.h"

namespace velkaro {

namespace {

TLocaleData MakeEnglish() {
    TLocaleData d;
    d.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    d.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    d.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    d.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    d.DateSeparator = "/";
    d.TimeSeparator = ":";
    d.TimeAMString = "AM";
    d.TimePMString = "PM";
    d.ShortDateFormat = "M/d/yyyy";
    d.LongDateFormat = "dddd, MMMM d, yyyy";
    d.LongTimeFormat = "h:mm:ss tt";
    return d;
}

TLocaleData& Current() {
    static TLocaleData data = MakeEnglish();
    return data;
}

std::string Pad2(int v) {
    std::string s = std::to_string(v);
    if (v >= 0 && v < 10) s.insert(s.begin(), '0');
    return s;
}

// Walks a picture: quoted runs are copied, runs of one letter are handed to emit.
template <typename Emit>
std::string WalkPicture(const std::string& picture, Emit emit) {
    std::string out;
    for (size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            const auto end = picture.find('\'', i + 1);
            if (end == i + 1) out += '\'';  // two quotes: one quote
            else out += picture.substr(i + 1, (end == std::string::npos ? picture.size() : end) - i - 1);
            i = end == std::string::npos ? picture.size() : end + 1;
            continue;
        }
        size_t n = 1;
        while (i + n < picture.size() && picture[i + n] == c) ++n;
        if (!emit(c, n, out)) out.append(n, c);
        i += n;
    }
    return out;
}

}  // namespace

void SetThreadLocale(uint32_t /*lcid*/) { Current() = MakeEnglish(); }

const TLocaleData& ThreadLocale() { return Current(); }

std::string FormatDatePicture(const std::string& picture, int year, int month, int day, int dayOfWeek) {
    const TLocaleData& l = ThreadLocale();
    return WalkPicture(picture, [&](char c, size_t n, std::string& out) {
        switch (c) {
            case 'd':
                if (n == 1) out += std::to_string(day);
                else if (n == 2) out += Pad2(day);
                else if (n == 3) out += l.ShortDayNames[dayOfWeek];
                else out += l.LongDayNames[dayOfWeek];
                return true;
            case 'M':
                if (n == 1) out += std::to_string(month);
                else if (n == 2) out += Pad2(month);
                else if (n == 3) out += l.ShortMonthNames[month - 1];
                else out += l.LongMonthNames[month - 1];
                return true;
            case 'y':
                if (n <= 2) out += (n == 2 ? Pad2(year % 100) : std::to_string(year % 100));
                else out += std::to_string(year);
                return true;
            default:
                return false;
        }
    });
}

std::string FormatTimePicture(const std::string& picture, int hour, int minute, int second) {
    const TLocaleData& l = ThreadLocale();
    return WalkPicture(picture, [&](char c, size_t n, std::string& out) {
        const int h12 = hour % 12 == 0 ? 12 : hour % 12;
        switch (c) {
            case 'h': out += n == 1 ? std::to_string(h12) : Pad2(h12); return true;
            case 'H': out += n == 1 ? std::to_string(hour) : Pad2(hour); return true;
            case 'm': out += n == 1 ? std::to_string(minute) : Pad2(minute); return true;
            case 's': out += n == 1 ? std::to_string(second) : Pad2(second); return true;
            case 't': {
                const std::string& d = hour < 12 ? l.TimeAMString : l.TimePMString;
                out += n == 1 ? d.substr(0, 1) : d;
                return true;
            }
            default:
                return false;
        }
    });
}

}  // namespace velkaro
