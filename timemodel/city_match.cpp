#include "timemodel/city_match.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace velkaro {

namespace {

// Folded forms of 0xC0..0xFF; the multiplication and division signs stay themselves.
constexpr const char* kUpperHalf[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",          // C0
    "d", "n", "o", "o", "o", "o", "o", "\xD7", "o", "u", "u", "u", "u", "y", "th", "ss",     // D0
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",          // E0
    "d", "n", "o", "o", "o", "o", "o", "\xF7", "o", "u", "u", "u", "u", "y", "th", "y",      // F0
};

// The Windows-1252 letters between 0x80 and 0x9F.
const char* FoldHigh(unsigned char c) {
    switch (c) {
    case 0x8A: case 0x9A: return "s";
    case 0x8C: case 0x9C: return "oe";
    case 0x8E: case 0x9E: return "z";
    case 0x9F: return "y";
    default: return nullptr;
    }
}

// Unicode code points of Windows-1252's 0x80..0x9F letters, for the UTF-8 conversion.
constexpr std::pair<char32_t, unsigned char> kWindowsLetters[] = {
    {0x160, 0x8A}, {0x161, 0x9A}, {0x152, 0x8C}, {0x153, 0x9C}, {0x17D, 0x8E}, {0x17E, 0x9E}, {0x178, 0x9F},
};

// Distances are computed on at most this many characters: typed names are short, and a
// pasted megabyte must not cost a quadratic amount of work.
constexpr size_t kDistanceLimit = 64;

size_t Distance(std::string_view a, std::string_view b) {
    a = a.substr(0, kDistanceLimit);
    b = b.substr(0, kDistanceLimit);
    std::vector<size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), size_t{0});
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string FoldName(std::string_view name) {
    std::string folded;
    folded.reserve(name.size());
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 'A' && c <= 'Z') folded += static_cast<char>(c - 'A' + 'a');
        else if (c == '-' || c == '_') folded += ' ';
        else if (c >= 0xC0) folded += kUpperHalf[c - 0xC0];
        else if (const char* high = c >= 0x80 ? FoldHigh(c) : nullptr) folded += high;
        else folded += ch;
    }
    return folded;
}

bool NameContains(std::string_view name, std::string_view needle) {
    return FoldName(name).find(FoldName(needle)) != std::string::npos;
}

std::string Latin1FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += text[i++];
            continue;
        }
        // Only two-byte sequences can hold a character with an 8-bit form.
        if ((c & 0xE0) != 0xC0 || i + 1 >= text.size()) return std::string(text);
        const auto c2 = static_cast<unsigned char>(text[i + 1]);
        if ((c2 & 0xC0) != 0x80) return std::string(text);
        const char32_t cp = (char32_t{c & 0x1Fu} << 6) | (c2 & 0x3Fu);
        i += 2;
        if (cp >= 0xA0 && cp <= 0xFF) {
            out += static_cast<char>(cp);
            continue;
        }
        const auto* letter = std::find_if(std::begin(kWindowsLetters), std::end(kWindowsLetters),
                                          [cp](const auto& l) { return l.first == cp; });
        if (letter == std::end(kWindowsLetters)) return std::string(text);
        out += static_cast<char>(letter->second);
    }
    return out;
}

std::string Utf8FromLatin1(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0) {
            const auto* letter = std::find_if(std::begin(kWindowsLetters), std::end(kWindowsLetters),
                                              [c](const auto& l) { return l.second == c; });
            // Control codes without a letter have no business in a name; keep them visible.
            cp = letter == std::end(kWindowsLetters) ? U'\uFFFD' : letter->first;
        }
        if (cp < 0x80) {
            out += ch;
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

TCityMatch MatchCity(const std::vector<std::string>& names, std::string_view query, size_t maxCandidates) {
    // One entry per distinct name, at its first position.
    std::vector<int> distinct;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool seen = std::any_of(distinct.begin(), distinct.end(),
                                      [&](int d) { return names[static_cast<size_t>(d)] == names[i]; });
        if (!seen) distinct.push_back(static_cast<int>(i));
    }
    std::vector<std::string> folded;
    for (const int d : distinct) folded.push_back(FoldName(names[static_cast<size_t>(d)]));
    const std::string q = FoldName(query);

    // Closest first, by edit distance to the folded query, then in list order.
    auto closest = [&](std::vector<size_t> picks) {
        std::vector<std::pair<size_t, size_t>> ranked;
        for (const size_t p : picks) ranked.emplace_back(Distance(q, folded[p]), p);
        std::sort(ranked.begin(), ranked.end());
        std::vector<int> out;
        for (size_t k = 0; k < ranked.size() && k < maxCandidates; ++k) out.push_back(distinct[ranked[k].second]);
        return out;
    };

    for (size_t k = 0; k < distinct.size(); ++k)
        if (names[static_cast<size_t>(distinct[k])] == query) return {TCityMatch::cmFound, distinct[k], {}};

    if (!q.empty()) {
        std::vector<size_t> whole, part;
        for (size_t k = 0; k < folded.size(); ++k) {
            if (folded[k] == q) whole.push_back(k);
            else if (folded[k].find(q) != std::string::npos) part.push_back(k);
        }
        if (whole.size() == 1) return {TCityMatch::cmFound, distinct[whole[0]], {}};
        if (whole.size() > 1) return {TCityMatch::cmAmbiguous, -1, closest(std::move(whole))};
        // A part of a name settles it only when no other name holds that part too: "ist" is as
        // much in Boa Vista as in Istanbul.
        if (part.size() == 1) return {TCityMatch::cmFound, distinct[part[0]], {}};
        if (part.size() > 1) return {TCityMatch::cmAmbiguous, -1, closest(std::move(part))};
    }
    std::vector<size_t> all(folded.size());
    std::iota(all.begin(), all.end(), size_t{0});
    return {TCityMatch::cmUnknown, -1, closest(std::move(all))};
}

}  // namespace velkaro
