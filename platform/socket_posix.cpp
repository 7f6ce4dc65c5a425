// BSD socket implementation of the socket calls, with OS errors turned into Windows Sockets codes.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/sockaddr_native.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

namespace velkaro {

using native::FromNative;
using native::MakeAddr;
using native::ToNative;

namespace {

thread_local int gLastError = 0;
std::atomic<THostLookupHook> gHostLookupHook{nullptr};

bool Fail(int err) {
    gLastError = SocketErrorFromErrno(err);
    return false;
}

}  // namespace

std::string SockAddressText(const TSockAddress& a) {
    char buf[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(a.V6 ? AF_INET6 : AF_INET, a.Bytes, buf, sizeof buf);
    return buf;
}

bool SockParseIPv6(const std::string& text, TSockAddress& out) {
    TSockAddress a;
    a.V6 = true;
    if (::inet_pton(AF_INET6, text.c_str(), a.Bytes) != 1) return false;
    out = a;
    return true;
}

int SocketErrorFromErrno(int err) {
    switch (err) {
    case 0: return 0;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES: case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE: case ENFILE: return WSAEMFILE;
    case EWOULDBLOCK: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return 10052;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET: return WSAECONNRESET;
    case ENOBUFS: case ENOMEM: return WSAENOBUFS;
    case EISCONN: return 10056;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: case EPIPE: return WSAESHUTDOWN;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    case ENOTEMPTY: return 10066;
    case EUSERS: return 10068;
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
    case EREMOTE: return 10071;
    default: return err;
    }
}

int SocketErrorFromLookup(int eaiResult, int err) {
    switch (eaiResult) {
    case 0: return 0;
    case EAI_NONAME: return WSAHOST_NOT_FOUND;
#ifdef EAI_NODATA
    case EAI_NODATA: return WSANO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return WSANO_DATA;
#endif
    case EAI_AGAIN: return WSATRY_AGAIN;
    case EAI_FAIL: return WSANO_RECOVERY;
    case EAI_MEMORY: return WSAENOBUFS;
    case EAI_SYSTEM: return SocketErrorFromErrno(err);
    default: return WSANO_RECOVERY;
    }
}

int SockLastError() { return gLastError; }
void SockSetLastError(int code) { gLastError = code; }

TSocketHandle SockOpen(bool stream, int protocol, bool v6) {
    int s = ::socket(v6 ? AF_INET6 : AF_INET, (stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (s < 0) {
        Fail(errno);
        return INVALID_SOCKET_HANDLE;
    }
    return s;
}

bool SockClose(TSocketHandle s) {
    // Linux releases the descriptor even when close reports EINTR, so that is no failure.
    if (::close(s) != 0 && errno != EINTR) return Fail(errno);
    return true;
}

bool SockShutdownSend(TSocketHandle s) {
    return ::shutdown(s, SHUT_WR) == 0 || Fail(errno);
}

bool SockShutdown(TSocketHandle s, int how) {
    const int native = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
    return ::shutdown(s, native) == 0 || Fail(errno);
}

bool SockSetFlag(TSocketHandle s, TSockFlag flag, bool on) {
    const int option = flag == sfReuseAddr ? SO_REUSEADDR : flag == sfKeepAlive ? SO_KEEPALIVE : SO_BROADCAST;
    const int value = on ? 1 : 0;
    return ::setsockopt(s, SOL_SOCKET, option, &value, sizeof value) == 0 || Fail(errno);
}

bool SockSetLinger(TSocketHandle s, bool on, int seconds) {
    linger l{};
    l.l_onoff = on ? 1 : 0;
    l.l_linger = seconds;
    return ::setsockopt(s, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0 || Fail(errno);
}

bool SockBind(TSocketHandle s, uint32_t addr, uint16_t port) {
    sockaddr_in sa = MakeAddr(addr, port);
    return ::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 || Fail(errno);
}

namespace {
// getsockname or getpeername into an IPv4 address and port (both in network order).
bool SockName(int (*query)(int, sockaddr*, socklen_t*), TSocketHandle s, uint32_t& addr, uint16_t& port) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (query(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return Fail(errno);
    addr = sa.sin_addr.s_addr;
    port = sa.sin_port;
    return true;
}
}  // namespace

bool SockLocalName(TSocketHandle s, uint32_t& addr, uint16_t& port) { return SockName(::getsockname, s, addr, port); }

bool SockPeerName(TSocketHandle s, uint32_t& addr, uint16_t& port) { return SockName(::getpeername, s, addr, port); }

int SockConnect(TSocketHandle s, uint32_t addr, uint16_t port) {
    sockaddr_in sa = MakeAddr(addr, port);
    if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return 0;
    if (errno == EINPROGRESS) return 1;
    Fail(errno);
    return -1;
}

int SockConnectTo(TSocketHandle s, const TSockAddress& a) {
    socklen_t len = 0;
    sockaddr_storage ss = ToNative(a, len);
    if (::connect(s, reinterpret_cast<sockaddr*>(&ss), len) == 0) return 0;
    if (errno == EINPROGRESS) return 1;
    Fail(errno);
    return -1;
}

bool SockPeerAddress(TSocketHandle s, TSockAddress& a) {
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    if (::getpeername(s, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return Fail(errno);
    return FromNative(reinterpret_cast<sockaddr*>(&ss), a) || Fail(EAFNOSUPPORT);
}

int SockPendingError(TSocketHandle s) {
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    return SocketErrorFromErrno(err);
}

long SockRecv(TSocketHandle s, void* buffer, long length, bool peek) {
    if (length < 0) length = 0;
    ssize_t n;
    do {
        n = ::recv(s, buffer, static_cast<size_t>(length), peek ? MSG_PEEK : 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) Fail(errno);
    return static_cast<long>(n);
}

long SockSend(TSocketHandle s, const void* buffer, long length) {
    if (length < 0) length = 0;
    ssize_t n;
    do {
        n = ::send(s, buffer, static_cast<size_t>(length), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0) Fail(errno);
    return static_cast<long>(n);
}

long SockSendTo(TSocketHandle s, const void* buffer, long length, const TSockAddress& to) {
    if (length < 0) length = 0;
    socklen_t len = 0;
    sockaddr_storage ss = ToNative(to, len);
    ssize_t n;
    do {
        n = ::sendto(s, buffer, static_cast<size_t>(length), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&ss), len);
    } while (n < 0 && errno == EINTR);
    if (n < 0) Fail(errno);
    return static_cast<long>(n);
}

long SockRecvFrom(TSocketHandle s, void* buffer, long length, TSockAddress& from) {
    if (length < 0) length = 0;
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    ssize_t n;
    do {
        n = ::recvfrom(s, buffer, static_cast<size_t>(length), 0, reinterpret_cast<sockaddr*>(&ss), &len);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        Fail(errno);
        return -1;
    }
    if (!FromNative(reinterpret_cast<sockaddr*>(&ss), from)) from = TSockAddress{};
    return static_cast<long>(n);
}

long SockPendingBytes(TSocketHandle s) {
    int count = 0;
    if (::ioctl(s, FIONREAD, &count) != 0) {
        Fail(errno);
        return -1;
    }
    return count;
}

void SetHostLookupHook(THostLookupHook hook) { gHostLookupHook = hook; }

bool SockLookupHost(const std::string& name, std::vector<TSockAddress>& out) {
    out.clear();
    if (THostLookupHook hook = gHostLookupHook.load(); hook != nullptr) {
        int error = 0;
        if (hook(name, out, error) && !out.empty()) return true;
        gLastError = error != 0 ? error : WSANO_DATA;
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &res);
    if (rc != 0) {
        gLastError = SocketErrorFromLookup(rc, errno);
        return false;
    }
    for (addrinfo* ai = res; ai != nullptr; ai = ai->ai_next) {
        TSockAddress a;
        if (ai->ai_addr != nullptr && FromNative(ai->ai_addr, a)) out.push_back(a);
    }
    ::freeaddrinfo(res);
    if (out.empty()) gLastError = WSANO_DATA;
    return !out.empty();
}

bool SockLookupService(const std::string& name, const std::string& proto, uint16_t& port) {
    servent se{};
    servent* result = nullptr;
    std::vector<char> buf(4096);
    int rc = ::getservbyname_r(name.c_str(), proto.c_str(), &se, buf.data(), buf.size(), &result);
    if (rc != 0 || result == nullptr) {
        gLastError = rc != 0 && rc != ENOENT ? SocketErrorFromErrno(rc) : WSANO_DATA;
        return false;
    }
    port = static_cast<uint16_t>(result->s_port);
    return true;
}

bool SockLookupProto(const std::string& name, int& number) {
    protoent pe{};
    protoent* result = nullptr;
    std::vector<char> buf(4096);
    int rc = ::getprotobyname_r(name.c_str(), &pe, buf.data(), buf.size(), &result);
    if (rc != 0 || result == nullptr) {
        gLastError = rc != 0 && rc != ENOENT ? SocketErrorFromErrno(rc) : WSANO_DATA;
        return false;
    }
    number = result->p_proto;
    return true;
}

uint32_t SockInetAddr(const std::string& text) { return ::inet_addr(text.c_str()); }

std::string SockInetNtoa(uint32_t addr) {
    in_addr a{};
    a.s_addr = addr;
    char buf[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, buf, sizeof buf);
    return buf;
}

}  // namespace velkaro
