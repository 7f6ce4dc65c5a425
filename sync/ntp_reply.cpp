#include "sync/ntp_reply.h"

#include <algorithm>
#include <cmath>

namespace velkaro {

namespace {

constexpr double kTwo32 = 4294967296.0;
constexpr int kModeServer = 4;

TNtpTimestamp Timestamp(const uint8_t* p) {
    TNtpTimestamp t = 0;
    for (int i = 0; i < 8; ++i) t = (t << 8) | p[i];
    return t;
}

// a - b in seconds; the wrap-around of the 64-bit difference keeps it right across an era.
double Seconds(TNtpTimestamp a, TNtpTimestamp b) { return static_cast<double>(static_cast<int64_t>(a - b)) / kTwo32; }

TNtpSample Refused(std::string why, bool final) {
    TNtpSample s;
    s.Refusal = std::move(why);
    s.Final = final;
    return s;
}

}  // namespace

TNtpTimestamp NtpFromDateTime(TDateTime utc) {
    // Day 2 of the date-time count is 1 January 1900, the NTP epoch.
    const double seconds = (utc - 2) * 86400.0;
    const double whole = std::floor(seconds);
    const auto fraction = static_cast<uint64_t>((seconds - whole) * kTwo32);
    const auto era = static_cast<uint64_t>(static_cast<int64_t>(whole)) & 0xFFFFFFFFu;
    return (era << 32) | (fraction & 0xFFFFFFFFu);
}

std::array<uint8_t, kNtpPacketSize> NtpRequest(TNtpTimestamp t1) {
    std::array<uint8_t, kNtpPacketSize> p{};
    p[0] = (0 << 6) | (4 << 3) | 3;  // no leap warning, version 4, client
    for (int i = 0; i < 8; ++i) p[40 + i] = static_cast<uint8_t>(t1 >> (56 - 8 * i));
    return p;
}

TNtpSample ReadNtpReply(const uint8_t* data, size_t size, TNtpTimestamp t1, TNtpTimestamp t4) {
    if (size < kNtpPacketSize)
        return Refused("a reply of " + std::to_string(size) + " bytes was too short for NTP", false);
    const int leap = data[0] >> 6;
    const int mode = data[0] & 7;
    const int stratum = data[1];
    const TNtpTimestamp origin = Timestamp(data + 24), t2 = Timestamp(data + 32), t3 = Timestamp(data + 40);
    // A reply that does not echo our request's time answers some other request, or none.
    if (origin != t1) return Refused("a reply did not answer our request (its origin time differs)", false);
    if (mode != kModeServer)
        return Refused("The reply is not from a time server (mode " + std::to_string(mode) + "); its time was not used",
                       true);
    if (stratum == 0) {
        // Kiss-o'-death: the reference identifier holds four ASCII letters saying why.
        TNtpSample s = Refused("", true);
        for (int i = 12; i < 16; ++i)
            if (data[i] != 0) s.KissCode += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : '?';
        s.Refusal = "The time server refused to answer (kiss-o'-death " + s.KissCode + ")";
        return s;
    }
    if (leap == 3 || stratum >= 16)
        return Refused("The time server's clock is not synchronized (" +
                           (leap == 3 ? std::string("leap indicator 3") : "stratum " + std::to_string(stratum)) +
                           "); its time was not used",
                       true);
    if (t3 == 0) return Refused("The time server's reply carries no transmit time; its time was not used", true);
    TNtpSample s;
    // RFC 5905: offset ((T2 - T1) + (T3 - T4)) / 2 is the server's lead, the negative of ours.
    s.OffsetS = -(Seconds(t2, t1) + Seconds(t3, t4)) / 2;
    s.DelayS = std::max(0.0, Seconds(t4, t1) - Seconds(t3, t2));
    return s;
}

}  // namespace velkaro
