// The module-level layer beneath every asynchronous socket: turning host, port and protocol
// texts into numbers, and giving each Windows Sockets error code its text.
//
// The sockets library on this platform is part of the C library, bound at link time, so there
// is nothing to load or unload at run time and no loading failures to report.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/socket.h"

namespace velkaro {

class ESocketException : public Error {
public:
    using Error::Error;
};

// IPv4 address in network byte order. Raises ESocketException.
uint32_t SocketResolveHost(const std::string& text);
// Every address of a host text, IPv6 and IPv4, in the resolver's order: a dotted IPv4 address
// or a numeric IPv6 one stands for itself. Raises ESocketException with SocketResolveHost's
// messages. Safe to call from any thread.
std::vector<TSockAddress> SocketResolveHostAll(const std::string& text);
// Port number in host order. Raises ESocketException.
uint16_t SocketResolvePort(const std::string& port, const std::string& proto);
// Protocol number. Raises ESocketException.
int SocketResolveProto(const std::string& text);
bool IsDottedAddress(const std::string& text);
std::string SocketErrorText(int code);

// Live socket objects.
int SocketCount();
void SocketCountChanged(int delta);

}  // namespace velkaro
