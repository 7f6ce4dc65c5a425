#include "map/zone_raster.h"

#include <string>
#include <unordered_map>

#include "platform/error.h"

namespace velkaro {

namespace {

class TReader {
public:
    explicit TReader(std::string_view b) : b_(b) {}
    bool AtEnd() const { return p_ == b_.size(); }
    uint16_t U16() {
        Need(2);
        const uint16_t v = uint16_t(uint8_t(b_[p_]) | uint8_t(b_[p_ + 1]) << 8);
        p_ += 2;
        return v;
    }
    std::string_view Bytes(size_t n) {
        Need(n);
        const std::string_view v = b_.substr(p_, n);
        p_ += n;
        return v;
    }

private:
    void Need(size_t n) const {
        if (b_.size() - p_ < n) throw Error("The zone raster is cut short");
    }
    std::string_view b_;
    size_t p_ = 0;
};

}  // namespace

TZoneRaster TZoneRaster::Parse(std::string_view bytes, const TZoneList& zones) {
    TReader in(bytes);
    if (in.Bytes(4) != "VZR1") throw Error("Not a zone raster");
    TZoneRaster r;
    r.Width = in.U16();
    r.Height = in.U16();
    const uint16_t count = in.U16();
    if (count == kNoZone) throw Error("The zone raster names too many zones");
    std::unordered_map<std::string_view, const TZone*> byName;
    for (const auto& z : zones) byName.emplace(z->Name, z.get());
    for (uint16_t i = 0; i < count; ++i) {
        const std::string_view name = in.Bytes(uint8_t(in.Bytes(1)[0]));
        const auto it = byName.find(name);
        r.Zones.push_back(it == byName.end() ? nullptr : it->second);
    }
    const size_t total = size_t(r.Width) * size_t(r.Height);
    r.Pixels.reserve(total);
    while (!in.AtEnd()) {
        const uint16_t zone = in.U16();
        const uint16_t run = in.U16();
        if ((zone != kNoZone && zone >= count) || run == 0 || total - r.Pixels.size() < run)
            throw Error("The zone raster's runs do not fit its size");
        r.Pixels.insert(r.Pixels.end(), run, zone != kNoZone && r.Zones[zone] ? zone : kNoZone);
    }
    if (r.Pixels.size() != total) throw Error("The zone raster's runs do not fill it");
    return r;
}

std::vector<bool> SameTimeZones(const TZoneRaster& raster, const TZone& zone, TDateTime utc) {
    const int64_t at = DateTimeToMs(utc);
    const auto offset = [at, utc](const TZone& z) { return DateTimeToMs(UtcToZoneLocal(z, utc)) - at; };
    const int64_t own = offset(zone);
    std::vector<bool> same(raster.Zones.size());
    for (size_t i = 0; i < same.size(); ++i) same[i] = raster.Zones[i] && offset(*raster.Zones[i]) == own;
    return same;
}

}  // namespace velkaro
