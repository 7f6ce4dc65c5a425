// The zone under each pixel of the map area, read from the raster the generator writes beside
// the map pictures, and which of those zones show the same wall-clock time as a given zone at
// a given moment. Plain C++: the offsets come from the zone list's own conversions.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "timemodel/date_time.h"
#include "timemodel/zone_list.h"

namespace velkaro {

class TZoneRaster {
public:
    static constexpr uint16_t kNoZone = 0xFFFF;
    // Reads the raster ("VZR1", sizes, zone names, runs); the names are looked up in `zones`,
    // and a name the list lacks counts as no zone. Throws velkaro::Error when the bytes are not
    // a whole, consistent raster.
    static TZoneRaster Parse(std::string_view bytes, const TZoneList& zones);

    int Width = 0, Height = 0;
    std::vector<uint16_t> Pixels;     // Width * Height positions in Zones, or kNoZone
    std::vector<const TZone*> Zones;  // the raster's zones in the list (null: absent)
};

// For each of the raster's zones, whether its clock reads the same as `zone`'s at `utc`.
std::vector<bool> SameTimeZones(const TZoneRaster& raster, const TZone& zone, TDateTime utc);

}  // namespace velkaro
