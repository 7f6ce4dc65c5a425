// The shared address and the sockaddr structures, both ways. BSD sockets and Windows Sockets
// lay these structures out alike, so the one conversion serves each system's socket file,
// which includes this after its own socket headers.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/socket.h"

namespace velkaro::native {

inline sockaddr_in MakeAddr(uint32_t addr, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = port;
    sa.sin_addr.s_addr = addr;
    return sa;
}

// The sockaddr of an address; its length in len (socklen_t or int, as the system has it).
template <class Length>
sockaddr_storage ToNative(const TSockAddress& a, Length& len) {
    sockaddr_storage ss{};
    if (a.V6) {
        auto* sa = reinterpret_cast<sockaddr_in6*>(&ss);
        sa->sin6_family = AF_INET6;
        sa->sin6_port = a.Port;
        std::memcpy(&sa->sin6_addr, a.Bytes, 16);
        len = sizeof(sockaddr_in6);
    } else {
        auto* sa = reinterpret_cast<sockaddr_in*>(&ss);
        sa->sin_family = AF_INET;
        sa->sin_port = a.Port;
        std::memcpy(&sa->sin_addr, a.Bytes, 4);
        len = sizeof(sockaddr_in);
    }
    return ss;
}

inline bool FromNative(const sockaddr* sa, TSockAddress& a) {
    a = TSockAddress{};
    if (sa->sa_family == AF_INET6) {
        const auto* s6 = reinterpret_cast<const sockaddr_in6*>(sa);
        a.V6 = true;
        a.Port = s6->sin6_port;
        std::memcpy(a.Bytes, &s6->sin6_addr, 16);
        return true;
    }
    if (sa->sa_family == AF_INET) {
        const auto* s4 = reinterpret_cast<const sockaddr_in*>(sa);
        a.Port = s4->sin_port;
        std::memcpy(a.Bytes, &s4->sin_addr, 4);
        return true;
    }
    return false;
}

}  // namespace velkaro::native
