// The NTP reply reader: any datagram a server (or something posing as one) may send, checked
// against a request sent at a fixed time, whose transmit time the seeds echo.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "sync/ntp_reply.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velkaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TNtpTimestamp t1 = 0x0102030405060708, t4 = t1 + (uint64_t{1} << 30);
    const TNtpSample s = ReadNtpReply(data, size, t1, t4);
    fuzz::Check(!s.Final || !s.Refusal.empty(), "only a refusal ends the exchange");
    if (s.Refusal.empty()) {
        fuzz::Check(size >= kNtpPacketSize, "a used reply is a whole packet");
        fuzz::Check(std::isfinite(s.OffsetS) && std::isfinite(s.DelayS), "offset and delay are numbers");
        fuzz::Check(s.DelayS >= 0, "the delay is never negative");
    }
    for (char c : s.Refusal) fuzz::Check(c >= 0x20 && c < 0x7F, "a refusal is printable");
    return 0;
}
