// The city list file through the real loader, then each city's time in its zone.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_support.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        const std::string d = fuzz::ScratchDir();
        const std::string zones =
            "; zones\nUTC,0,0\nNew York,-300,-240,2,1,2,2,0,10,1,1,1,0\n"
            "Sydney,600,660,9,1,1,2,0,3,1,1,2,0\nKiritimati,840,840\n";
        fuzz::WriteFile(d + "azones.lst", zones.data(), zones.size());
        return d;
    }();
    fuzz::WriteFile(dir + "acities.lst", data, size);
    LoadLists(dir);
    for (const auto& city : CityList)
        fuzz::Check(city->ZoneIndex >= 0 && static_cast<size_t>(city->ZoneIndex) < ZoneList.size(),
                    "every kept city has a zone");
    fuzz::ExerciseLists(0, 16);
    ClearLists();
    return 0;
}
