// The command-line tool's ISO 8601 reader: what it accepts must print and read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/fuzz_support.h"
#include "timemodel/iso_time.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto utc = ParseIsoUtc(text)) {
        const std::string printed = FormatIsoUtc(*utc);
        fuzz::Check(ParseIsoUtc(printed) == utc, "a printed UTC time reads back");
        const std::string expected = text.size() == 20 ? text.substr(0, 19) + ".000Z" : text;
        fuzz::Check(printed == expected, "an accepted UTC text prints as it was written");
    }
    if (const auto local = ParseIsoLocal(text)) {
        std::string printed = FormatIsoUtc(*local);
        printed.pop_back();  // the 'Z'
        fuzz::Check(ParseIsoLocal(printed) == local, "a printed wall-clock time reads back");
    }
    return 0;
}
