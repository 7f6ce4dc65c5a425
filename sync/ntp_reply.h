// The simple network time protocol, client side (SNTP, RFC 4330; the client mode of RFC 5905):
// the 48-byte request and the checks and arithmetic of its reply. Pure: no sockets, no clock.
//
// Times travel as NTP timestamps, seconds since 1900 in 32.32 fixed point. The four of one
// exchange are T1 (request sent, client clock), T2 (request received, server clock),
// T3 (reply sent, server clock) and T4 (reply received, client clock).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "timemodel/date_time.h"

namespace velkaro {

constexpr size_t kNtpPacketSize = 48;
using TNtpTimestamp = uint64_t;

// The NTP timestamp of a UTC date-time (its era wraps in 2036, as the wire format does).
TNtpTimestamp NtpFromDateTime(TDateTime utc);

// A version 4 client request whose transmit time is t1; the reply must echo it as its origin.
std::array<uint8_t, kNtpPacketSize> NtpRequest(TNtpTimestamp t1);

struct TNtpSample {
    // Empty when the reply was used; otherwise why it was refused: a sentence of its own when
    // Final, else a clause for the message of a wait that ends without a usable reply.
    std::string Refusal;
    // A refusal that ends the exchange: the server itself said no (kiss-o'-death) or that its
    // time is not to be trusted. A reply that merely does not belong to our request (another
    // origin) is dropped, and the client goes on waiting for the right one.
    bool Final = false;
    std::string KissCode;    // of a kiss-o'-death, e.g. "RATE"
    double OffsetS = 0;      // the computer's clock minus the server's: positive when ahead
    double DelayS = 0;       // the round trip, less the time the server held the request
};

// Checks a reply against the request whose transmit time was t1, received at t4.
TNtpSample ReadNtpReply(const uint8_t* data, size_t size, TNtpTimestamp t1, TNtpTimestamp t4);

}  // namespace velkaro
