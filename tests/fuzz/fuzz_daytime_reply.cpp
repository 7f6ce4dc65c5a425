// The daytime reply reader: any bytes a server (or something posing as one) may send.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "sync/daytime_reply.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    fuzz::Check(SplitReplyTokens(reply).size() <= reply.size() + 1, "no more tokens than separators");
    if (const auto utc = ParseServerReply(reply)) {
        fuzz::Check(std::isfinite(*utc), "a server time is a number");
        // The dialog shows the time with the hint pattern; near the calendar's end the zone
        // may carry it out of the calendar, which is the program's error, never a crash.
        try {
            FormatTimePattern("D x", *utc);
        } catch (const Error&) {
        }
    }
    return 0;
}
