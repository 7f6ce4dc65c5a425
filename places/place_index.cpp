#include "places/place_index.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/error.h"
#include "timemodel/city_match.h"

namespace velkaro {

namespace {

// Base letters of Latin Extended-A, U+0100 .. U+017F; '2' marks the two ligatures.
constexpr std::string_view kExtendedA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii22jjkkkllllllllllnnnnnnnnnoooooo22rrrrrrss"
    "ssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(kExtendedA.size() == 0x80);

// The code point at text[i] and its length in bytes; length 0 for a byte that starts no
// well-formed two- or three-byte sequence (it is then kept as it is).
std::pair<char32_t, size_t> DecodeAt(std::string_view text, size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    auto cont = [&](size_t k) { return i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80; };
    auto bits = [&](size_t k) { return char32_t(static_cast<unsigned char>(text[i + k]) & 0x3F); };
    if ((c & 0xE0) == 0xC0 && cont(1)) return {(char32_t(c & 0x1F) << 6) | bits(1), 2};
    if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) return {(char32_t(c & 0x0F) << 12) | (bits(1) << 6) | bits(2), 3};
    return {0, 0};
}

void FoldCodePoint(char32_t cp, std::string& out) {
    if (cp >= 0x80 && cp <= 0xFF) {
        out += FoldName(std::string(1, static_cast<char>(cp)));
    } else if (cp >= 0x100 && cp < 0x180) {
        const char base = kExtendedA[cp - 0x100];
        if (base != '2') out += base;
        else out += cp < 0x140 ? "ij" : "oe";
    } else if (cp >= 0x218 && cp <= 0x21B) {  // Romanian s and t with comma below
        out += cp < 0x21A ? 's' : 't';
    }
}

bool ParseInt(std::string_view s, int64_t& value) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

std::string FoldUtf8Name(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        if (static_cast<unsigned char>(name[i]) < 0x80) {
            size_t run = i;
            while (run < name.size() && static_cast<unsigned char>(name[run]) < 0x80) ++run;
            out += FoldName(name.substr(i, run - i));
            i = run;
            continue;
        }
        const auto [cp, len] = DecodeAt(name, i);
        const size_t before = out.size();
        if (len) FoldCodePoint(cp, out);
        // Characters without a Latin base letter (and stray bytes) match only themselves.
        if (out.size() == before) out.append(name.substr(i, len ? len : 1));
        i += len ? len : 1;
    }
    return out;
}

TPlaceMatch MatchFolded(std::string_view name, std::string_view q) {
    if (q.empty()) return pmNone;
    const size_t at = name.find(q);
    if (at == std::string_view::npos) return pmNone;
    if (at == 0) return name.size() == q.size() ? pmExact : pmPrefix;
    for (size_t k = at; k != std::string_view::npos; k = name.find(q, k + 1))
        if (name[k - 1] == ' ') return pmWordPrefix;
    return pmContains;
}

TPlaceIndex::TSpan TPlaceIndex::Keep(std::string_view s) {
    const TSpan span{uint32_t(text_.size()), uint32_t(s.size())};
    text_.append(s);
    return span;
}

