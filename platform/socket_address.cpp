// The parts of the shared address that need no system call.
#include <cstring>

#include "platform/socket.h"

namespace velkaro {

TSockAddress SockAddressV4(uint32_t addr, uint16_t port) {
    TSockAddress a;
    std::memcpy(a.Bytes, &addr, 4);
    a.Port = port;
    return a;
}

uint32_t SockAddressV4Value(const TSockAddress& a) {
    uint32_t v = 0;
    if (!a.V6) std::memcpy(&v, a.Bytes, 4);
    return v;
}

}  // namespace velkaro
