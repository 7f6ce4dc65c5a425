#include "sync/socket_library.h"

#include <cstdio>

#include "platform/socket.h"

namespace velkaro {

namespace {

int gSocketCount = 0;

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

std::string Format(const char* pattern, const std::string& text, int code) {
    int n = std::snprintf(nullptr, 0, pattern, text.c_str(), code);
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, text.c_str(), code);
    out.resize(static_cast<size_t>(n));
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Leading blanks skipped, then digits up to the first other character; wraps like a C int.
uint32_t LeadingDecimal(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    uint32_t v = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) v = v * 10 + static_cast<uint32_t>(s[i] - '0');
    return v;
}

}  // namespace

bool IsDottedAddress(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && text[i] == '.') return false;
    int dots = 0;
    int part = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.') {
            if (i + 1 >= text.size() || !IsDigit(text[i + 1])) return false;
            ++dots;
            part = 0;
        } else if (IsDigit(c)) {
            part = part * 10 + (c - '0');
            if (part > 255) return false;
        } else if (c == ' ') {
            for (; i < text.size(); ++i)
                if (text[i] != ' ') return false;
            break;
        } else {
            return false;
        }
    }
    return dots == 3;
}

std::vector<TSockAddress> SocketResolveHostAll(const std::string& text) {
    if (text.empty() || text.size() >= 257)
        throw ESocketException("SocketResolveHost: '" + text + "' Invalid Hostname.");
    std::string host = Trim(text);
    if (IsDottedAddress(host)) {
        uint32_t addr = SockInetAddr(host);
        if (addr == 0xFFFFFFFFu && host != "255.255.255.255")
            throw ESocketException("SocketResolveHost: '" + text + "' Invalid IP address.");
        return {SockAddressV4(addr)};
    }
    TSockAddress v6;
    if (SockParseIPv6(host, v6)) return {v6};
    std::vector<TSockAddress> addrs;
    if (!SockLookupHost(host, addrs))
        throw ESocketException(
            Format("SocketResolveHost: Cannot convert host address '%s', Error #%d", host, SockLastError()));
    return addrs;
}

uint32_t SocketResolveHost(const std::string& text) {
    for (const TSockAddress& a : SocketResolveHostAll(text))
        if (!a.V6) return SockAddressV4Value(a);
    SockSetLastError(WSANO_DATA);
    throw ESocketException(
        Format("SocketResolveHost: Cannot convert host address '%s', Error #%d", Trim(text), WSANO_DATA));
}

uint16_t SocketResolvePort(const std::string& port, const std::string& proto) {
    if (port.empty() || port.size() >= 32) throw ESocketException("SocketResolvePort: Invalid Port.");
    if (proto.empty() || proto.size() >= 32) throw ESocketException("SocketResolvePort: Invalid Proto.");
    if (IsDigit(port[0])) return static_cast<uint16_t>(LeadingDecimal(port));
    uint16_t netPort = 0;
    if (!SockLookupService(port, proto, netPort))
        throw ESocketException(Format("SocketResolvePort: Cannot convert port '%s', Error #%d", port, SockLastError()));
    return static_cast<uint16_t>((netPort >> 8) | (netPort << 8));
}

int SocketResolveProto(const std::string& text) {
    if (text.empty() || text.size() >= 32) throw ESocketException("SocketResolveProto: Invalid Protocol.");
    if (IsDigit(text[0])) return static_cast<int>(LeadingDecimal(text));
    int number = 0;
    if (!SockLookupProto(text, number))
        throw ESocketException(
            Format("SocketResolveProto: Cannot convert protocol '%s', Error #%d", text, SockLastError()));
    return number;
}

std::string SocketErrorText(int code) {
    switch (code) {
    case 0: return "No Error";
    case 10004: return "Interrupted system call";
    case 10009: return "Bad file number";
    case 10013: return "Permission denied";
    case 10014: return "Bad address";
    case 10022: return "Invalid argument";
    case 10024: return "Too many open files";
    case 10035: return "Operation would block";
    case 10036: return "Operation now in progress";
    case 10037: return "Operation already in progress";
    case 10038: return "Socket operation on non-socket";
    case 10039: return "Destination address required";
    case 10040: return "Message too long";
    case 10041: return "Protocol wrong type for socket";
    case 10042: return "Protocol not available";
    case 10043: return "Protocol not supported";
    case 10044: return "Socket type not supported";
    case 10045: return "Operation not supported on socket";
    case 10046: return "Protocol family not supported";
    case 10047: return "Address family not supported by protocol family";
    case 10048: return "Address already in use";
    case 10049: return "Address not available";
    case 10050: return "Network is down";
    case 10051: return "Network is unreachable";
    case 10052: return "Network dropped connection on reset";
    case 10053: return "Connection aborted";
    case 10054: return "Connection reset by peer";
    case 10055: return "No buffer space available";
    case 10056: return "Socket is already connected";
    case 10057: return "Socket is not connected";
    case 10058: return "Can't send after socket shutdown";
    case 10059: return "Too many references: can't splice";
    case 10060: return "Connection timed out";
    case 10061: return "Connection refused";
    case 10062: return "Too many levels of symbolic links";
    case 10063: return "File name too long";
    case 10064: return "Host is down";
    case 10065: return "No route to host";
    case 10066: return "Directory not empty";
    case 10067: return "Too many processes";
    case 10068: return "Too many users";
    case 10069: return "Disc quota exceeded";
    case 10070: return "Stale NFS file handle";
    case 10071: return "Too many levels of remote in path";
    case 10091: return "Network sub-system is unusable";
    case 10092: return "WinSock DLL cannot support this application";
    case 10093: return "WinSock not initialized";
    case 11001: return "Host not found";
    case 11002: return "Non-authoritative host not found";
    case 11003: return "Non-recoverable error";
    case 11004: return "No Data";
    default: return "Not a WinSock error";
    }
}

int SocketCount() { return gSocketCount; }
void SocketCountChanged(int delta) { gSocketCount += delta; }

}  // namespace velkaro
