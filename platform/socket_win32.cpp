// Windows Sockets 2 implementation of the socket calls. The library reports its own error
// numbers, which are the codes the program explains, so they are passed on as they come.
// Our header first: it names the Windows Sockets codes that winsock2.h then defines as macros.
#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "platform/sockaddr_native.h"

#include <atomic>
#include <cstring>

namespace velkaro {

using native::FromNative;
using native::MakeAddr;
using native::ToNative;

namespace {

thread_local int gLastError = 0;
std::atomic<THostLookupHook> gHostLookupHook{nullptr};

bool Fail() {
    gLastError = WSAGetLastError();
    return false;
}

// Started once, on first use, and left to the end of the process.
bool Started() {
    static const int result = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (result != 0) gLastError = result;
    return result == 0;
}

// Socket handles are kernel handles, which 64-bit Windows keeps within 32 bits so that they
// may be truncated and sign-extended: the shared handle type is an int.
SOCKET Native(TSocketHandle s) { return static_cast<SOCKET>(static_cast<intptr_t>(s)); }

}  // namespace

std::string SockAddressText(const TSockAddress& a) {
    char buf[INET6_ADDRSTRLEN] = {};
    if (!Started()) return {};
    ::inet_ntop(a.V6 ? AF_INET6 : AF_INET, a.Bytes, buf, sizeof buf);
    return buf;
}

bool SockParseIPv6(const std::string& text, TSockAddress& out) {
    TSockAddress a;
    a.V6 = true;
    if (!Started() || ::inet_pton(AF_INET6, text.c_str(), a.Bytes) != 1) return false;
    out = a;
    return true;
}

int SocketErrorFromErrno(int err) { return err; }
int SocketErrorFromLookup(int eaiResult, int /*err*/) { return eaiResult; }

int SockLastError() { return gLastError; }
void SockSetLastError(int code) {
    gLastError = code;
    WSASetLastError(code);
}

TSocketHandle SockOpen(bool stream, int protocol, bool v6) {
    if (!Started()) return INVALID_SOCKET_HANDLE;
    SOCKET s = ::socket(v6 ? AF_INET6 : AF_INET, stream ? SOCK_STREAM : SOCK_DGRAM, protocol);
    if (s == INVALID_SOCKET) {
        Fail();
        return INVALID_SOCKET_HANDLE;
    }
    u_long nonBlocking = 1;
    if (::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        Fail();
        ::closesocket(s);
        return INVALID_SOCKET_HANDLE;
    }
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return static_cast<TSocketHandle>(static_cast<intptr_t>(s));
}

bool SockClose(TSocketHandle s) { return ::closesocket(Native(s)) == 0 || Fail(); }

bool SockShutdownSend(TSocketHandle s) { return ::shutdown(Native(s), SD_SEND) == 0 || Fail(); }

bool SockShutdown(TSocketHandle s, int how) { return ::shutdown(Native(s), how) == 0 || Fail(); }

bool SockSetFlag(TSocketHandle s, TSockFlag flag, bool on) {
    const int option = flag == sfReuseAddr ? SO_REUSEADDR : flag == sfKeepAlive ? SO_KEEPALIVE : SO_BROADCAST;
    const BOOL value = on ? TRUE : FALSE;
    return ::setsockopt(Native(s), SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value) == 0 ||
           Fail();
}

bool SockSetLinger(TSocketHandle s, bool on, int seconds) {
    linger l{};
    l.l_onoff = on ? 1 : 0;
    l.l_linger = static_cast<u_short>(seconds);
    return ::setsockopt(Native(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l) == 0 ||
           Fail();
}

bool SockBind(TSocketHandle s, uint32_t addr, uint16_t port) {
    sockaddr_in sa = MakeAddr(addr, port);
    return ::bind(Native(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 || Fail();
}

namespace {
bool SockName(int(WSAAPI* query)(SOCKET, sockaddr*, int*), TSocketHandle s, uint32_t& addr, uint16_t& port) {
    sockaddr_in sa{};
    int len = sizeof sa;
    if (query(Native(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return Fail();
    addr = sa.sin_addr.s_addr;
    port = sa.sin_port;
    return true;
}
}  // namespace

bool SockLocalName(TSocketHandle s, uint32_t& addr, uint16_t& port) { return SockName(::getsockname, s, addr, port); }

bool SockPeerName(TSocketHandle s, uint32_t& addr, uint16_t& port) { return SockName(::getpeername, s, addr, port); }

int SockConnect(TSocketHandle s, uint32_t addr, uint16_t port) {
    sockaddr_in sa = MakeAddr(addr, port);
    if (::connect(Native(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) return 0;
    // A non-blocking connect that has started says "would block" here, not "in progress".
    const int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK || err == WSAEINPROGRESS) return 1;
    gLastError = err;
    return -1;
}

int SockConnectTo(TSocketHandle s, const TSockAddress& a) {
    int len = 0;
    sockaddr_storage ss = ToNative(a, len);
    if (::connect(Native(s), reinterpret_cast<sockaddr*>(&ss), len) == 0) return 0;
    const int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK || err == WSAEINPROGRESS) return 1;
    gLastError = err;
    return -1;
}

bool SockPeerAddress(TSocketHandle s, TSockAddress& a) {
    sockaddr_storage ss{};
    int len = sizeof ss;
    if (::getpeername(Native(s), reinterpret_cast<sockaddr*>(&ss), &len) != 0) return Fail();
    if (FromNative(reinterpret_cast<sockaddr*>(&ss), a)) return true;
    gLastError = WSAEAFNOSUPPORT;
    return false;
}

int SockPendingError(TSocketHandle s) {
    int err = 0;
    int len = sizeof err;
    if (::getsockopt(Native(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0)
        err = WSAGetLastError();
    return err;
}

long SockRecv(TSocketHandle s, void* buffer, long length, bool peek) {
    if (length < 0) length = 0;
    const int n = ::recv(Native(s), static_cast<char*>(buffer), static_cast<int>(length), peek ? MSG_PEEK : 0);
    if (n == SOCKET_ERROR) {
        Fail();
        return -1;
    }
    return n;
}

long SockSend(TSocketHandle s, const void* buffer, long length) {
    if (length < 0) length = 0;
    const int n = ::send(Native(s), static_cast<const char*>(buffer), static_cast<int>(length), 0);
    if (n == SOCKET_ERROR) {
        Fail();
        return -1;
    }
    return n;
}

long SockSendTo(TSocketHandle s, const void* buffer, long length, const TSockAddress& to) {
    if (length < 0) length = 0;
    int len = 0;
    sockaddr_storage ss = ToNative(to, len);
    const int n = ::sendto(Native(s), static_cast<const char*>(buffer), static_cast<int>(length), 0,
                           reinterpret_cast<sockaddr*>(&ss), len);
    if (n == SOCKET_ERROR) {
        Fail();
        return -1;
    }
    return n;
}

long SockRecvFrom(TSocketHandle s, void* buffer, long length, TSockAddress& from) {
    if (length < 0) length = 0;
    sockaddr_storage ss{};
    int len = sizeof ss;
    const int n = ::recvfrom(Native(s), static_cast<char*>(buffer), static_cast<int>(length), 0,
                             reinterpret_cast<sockaddr*>(&ss), &len);
    if (n == SOCKET_ERROR) {
        Fail();
        return -1;
    }
    if (!FromNative(reinterpret_cast<sockaddr*>(&ss), from)) from = TSockAddress{};
    return n;
}

long SockPendingBytes(TSocketHandle s) {
    u_long count = 0;
    if (::ioctlsocket(Native(s), FIONREAD, &count) != 0) {
        Fail();
        return -1;
    }
    return static_cast<long>(count);
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
    if (!Started()) return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &res);
    if (rc != 0) {
        gLastError = rc;  // already a Windows Sockets code
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
    if (!Started()) return false;
    const servent* se = ::getservbyname(name.c_str(), proto.c_str());  // per-thread storage
    if (se == nullptr) {
        const int err = WSAGetLastError();
        gLastError = err != 0 ? err : WSANO_DATA;
        return false;
    }
    port = static_cast<uint16_t>(se->s_port);
    return true;
}

bool SockLookupProto(const std::string& name, int& number) {
    if (!Started()) return false;
    const protoent* pe = ::getprotobyname(name.c_str());
    if (pe == nullptr) {
        const int err = WSAGetLastError();
        gLastError = err != 0 ? err : WSANO_DATA;
        return false;
    }
    number = pe->p_proto;
    return true;
}

uint32_t SockInetAddr(const std::string& text) { return ::inet_addr(text.c_str()); }

std::string SockInetNtoa(uint32_t addr) {
    in_addr a{};
    a.s_addr = addr;
    const char* text = ::inet_ntoa(a);
    return text != nullptr ? text : "";
}

}  // namespace velkaro
