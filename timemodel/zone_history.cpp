// Reading a zone's history and looking offsets up in it: one binary search per conversion.
#include "timemodel/zone_history.h"

#include <algorithm>

#include "timemodel/date_time.h"

namespace velkaro {

namespace {

constexpr int64_t kMsPerMinute = 60'000;
// A history is the record of real offsets; outside these years a date is a typing error.
constexpr int kFirstYear = 1900, kLastYear = 2199;
constexpr int64_t kMaxOffsetMinutes = 24 * 60;

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Digits(const std::string& s, size_t at, size_t n) { return std::stoi(s.substr(at, n)); }

// "YYYYMMDDhhmm" or "YYYYMMDDhhmmss" in UTC, as ms since 1899-12-30.
std::optional<int64_t> ReadInstant(const std::string& s, std::string& why) {
    if ((s.size() != 12 && s.size() != 14) || !AllDigits(s)) {
        why = "the time is not YYYYMMDDhhmm";
        return std::nullopt;
    }
    const int year = Digits(s, 0, 4), month = Digits(s, 4, 2), day = Digits(s, 6, 2);
    const int hour = Digits(s, 8, 2), minute = Digits(s, 10, 2), second = s.size() == 14 ? Digits(s, 12, 2) : 0;
    if (year < kFirstYear || year > kLastYear) {
        why = "the year lies outside " + std::to_string(kFirstYear) + " to " + std::to_string(kLastYear);
        return std::nullopt;
    }
    if (!IsValidDate(year, month, day) || hour > 23 || minute > 59 || second > 59) {
        why = "no such date or time";
        return std::nullopt;
    }
    return DateTimeToMs(EncodeDateTime(year, month, day, hour, minute, second));
}

// Minutes east, optionally ":ss", within a day either way; in milliseconds.
std::optional<int64_t> ReadOffset(const std::string& s, std::string& why) {
    const bool negative = !s.empty() && s[0] == '-';
    const std::string body = s.substr(!s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0);
    const auto colon = body.find(':');
    const std::string minutes = body.substr(0, colon);
    const std::string seconds = colon == std::string::npos ? "00" : body.substr(colon + 1);
    if (!AllDigits(minutes) || minutes.size() > 4 || seconds.size() != 2 || !AllDigits(seconds) ||
        seconds[0] > '5') {
        why = "the offset is not a number of minutes";
        return std::nullopt;
    }
    const int64_t ms = std::stoi(minutes) * kMsPerMinute + std::stoi(seconds) * 1000;
    if (ms > kMaxOffsetMinutes * kMsPerMinute) {
        why = "the offset lies beyond 24 hours";
        return std::nullopt;
    }
    return negative ? -ms : ms;
}

}  // namespace

std::string TZoneHistory::Read(const std::vector<std::string>& fields, size_t first) {
    *this = {};
    if (std::all_of(fields.begin() + static_cast<std::ptrdiff_t>(std::min(first, fields.size())), fields.end(),
                    [](const std::string& f) { return f.empty(); }))
        return {};
    bool ended = false;
    std::string why;
    size_t n = first;
    for (; n < fields.size() && why.empty(); ++n) {
        const std::string& field = fields[n];
        const auto eq = field.find('=');
        if (ended) {
            why = "a field follows the \"=rule\" that ends the history";
            break;
        }
        if (eq == std::string::npos) {
            why = "not a time=offset pair";
            break;
        }
        const auto at = ReadInstant(field.substr(0, eq), why);
        if (!at) break;
        if (!Utc.empty() && *at <= Utc.back()) {
            why = "out of order: not later than the field before";
            break;
        }
        const std::string value = field.substr(eq + 1);
        if (value == "rule") {
            if (Utc.empty()) {
                why = "the history ends before it begins";
                break;
            }
            EndUtc = *at;
            ended = true;
            continue;
        }
        const auto offset = ReadOffset(value, why);
        if (!offset) break;
        // A local time takes the new offset from the switch read in the smaller of the two offsets:
        // one in a skipped stretch counts as after the change, one in a repeated stretch as the
        // later of the two instants.
        const int64_t wall = *at + (Offset.empty() ? *offset : std::min(Offset.back(), *offset));
        if (!Wall.empty() && wall <= Wall.back()) {
            why = "overlaps the change before it";
            break;
        }
        Utc.push_back(*at);
        Wall.push_back(wall);
        Offset.push_back(*offset);
    }
    if (why.empty() && !ended) why = "it does not end with a \"time=rule\" field";
    if (why.empty()) {
        SetRuleOffsetAtEnd(Offset.back());
        return {};
    }
    const std::string text = "field " + std::to_string(std::min(n, fields.size() - 1) + 1) + " \"" +
                             fields[std::min(n, fields.size() - 1)] + "\": " + why;
    *this = {};
    return text;
}

void TZoneHistory::SetRuleOffsetAtEnd(int64_t offsetMs) {
    if (Empty()) return;
    // Never before the last change: the look-up by wall-clock time must stay ordered.
    EndWall = std::max(EndUtc + std::min(Offset.back(), offsetMs), Wall.back() + 1);
}

std::optional<int64_t> TZoneHistory::OffsetAtUtc(int64_t utcMs) const {
    if (Empty() || utcMs < Utc.front() || utcMs >= EndUtc) return std::nullopt;
    const auto i = std::upper_bound(Utc.begin(), Utc.end(), utcMs) - Utc.begin() - 1;
    return Offset[static_cast<size_t>(i)];
}

std::optional<int64_t> TZoneHistory::OffsetAtWall(int64_t wallMs) const {
    if (Empty() || wallMs < Wall.front() || wallMs >= EndWall) return std::nullopt;
    const auto i = std::upper_bound(Wall.begin(), Wall.end(), wallMs) - Wall.begin() - 1;
    return Offset[static_cast<size_t>(i)];
}

}  // namespace velkaro
