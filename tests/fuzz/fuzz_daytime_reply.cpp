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
    const TDaytimeReply read = ReadDaytimeReply(reply);
    const auto utc = ParseServerReply(reply);
    fuzz::Check(utc.has_value() == (read.Layout != TReplyLayout::None && !IsUnhealthy(read)),
                "a reply gives a time exactly when it is one from a healthy server");
    fuzz::Check(ReplyLayoutName(read.Layout) != nullptr, "every layout has a name");
    if (read.Layout != TReplyLayout::None) {
        fuzz::Check(std::isfinite(read.ServerUtc), "a server time is a number");
        if (utc) fuzz::Check(*utc == read.ServerUtc, "both readings agree");
        // The dialog shows the time with the hint pattern; near the calendar's end the zone
        // may carry it out of the calendar, which is the program's error, never a crash.
        try {
            FormatTimePattern("D x", read.ServerUtc);
        } catch (const Error&) {
        }
    }
    // What a message quotes of the reply stays short and printable.
    const std::string excerpt = ReplyExcerpt(reply);
    fuzz::Check(excerpt.size() <= 63, "an excerpt keeps to its limit");
    for (const char c : excerpt) fuzz::Check(c >= 0x20 && c < 0x7f, "an excerpt is printable");
    ZoneNameToBias(reply);
    MonthNameToNumber(reply);
    return 0;
}
