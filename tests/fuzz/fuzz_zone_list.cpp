// The zone list file through the real loader, then every conversion and notation on the zones.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_support.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        const std::string d = fuzz::ScratchDir();
        const std::string cities = "First,0,1,1\nSecond,1,2,2\nThird,2,3,3\nLast,7,4,4\n";
        fuzz::WriteFile(d + "acities.lst", cities.data(), cities.size());
        return d;
    }();
    fuzz::WriteFile(dir + "azones.lst", data, size);
    // Both files exist, so loading must not fail whatever the zone file holds.
    const TLoadReport report = LoadLists(dir);
    for (const auto& zone : ZoneList) fuzz::Check(zone->HasValidRule(), "the loader mends every rule");
    fuzz::ExerciseLists(8, 4);
    ClearLists();
    (void)report;
    return 0;
}
