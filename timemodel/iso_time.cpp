#include "timemodel/iso_time.h"

#include <cstdio>

namespace velkaro {

namespace {

// Reads exactly n digits at text[pos].
std::optional<int> Digits(const std::string& text, size_t pos, size_t n) {
    if (pos + n > text.size()) return std::nullopt;
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

std::optional<TDateTime> Parse(const std::string& text, bool utc) {
    // YYYY-MM-DDTHH:MM:SS[.mmm][Z]
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    const auto y = Digits(text, 0, 4), mo = Digits(text, 5, 2), d = Digits(text, 8, 2);
    const auto h = Digits(text, 11, 2), mi = Digits(text, 14, 2), s = Digits(text, 17, 2);
    if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
    size_t pos = 19;
    int ms = 0;
    if (pos < text.size() && text[pos] == '.') {
        const auto m = Digits(text, pos + 1, 3);
        if (!m) return std::nullopt;
        ms = *m;
        pos += 4;
    }
    if (utc) {
        if (pos >= text.size() || text[pos] != 'Z') return std::nullopt;
        ++pos;
    }
    if (pos != text.size()) return std::nullopt;
    if (!IsValidDate(*y, *mo, *d) || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
    return EncodeDateTime(*y, *mo, *d, *h, *mi, *s, ms);
}

}  // namespace

std::optional<TDateTime> ParseIsoUtc(const std::string& text) { return Parse(text, true); }
std::optional<TDateTime> ParseIsoLocal(const std::string& text) { return Parse(text, false); }

std::string FormatIsoUtc(TDateTime utc) {
    const TDateTimeFields f = DecodeDateTime(utc);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", f.Year, f.Month, f.Day, f.Hour,
                  f.Minute, f.Second, f.Millisecond);
    return buf;
}

}  // namespace velkaro