TPlaceIndex TPlaceIndex::Parse(std::string_view text) {
    TPlaceIndex index;
    // Strings are kept as offsets: the index is one move-only block without per-name allocations.
    index.text_.reserve(text.size() / 3);
    size_t lineNo = 0;
    auto fail = [&](const std::string& what) {
        throw Error("The place index is damaged (" + std::string(kFileName) + " line " + std::to_string(lineNo) +
                    ": " + what + ").");
    };
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const auto f = SplitTabs(line);
        if (line[0] == '@') {
            if (f[0] == "@Z" && f.size() == 2) {
                index.zones_.emplace_back(f[1]);
            } else if (f[0] == "@C" && f.size() == 3) {
                const TSpan code = index.Keep(f[1]);
                index.countries_.push_back({code, index.Keep(f[2])});
            } else if (f[0] == "@R" && f.size() == 3) {
                size_t country = 0;
                while (country < index.countries_.size() && index.Text(index.countries_[country].Code) != f[1]) ++country;
                if (country == index.countries_.size()) fail("region of an unknown country");
                index.regions_.push_back({index.Keep(f[2]), uint16_t(country)});
            } else {
                fail("unknown table line");
            }
            if (index.regions_.size() > 0xFFFF || index.zones_.size() > 0xFFFF || index.countries_.size() > 0xFFFF)
                fail("too many entries");
            continue;
        }
        int64_t region = 0, lat = 0, lon = 0, population = 0, zone = 0;
        if (f.size() != 7 || f[0].empty() || !ParseInt(f[2], region) || !ParseInt(f[3], lat) || !ParseInt(f[4], lon) ||
            !ParseInt(f[5], population) || !ParseInt(f[6], zone))
            fail("expected name, ASCII name, region, latitude, longitude, population, zone");
        if (region < 0 || size_t(region) >= index.regions_.size() || zone < 0 || size_t(zone) >= index.zones_.size())
            fail("region or zone out of range");
        if (lat < -9000 || lat > 9000 || lon < -18000 || lon > 18000 || population < 0 || population > UINT32_MAX)
            fail("coordinates or population out of range");
        TPlace p;
        p.Name = index.Keep(f[0]);
        p.Population = uint32_t(population);
        p.Lat100 = int16_t(lat);
        p.Lon100 = int16_t(lon);
        p.Region = uint16_t(region);
        p.Zone = uint16_t(zone);
        index.places_.push_back(p);
        index.foldedStart_.push_back(uint32_t(index.folded_.size()));
        const std::string folded = FoldUtf8Name(f[0]);
        index.folded_ += '\n';
        index.folded_ += folded;
        if (!f[1].empty()) {
            const std::string ascii = FoldUtf8Name(f[1]);
            if (ascii != folded) (index.folded_ += '\t') += ascii;
        }
    }
    index.foldedStart_.push_back(uint32_t(index.folded_.size()));
    index.text_.shrink_to_fit();
    index.folded_.shrink_to_fit();
    return index;
}

TPlaceIndex TPlaceIndex::Load(const std::string& dir) {
    std::ifstream in(dir + kFileName, std::ios::binary);
    if (!in) throw Error("The place index " + dir + kFileName + " cannot be read.");
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

std::string TPlaceIndex::Describe(uint32_t i) const {
    std::string out(Name(i));
    // "Zürich, Zurich" would only repeat the name in the region's ASCII spelling.
    if (!Region(i).empty() && FoldUtf8Name(Region(i)) != FoldUtf8Name(Name(i))) (out += ", ") += Region(i);
    return (out += ", ") += Country(i);
}

std::vector<TPlaceHit> TPlaceIndex::Search(std::string_view query, size_t limit) const {
    // The separators of folded_ never occur in a query, so a hit lies inside one name.
    std::string q;
    for (const char c : FoldUtf8Name(query))
        if (static_cast<unsigned char>(c) >= ' ') q += c;
    while (!q.empty() && q.back() == ' ') q.pop_back();
    q.erase(0, q.find_first_not_of(' '));
    std::vector<TPlaceHit> buckets[pmNone];
    if (q.empty() || limit == 0) return {};
    uint32_t place = 0;
    for (size_t pos = folded_.find(q); pos != std::string::npos; pos = folded_.find(q, pos)) {
        // Hits come in order, so the place they lie in only moves forward.
        while (foldedStart_[place + 1] <= pos) ++place;
        const std::string_view own(folded_.data() + foldedStart_[place] + 1, foldedStart_[place + 1] - foldedStart_[place] - 1);
        const size_t tab = own.find('\t');
        TPlaceMatch best = MatchFolded(own.substr(0, tab), q);
        if (tab != std::string_view::npos) best = std::min(best, MatchFolded(own.substr(tab + 1), q));
        if (best != pmNone && buckets[best].size() < limit) buckets[best].push_back({place, best});
        pos = foldedStart_[place + 1];
    }
    std::vector<TPlaceHit> hits;
    for (const auto& bucket : buckets)
        for (const TPlaceHit& h : bucket)
            if (hits.size() < limit) hits.push_back(h);
    return hits;
}

size_t TPlaceIndex::MemoryBytes() const {
    size_t bytes = text_.capacity() + folded_.capacity() + places_.capacity() * sizeof(TPlace) +
                   regions_.capacity() * sizeof(TRegion) + countries_.capacity() * sizeof(TCountry) +
                   foldedStart_.capacity() * sizeof(uint32_t) + zones_.capacity() * sizeof(std::string);
    for (const auto& z : zones_) bytes += z.capacity() + 1;
    return bytes;
}

}  // namespace velkaro
