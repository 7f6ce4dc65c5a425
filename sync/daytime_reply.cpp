#include "sync/daytime_reply.h"

#include <array>
#include <cctype>
#include <cstdint>

namespace velkaro {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == ':' || c == '\r' || c == '\n'; }

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

bool IsValidCalendarDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[static_cast<size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
}

struct TZoneName {
    const char* Name;
    int Bias;
};

constexpr std::array<TZoneName, 18> kZoneNames = {{
    {"NST", 210}, {"AST", 240}, {"ADT", 180}, {"EST", 300}, {"EDT", 240}, {"CST", 360},
    {"CDT", 300}, {"MST", 420}, {"MDT", 360}, {"PST", 480}, {"PDT", 420}, {"YST", 540},
    {"YDT", 480}, {"HST", 600}, {"HDT", 540}, {"BST", 660}, {"BDT", 600}, {"GMT", 0},
}};

// Reads digits at s[pos..pos+count); false unless they are all there.
bool Digits(const std::string& s, size_t pos, size_t count, int& value) {
    if (pos + count > s.size()) return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitReplyTokens(const std::string& reply) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : reply) {
        if (IsSeparator(c)) {
            tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

int ReadReplyNumber(const std::string& token, int defaultValue) {
    size_t i = 0;
    while (i < token.size() && token[i] == ' ') ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) negative = token[i++] == '-';
    bool hex = false;
    if (i < token.size() && (token[i] == '$' || token[i] == 'x' || token[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < token.size() && token[i] == '0' && (token[i + 1] == 'x' || token[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= token.size()) return defaultValue;
    uint64_t value = 0;
    for (; i < token.size(); ++i) {
        int d = hex ? HexDigit(token[i]) : (std::isdigit(static_cast<unsigned char>(token[i])) ? token[i] - '0' : -1);
        if (d < 0) return defaultValue;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        // Hexadecimal fills all 32 bits (so $FFFFFFFF is -1); decimal must fit the signed range.
        if (value > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return defaultValue;
    }
    if (!hex && !negative && value > 0x7FFFFFFFull) return defaultValue;
    int32_t result = hex ? static_cast<int32_t>(static_cast<uint32_t>(value)) : 0;
    if (!hex) result = negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
    else if (negative) result = static_cast<int32_t>(0u - static_cast<uint32_t>(result));
    return result;
}

int MonthNameToNumber(const std::string& text) {
    static constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    std::string upper = Upper(text);
    for (size_t i = 0; i < kMonths.size(); ++i)
        if (upper == kMonths[i]) return static_cast<int>(i) + 1;
    return 0;
}

int ZoneNameToBias(const std::string& text) {
    std::string zone = Upper(text);
    if (zone.empty()) return 0;
    if (zone.size() == 1) {
        char c = zone[0];
        if (c >= 'A' && c <= 'I') return -60 * (c - 'A' + 1);
        if (c >= 'K' && c <= 'M') return -60 * (c - 'K' + 10);
        if (c >= 'N' && c <= 'Y') return 60 * (c - 'N' + 1);
        return 0;
    }
    if (std::isdigit(static_cast<unsigned char>(zone[0]))) {
        int hours = ReadReplyNumber(zone.substr(0, 2), 0);
        int minutes = ReadReplyNumber(zone.size() > 2 ? zone.substr(2, 2) : std::string(), 0);
        return -(hours * 60 + minutes);
    }
    if (zone[0] == '+' || zone[0] == '-') {
        int hours = ReadReplyNumber(zone.substr(1, 2), 0);
        int minutes = ReadReplyNumber(zone.size() > 3 ? zone.substr(3, 2) : std::string(), 0);
        int magnitude = hours * 60 + minutes;
        return zone[0] == '+' ? -magnitude : magnitude;
    }
    for (const TZoneName& z : kZoneNames)
        if (zone == z.Name) return z.Bias;
    return 0;
}

std::optional<TDateTime> ParseNistReply(const std::string& reply) {
    // Modified Julian Day, YY-MM-DD, HH:MM:SS, then health and advance fields we do not need.
    size_t i = 0;
    while (i < reply.size() && (reply[i] == '\r' || reply[i] == '\n' || reply[i] == ' ')) ++i;
    size_t mjdStart = i;
    long mjd = 0;
    while (i < reply.size() && std::isdigit(static_cast<unsigned char>(reply[i])) && i - mjdStart < 7)
        mjd = mjd * 10 + (reply[i++] - '0');
    if (i == mjdStart || i >= reply.size() || reply[i] != ' ') return std::nullopt;
    ++i;
    int yy = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(reply, i, 2, yy) || reply[i + 2] != '-' || !Digits(reply, i + 3, 2, month) ||
        reply[i + 5] != '-' || !Digits(reply, i + 6, 2, day))
        return std::nullopt;
    i += 8;
    if (i >= reply.size() || reply[i] != ' ') return std::nullopt;
    ++i;
    if (!Digits(reply, i, 2, hour) || reply[i + 2] != ':' || !Digits(reply, i + 3, 2, minute) ||
        reply[i + 5] != ':' || !Digits(reply, i + 6, 2, second))
        return std::nullopt;
    if (i + 8 < reply.size() && !IsSeparator(reply[i + 8])) return std::nullopt;
    // The day number says the century: day 51544 is 1 January 2000.
    int year = (mjd >= 51544 ? 2000 : 1900) + yy;
    if (!IsValidCalendarDate(year, month, day) || !IsValidTime(hour, minute, second)) return std::nullopt;
    return EncodeDateTime(year, month, day, hour, minute, second, 0);
}

std::optional<TDateTime> ParseServerReply(const std::string& reply) {
    std::vector<std::string> tokens = SplitReplyTokens(reply);
    auto number = [&](size_t index, int defaultValue) {
        return index < tokens.size() ? ReadReplyNumber(tokens[index], defaultValue) : 0;
    };
    int day = number(0, 1);
    int month = tokens.size() > 1 ? MonthNameToNumber(tokens[1]) : 0;
    int year = number(2, 2000);
    int hour = number(3, 0);
    int minute = number(4, 0);
    int second = number(5, 0);
    std::string zone = tokens.size() > 6 ? tokens[6] : "GMT";
    if (!IsValidCalendarDate(year, month, day) || !IsValidTime(hour, minute, second))
        return ParseNistReply(reply);
    TDateTime server = EncodeDateTime(year, month, day, hour, minute, second, 0);
    return IncTime(server, 0, ZoneNameToBias(zone), 0, 0);
}

}  // namespace velkaro
