#include "places/my_places.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "map/map_projection.h"
#include "places/place_index.h"
#include "settings/ini_store.h"
#include "timemodel/city_match.h"

namespace velkaro {

namespace {

constexpr const char* kValuePrefix = "Place";
constexpr size_t kFields = 7;

// Fields are tab-separated, so no field may hold a tab (or a line end, for the settings file).
std::string Field(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    return out;
}

std::string Number(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 5);
    return ec == std::errc() ? std::string(buf, end) : "0";
}

bool ReadNumber(const std::string& s, double& v) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty() && std::isfinite(v);
}

// The position a value name gives ("Place12" -> 12); 0 for a name that is not one of ours.
size_t PositionOf(const std::string& name) {
    const std::string prefix = kValuePrefix;
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    size_t n = 0;
    const auto [end, ec] = std::from_chars(name.data() + prefix.size(), name.data() + name.size(), n);
    return ec == std::errc() && end == name.data() + name.size() && name[prefix.size()] != '0' ? n : 0;
}

}  // namespace

std::string CleanLabel(const std::string& label) {
    std::string out = Field(label);
    const size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    out = out.substr(first, out.find_last_not_of(' ') - first + 1);
    if (out.size() > TMyPlaces::kMaxLabelBytes) {
        size_t cut = TMyPlaces::kMaxLabelBytes;
        // Never split a UTF-8 sequence: back up to the byte that starts a character.
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    return out;
}

std::string EightBitName(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        // One character at a time through the 8-bit conversion, which keeps what it cannot map.
        size_t len = 1;
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0xC0) len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        len = std::min(len, utf8.size() - i);
        const std::string_view ch = utf8.substr(i, len);
        std::string one = Latin1FromUtf8(ch);
        if (c >= 0x80 && one == ch) {
            // No 8-bit form: a Latin letter keeps its base letter, upper case when it was.
            const std::string folded = FoldUtf8Name(ch);
            const bool latin = folded != ch && !folded.empty() && folded[0] >= 'a' && folded[0] <= 'z';
            const char32_t cp = len == 2 ? (char32_t(c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) : 0;
            // Latin Extended-A pairs capital and small letters; the pairs start on an odd code
            // point from U+0139 to U+0148 and from U+0179 on, on an even one elsewhere.
            const bool oddPairs = (cp >= 0x139 && cp <= 0x148) || cp >= 0x179;
            const bool upper = cp >= 0x100 && cp < 0x180 && (cp == 0x178 || (cp % 2 == 1) == oddPairs);
            one = latin ? folded : "?";
            if (latin && upper) one[0] = char(one[0] - 'a' + 'A');
        }
        out += one;
        i += len;
    }
    return out;
}

int ZoneIndexOf(const TZoneList& zones, const std::string& name) {
    for (size_t i = 0; i < zones.size(); ++i)
        if (zones[i]->Name == name) return int(i);
    return -1;
}

TCity CityOfPlace(const TMyPlace& place, const TZoneList& zones) {
    TCity city("");
    city.Name = EightBitName(place.Label);
    city.ZoneIndex = ZoneIndexOf(zones, place.Zone);
    double x = 0, y = 0;
    LatLonMapPoint({place.Lat, place.Lon}, x, y);
    // The list file's convention: the point answered to is (X + 2, Y).
    city.X = int32_t(std::floor(x)) - 2;
    city.Y = int32_t(std::floor(y));
    return city;
}

std::string TMyPlaces::Encode(const TMyPlace& p) {
    std::string out;
    for (const std::string& f : {Field(p.Label), Field(p.Name), Field(p.Region), Field(p.Country), Number(p.Lat),
                                 Number(p.Lon), Field(p.Zone)})
        (out += f) += '\t';
    out.pop_back();
    return out;
}

bool TMyPlaces::Decode(const std::string& text, TMyPlace& p) {
    std::vector<std::string> f;
    size_t start = 0;
    for (size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1)
        f.push_back(text.substr(start, tab - start));
    f.push_back(text.substr(start));
    if (f.size() != kFields) return false;
    TMyPlace out{CleanLabel(f[0]), f[1], f[2], f[3], 0, 0, f[6]};
    if (out.Label.empty() || out.Zone.empty() || !ReadNumber(f[4], out.Lat) || !ReadNumber(f[5], out.Lon) ||
        std::abs(out.Lat) > 90 || std::abs(out.Lon) > 180)
        return false;
    p = std::move(out);
    return true;
}

std::vector<std::string> TMyPlaces::Load(TIniStore& store, const TZoneList& zones) {
    items_.clear();
    owned_.clear();
    damaged_.clear();
    std::vector<std::string> problems;
    TStringList names;
    if (!store.EnumValues(kKey, names)) return problems;
    std::vector<std::pair<size_t, std::string>> ordered;
    for (const std::string& name : names) {
        if (const size_t pos = PositionOf(name)) ordered.emplace_back(pos, name);
        else damaged_.insert(name);
    }
    std::sort(ordered.begin(), ordered.end());
    for (const auto& [pos, name] : ordered) {
        std::string text;
        TMyPlace place;
        const char* why = nullptr;
        if (!store.ReadString(kKey, name, "", text) || !Decode(text, place)) why = "it cannot be read";
        else if (ZoneIndexOf(zones, place.Zone) < 0) why = "its time zone is not in the zone list";
        else if (items_.size() >= kMaxPlaces) why = "the list is full";
        if (why) {
            damaged_.insert(name);
            problems.push_back("My places: the entry \"" + name + "\" was left out: " + why + ".");
            continue;
        }
        owned_.insert(name);
        items_.push_back(std::move(place));
    }
    return problems;
}

void TMyPlaces::Save(TIniStore& store) {
    store.OpenKey(kKey, true);
    for (const std::string& name : owned_) store.DeleteEntry(kKey, name);
    owned_.clear();
    size_t n = 1;
    for (const TMyPlace& place : items_) {
        std::string name;
        // Positions held by left-out entries are skipped, so those stay as the user left them.
        do name = kValuePrefix + std::to_string(n++);
        while (damaged_.count(name));
        store.WriteString(kKey, name, Encode(place));
        owned_.insert(name);
    }
}

bool TMyPlaces::Add(TMyPlace place) {
    place.Label = CleanLabel(place.Label);
    if (place.Label.empty()) place.Label = CleanLabel(place.Name);
    if (items_.size() >= kMaxPlaces || place.Label.empty()) return false;
    const bool twice = std::any_of(items_.begin(), items_.end(), [&](const TMyPlace& p) {
        return p.Label == place.Label && p.Zone == place.Zone && p.Lat == place.Lat && p.Lon == place.Lon;
    });
    if (twice) return false;
    items_.push_back(std::move(place));
    return true;
}

void TMyPlaces::Remove(size_t i) {
    if (i < items_.size()) items_.erase(items_.begin() + std::ptrdiff_t(i));
}

void TMyPlaces::Rename(size_t i, const std::string& label) {
    if (i >= items_.size()) return;
    const std::string clean = CleanLabel(label);
    items_[i].Label = clean.empty() ? CleanLabel(items_[i].Name) : clean;
}

void TMyPlaces::Move(size_t from, size_t to) {
    if (from >= items_.size() || to >= items_.size() || from == to) return;
    TMyPlace p = std::move(items_[from]);
    items_.erase(items_.begin() + std::ptrdiff_t(from));
    items_.insert(items_.begin() + std::ptrdiff_t(to), std::move(p));
}

}  // namespace velkaro
