// The pattern formatter and the Velkaro notation: pattern and value both from the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/fuzz_support.h"

using namespace velkaro;

namespace {
const int64_t kFirstMs = DateTimeToMs(EncodeDateTime(1, 1, 1));
const int64_t kLastMs = DateTimeToMs(EncodeDateTime(9999, 12, 31, 23, 59, 59, 999));
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // Mostly a time inside the calendar; sometimes any 64 bits, NaN and infinities included.
    const bool anyBits = in.ConsumeBool();
    const TDateTime t = anyBits ? std::bit_cast<double>(in.ConsumeIntegral<uint64_t>())
                                : MsToDateTime(in.ConsumeIntegralInRange<int64_t>(kFirstMs, kLastMs));
    const int variant = in.ConsumeIntegral<int8_t>();
    const std::string pattern = in.ConsumeRemainingBytesAsString();
    try {
        const std::string text = FormatTimePattern(pattern, t);
        // No token writes more than a long date; the output stays in proportion to the pattern.
        fuzz::Check(text.size() <= 32 * pattern.size(), "the text is in proportion to the pattern");
    } catch (const Error&) {
        fuzz::Check(anyBits, "a time inside the calendar always formats");
    }
    try {
        VelkaroTimeText(VelkaroZone(), variant, t);
    } catch (const Error&) {
    }
    return 0;
}
