// The NTP reply's arithmetic against values worked out by hand, across the 2036 wrap of the
// timestamps too. The refusals are tested with scripted servers in time_sync_test.
#include "sync/ntp_reply.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velkaro {
namespace {

// Seconds as an NTP timestamp (32.32), taken modulo the era as the wire does.
TNtpTimestamp Ntp(double seconds) {
    const double whole = std::floor(seconds);
    return (static_cast<uint64_t>(whole) << 32) + static_cast<uint64_t>((seconds - whole) * 4294967296.0);
}

std::array<uint8_t, kNtpPacketSize> Reply(TNtpTimestamp t1, TNtpTimestamp t2, TNtpTimestamp t3) {
    std::array<uint8_t, kNtpPacketSize> p{};
    p[0] = (4 << 3) | 4;
    p[1] = 2;
    for (int i = 0; i < 8; ++i) {
        p[24 + i] = static_cast<uint8_t>(t1 >> (56 - 8 * i));
        p[32 + i] = static_cast<uint8_t>(t2 >> (56 - 8 * i));
        p[40 + i] = static_cast<uint8_t>(t3 >> (56 - 8 * i));
    }
    return p;
}

TEST(ReadNtpReply, OffsetAndDelay) {
    constexpr double kEra = 4294967296.0;  // seconds in one era of the 32-bit count
    struct Case {
        const char* Name;
        double T1, T2, T3, T4;
        double OffsetS, DelayS;  // by hand: -((T2-T1)+(T3-T4))/2 and (T4-T1)-(T3-T2)
    };
    const Case cases[] = {
        {"server ahead", 1000.0, 1000.6, 1000.7, 1000.5, -0.4, 0.4},
        {"server behind", 5000.0, 4990.1, 4990.2, 5000.3, 10.0, 0.2},
        {"no delay", 77.25, 77.25, 77.25, 77.25, 0, 0},
        {"the 2036 wrap", kEra - 0.25, kEra + 0.75, kEra + 0.85, kEra - 0.05, -0.95, 0.1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto reply = Reply(Ntp(c.T1), Ntp(c.T2), Ntp(c.T3));
        const TNtpSample s = ReadNtpReply(reply.data(), reply.size(), Ntp(c.T1), Ntp(c.T4));
        EXPECT_EQ(s.Refusal, "");
        EXPECT_NEAR(s.OffsetS, c.OffsetS, 1e-6);
        EXPECT_NEAR(s.DelayS, c.DelayS, 1e-6);
    }
}

TEST(NtpFromDateTime, Epochs) {
    // 1970 is 2,208,988,800 s after the NTP epoch; the count wraps on 7 February 2036, 06:28:16.
    EXPECT_EQ(NtpFromDateTime(EncodeDateTime(1970, 1, 1)), uint64_t{2208988800} << 32);
    EXPECT_EQ(NtpFromDateTime(EncodeDateTime(2036, 2, 7, 6, 28, 16, 500)), uint64_t{1} << 31);
}

}  // namespace
}  // namespace velkaro
