// The OS socket calls the asynchronous socket needs: non-blocking IPv4 and IPv6 sockets,
// host, service and protocol lookup. Every failure leaves its cause in SockLastError() as a
// Windows Sockets error code, because those are the codes the program reports and explains.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velkaro {

using TSocketHandle = int;
constexpr TSocketHandle INVALID_SOCKET_HANDLE = -1;

// The Windows Sockets codes the OS errors are reported as.
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

// errno -> Windows Sockets code; an errno with no counterpart is returned unchanged.
int SocketErrorFromErrno(int err);
// getaddrinfo's EAI_* result -> Windows Sockets code (a missing name is 11001).
int SocketErrorFromLookup(int eaiResult, int err);

// The last error of the calls below on this thread (the program is single-threaded).
int SockLastError();
void SockSetLastError(int code);

// An IPv4 or IPv6 address with a port, both in network byte order.
struct TSockAddress {
    bool V6 = false;
    uint8_t Bytes[16] = {};  // IPv4: the first four
    uint16_t Port = 0;
};
TSockAddress SockAddressV4(uint32_t addr, uint16_t port = 0);
// The IPv4 address in network order; 0 for an IPv6 one.
uint32_t SockAddressV4Value(const TSockAddress& a);
// "127.0.0.1", "::1".
std::string SockAddressText(const TSockAddress& a);
// A numeric IPv6 address ("::1", "fe80::1"); false for anything else.
bool SockParseIPv6(const std::string& text, TSockAddress& out);

// IPv4 addresses and ports are in network byte order, as in a sockaddr_in.
// Each returns false (or -1, or INVALID_SOCKET_HANDLE) on failure and sets SockLastError.
// Stream (TCP) or datagram (UDP) socket: non-blocking, not inherited by child processes.
TSocketHandle SockOpen(bool stream, int protocol, bool v6 = false);
bool SockClose(TSocketHandle s);
bool SockShutdownSend(TSocketHandle s);
// how: 0 receiving, 1 sending, 2 both, as Windows Sockets numbers them.
bool SockShutdown(TSocketHandle s, int how);
enum TSockFlag { sfReuseAddr, sfKeepAlive, sfBroadcast };
bool SockSetFlag(TSocketHandle s, TSockFlag flag, bool on);
bool SockSetLinger(TSocketHandle s, bool on, int seconds);
bool SockBind(TSocketHandle s, uint32_t addr, uint16_t port);
bool SockLocalName(TSocketHandle s, uint32_t& addr, uint16_t& port);
bool SockPeerName(TSocketHandle s, uint32_t& addr, uint16_t& port);
// Returns 0 when connected at once, 1 when in progress, -1 on failure.
int SockConnect(TSocketHandle s, uint32_t addr, uint16_t port);
int SockConnectTo(TSocketHandle s, const TSockAddress& a);
bool SockPeerAddress(TSocketHandle s, TSockAddress& a);
// The outcome of a connection attempt in progress: 0 or the Windows Sockets code.
int SockPendingError(TSocketHandle s);
// Bytes read, 0 when the peer has closed, -1 on failure.
long SockRecv(TSocketHandle s, void* buffer, long length, bool peek = false);
long SockSend(TSocketHandle s, const void* buffer, long length);
// One datagram to an address; one datagram in, with the address it came from.
long SockSendTo(TSocketHandle s, const void* buffer, long length, const TSockAddress& to);
long SockRecvFrom(TSocketHandle s, void* buffer, long length, TSockAddress& from);
// Bytes waiting to be read, -1 on failure.
long SockPendingBytes(TSocketHandle s);

// Lookups. Host: every IPv6 and IPv4 address of the name, in the resolver's order (ports 0).
// Safe to call from any thread; it may wait long for a silent name server.
// A hook, when set, answers host lookups instead of the resolver (error: a Windows Sockets
// code): tests use it so that no test ever asks a name server.
using THostLookupHook = bool (*)(const std::string& name, std::vector<TSockAddress>& out, int& error);
void SetHostLookupHook(THostLookupHook hook);
bool SockLookupHost(const std::string& name, std::vector<TSockAddress>& out);
bool SockLookupService(const std::string& name, const std::string& proto, uint16_t& port);
bool SockLookupProto(const std::string& name, int& number);
// inet_addr: all bits set for text that is not an address (and for 255.255.255.255).
uint32_t SockInetAddr(const std::string& text);
std::string SockInetNtoa(uint32_t addr);

}  // namespace velkaro
