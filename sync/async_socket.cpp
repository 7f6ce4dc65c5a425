#include "sync/async_socket.h"

#include <algorithm>
#include <thread>

#include "sync/socket_library.h"

namespace velkaro {

namespace {

// The private messages, numbered as their WM_USER offsets on Windows.
constexpr int kMsgNotify = 1;
constexpr int kMsgCloseLater = 4;
constexpr int kMsgFreeLater = 5;
constexpr int kMsgTest = 6;

// Connection failures that Windows Sockets always announces later, with the connect
// notification, even when the OS knows them at once (loopback refusals, no route).
bool IsDeferredConnectError(int code) {
    return code == WSAECONNREFUSED || code == WSAENETUNREACH || code == WSAEHOSTUNREACH ||
           code == WSAETIMEDOUT;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

}  // namespace

TAsyncSocket::TAsyncSocket(TEventSource& events) : fEvents(events), fAlive(std::make_shared<bool>(true)) {
    ResetToDefaults();
    SocketCountChanged(1);
}

TAsyncSocket::~TAsyncSocket() {
    fDestroying = true;
    CancelLookup();
    StopAttemptTimer();
    DropRacers();
    try {
        if (fState != wsClosed) Close();
    } catch (...) {
        // Nothing can be reported from a destructor; the handle is gone either way.
    }
    DropNotifiers();
    if (fHandle != INVALID_SOCKET_HANDLE) SockClose(fHandle);
    *fAlive = false;
    SocketCountChanged(-1);
}

void TAsyncSocket::ResetToDefaults() {
    fDestAddrs.clear();
    fNextAddr = 0;
    fDestPort = 0;
    fAddrAssigned = fPortAssigned = false;
    fAddrResolved = fPortResolved = fProtoResolved = fLocalPortResolved = false;
    fProtoStr = "tcp";
    fProtoAssigned = true;
    fProtocol = 6;
    fSocketType = 1;
    fLocalPortStr = "0";
    fLocalPortNum = 0;
    fLocalAddr = "0.0.0.0";
    LingerOnOff = wsLingerOn;
    LingerTimeout = 0;
    fHandle = INVALID_SOCKET_HANDLE;
    fState = wsClosed;
    fPaused = false;
    fCloseReported = false;
    fCloseSeen = false;
    fReadCount = 0;
    FlushTimeout = 60;
}

void TAsyncSocket::SetState(TSocketState newState) {
    TSocketState old = fState;
    fState = newState;
    if (OnChangeState) OnChangeState(this, old, newState);
}

void TAsyncSocket::ReportError(const std::string& message) {
    fLastErrorMessage = message;
    if (OnError) OnError(this);
    else throw ESocketException(message);
}

void TAsyncSocket::ReportSocketError(const std::string& function) {
    int code = SockLastError();
    std::string message =
        "Error " + std::to_string(code) + " in function " + function + "\r\n" + SocketErrorText(code);
    if (code == WSAECONNRESET || code == WSAENOTCONN) {
        StopAttemptTimer();
        DropRacers();
        if (fHandle != INVALID_SOCKET_HANDLE) {
            DropNotifiers();
            SockClose(fHandle);
            fHandle = INVALID_SOCKET_HANDLE;
        }
        SetState(wsClosed);
    }
    fLastError = code;
    ReportError(message);
}

void TAsyncSocket::HandleHandlerException(const std::exception& e) {
    bool canClose = true;
    if (OnBgException) {
        try {
            OnBgException(this, e, canClose);
        } catch (...) {
        }
    }
    if (canClose) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

void TAsyncSocket::SetAddr(const std::string& value) {
    if (fAddrAssigned && value == fAddrStr) return;
    if (fState != wsClosed || fLookup) return ReportError("Cannot change Addr if not closed");
    fAddrStr = Trim(value);
    fAddrAssigned = !fAddrStr.empty();
    fAddrResolved = false;
}

void TAsyncSocket::SetPort(const std::string& value) {
    if (fPortAssigned && value == fPortStr) return;
    if (fState != wsClosed || fLookup) return ReportError("Cannot change Port if not closed");
    fPortStr = Trim(value);
    fPortAssigned = !fPortStr.empty();
    fPortResolved = false;
}

void TAsyncSocket::SetProto(const std::string& value) {
    if (fProtoAssigned && value == fProtoStr) return;
    if (fState != wsClosed || fLookup) return ReportError("Cannot change Proto if not closed");
    fProtoStr = Trim(value);
    fProtoAssigned = !fProtoStr.empty();
    fProtoResolved = false;
    fPortResolved = false;  // a service name means a different port under another protocol
}

void TAsyncSocket::SetLocalPort(const std::string& value) {
    if (value == fLocalPortStr) return;
    if (fState != wsClosed || fLookup) return ReportError("Cannot change LocalPort if not closed");
    fLocalPortStr = Trim(value);
    fLocalPortResolved = false;
}

void TAsyncSocket::SetLocalAddr(const std::string& value) {
    if (fState != wsClosed || fLookup) return ReportError("Cannot change LocalAddr if not closed");
    std::string text = value.empty() ? "0.0.0.0" : value;
    uint32_t addr = SockInetAddr(text);
    if (addr == 0xFFFFFFFFu) return ReportError("SetLocalAddr(): Invalid IP address");
    fLocalAddr = SockInetNtoa(addr);
}

std::string TAsyncSocket::PeerAddr() const {
    TSockAddress a;
    if (fState != wsConnected || !SockPeerAddress(fHandle, a)) return "error";
    return SockAddressText(a);
}

std::string TAsyncSocket::PeerPort() const {
    TSockAddress a;
    if (fState != wsConnected || !SockPeerAddress(fHandle, a)) return "error";
    return std::to_string(static_cast<uint16_t>((a.Port >> 8) | (a.Port << 8)));
}

void TAsyncSocket::ApplyLinger() {
    if (LingerOnOff == wsLingerNoSet) return;
    if (fHandle == INVALID_SOCKET_HANDLE) return ReportError("Cannot set linger option at this time");
    if (!SockSetLinger(fHandle, LingerOnOff == wsLingerOn, LingerTimeout))
        ReportSocketError("setsockopt(SO_LINGER)");
}

bool TAsyncSocket::BindLocal() {
    uint32_t addr = 0;
    try {
        addr = SocketResolveHost(fLocalAddr);
    } catch (const ESocketException& e) {
        AbandonSocket();
        ReportError(e.what());
        return false;
    }
    uint16_t netPort = static_cast<uint16_t>((fLocalPortNum >> 8) | (fLocalPortNum << 8));
    if (!SockBind(fHandle, addr, netPort)) {
        const int code = SockLastError();
        AbandonSocket();
        ReportError("winsock.bind failed, error #" + std::to_string(code));
        return false;
    }
    uint32_t boundAddr = 0;
    uint16_t boundPort = 0;
    if (!SockLocalName(fHandle, boundAddr, boundPort)) {
        const int code = SockLastError();
        AbandonSocket();
        ReportError("winsock.getsockname failed, error #" + std::to_string(code));
        return false;
    }
    fLocalPortNum = static_cast<uint16_t>((boundPort >> 8) | (boundPort << 8));
    fLocalPortStr = std::to_string(fLocalPortNum);
    return true;
}

void TAsyncSocket::Connect() {
    fLastError = 0;
    if ((fHandle != INVALID_SOCKET_HANDLE && fState != wsClosed) || fLookup)
        return ReportError("Connect: Socket already in use");
    if (!fPortAssigned) return ReportError("Connect: No Port Specified");
    if (!fAddrAssigned) return ReportError("Connect: No IP Address Specified");
    if (!fProtoAssigned) return ReportError("Connect: No Protocol Specified");

    try {
        if (!fProtoResolved) {
            fProtocol = SocketResolveProto(fProtoStr);
            fSocketType = fProtocol == 17 ? 2 : 1;
            fProtoResolved = true;
        }
        if (!fPortResolved) {
            uint16_t port = SocketResolvePort(fPortStr, fProtoStr);
            fDestPort = static_cast<uint16_t>((port >> 8) | (port << 8));
            fPortResolved = true;
        }
        if (!fLocalPortResolved) {
            fLocalPortNum = SocketResolvePort(fLocalPortStr, fProtoStr);
            fLocalPortResolved = true;
        }
    } catch (const ESocketException& e) {
        fLastError = 0;
        return ReportError(std::string("connect: ") + e.what());
    }
    if (fAddrResolved) return OpenAndConnect();
    TSockAddress literal;
    if (IsDottedAddress(fAddrStr) || SockParseIPv6(fAddrStr, literal) || fAddrStr.size() >= 257) {
        // Nothing to look up: the text is the address (or is refused at once).
        try {
            fDestAddrs = SocketResolveHostAll(fAddrStr);
        } catch (const ESocketException& e) {
            fLastError = 0;
            return ReportError(std::string("connect: ") + e.what());
        }
        fAddrResolved = true;
        return OpenAndConnect();
    }

    // A name server may keep a lookup waiting for seconds: it runs on a thread of its own while
    // the event loop goes on, and its outcome is taken up here, on the loop's thread.
    auto lookup = std::make_shared<TLookup>();
    fLookup = lookup;
    std::thread([lookup, host = fAddrStr] {
        std::vector<TSockAddress> addrs;
        std::string error;
        int code = 0;
        try {
            addrs = SocketResolveHostAll(host);
        } catch (const ESocketException& e) {
            error = e.what();
            code = SockLastError();
        }
        std::lock_guard<std::mutex> lock(lookup->Mutex);
        lookup->Addrs = std::move(addrs);
        lookup->Error = std::move(error);
        lookup->Code = code;
        lookup->Done = true;
    }).detach();
    // Numeric addresses and test lookups answer at once; a real lookup is looked at often.
    fLookupTimer = fEvents.StartTimer(0, [this] { LookupPoll(); });
}

void TAsyncSocket::LookupPoll() {
    fLookupTimer = 0;
    std::shared_ptr<TLookup> lookup = fLookup;
    if (!lookup) return;
    {
        std::lock_guard<std::mutex> lock(lookup->Mutex);
        if (!lookup->Done) {
            fLookupTimer = fEvents.StartTimer(10, [this] { LookupPoll(); });
            return;
        }
    }
    fLookup.reset();
    // This runs from the loop, not inside Connect: a failure without an error handler goes
    // where a failing event handler's would.
    try {
        if (!lookup->Error.empty()) {
            fLastError = lookup->Code;
            return ReportError("connect: " + lookup->Error);
        }
        fDestAddrs = std::move(lookup->Addrs);
        fAddrResolved = true;
        OpenAndConnect();
    } catch (const std::exception& e) {
        HandleHandlerException(e);
    }
}

void TAsyncSocket::CancelLookup() {
    fLookup.reset();  // the thread finishes on its own; nobody reads its answer
    if (fLookupTimer != 0) fEvents.StopTimer(fLookupTimer);
    fLookupTimer = 0;
}

void TAsyncSocket::AbandonSocket() {
    // The attempt is over: a socket that failed to start connecting must not linger as
    // "opened", or every later Connect would find it in use.
    StopAttemptTimer();
    DropRacers();
    DropNotifiers();
    if (fHandle != INVALID_SOCKET_HANDLE) SockClose(fHandle);
    fHandle = INVALID_SOCKET_HANDLE;
    if (fState != wsClosed) SetState(wsClosed);
    ResetToDefaults();
}

void TAsyncSocket::FailConnect(const std::string& function) {
    int code = SockLastError();
    AbandonSocket();
    fLastError = code;
    ReportError("Error " + std::to_string(code) + " in function " + function + "\r\n" + SocketErrorText(code));
}

void TAsyncSocket::OpenAndConnect() {
    fNextAddr = 0;
    fAttemptError = 0;
    if (fDestAddrs.empty()) {
        SockSetLastError(WSAEINVAL);
        return FailConnect("Connect");
    }
    if (fSocketType == 1) return StartNextAttempt();

    // A datagram socket has no connection to race: it sends to the name's first address.
    fDatagramDest = fDestAddrs[0];
    fDatagramDest.Port = fDestPort;
    fNextAddr = 1;
    fHandle = SockOpen(false, fProtocol, fDatagramDest.V6);
    if (fHandle == INVALID_SOCKET_HANDLE) return FailConnect("Connect (socket)");
    ++fSession;
    SetState(wsOpened);
    // The local address is IPv4; an IPv6 socket gets its port when it first sends.
    const bool localGiven = fLocalPortNum != 0 || fLocalAddr != "0.0.0.0";
    if ((!fDatagramDest.V6 || localGiven) && !BindLocal()) return;
    if (!fDatagramDest.V6 && SockAddressV4Value(fDatagramDest) == 0xFFFFFFFFu &&
        !SockSetFlag(fHandle, sfBroadcast, true))
        return FailConnect("setsockopt(SO_BROADCAST)");
    WatchNotifications(true, false);
    SetState(wsConnected);
    if (OnSessionConnected) OnSessionConnected(this, 0);
}

// 1: connecting may start; 0: no socket for this address (fAttemptError says why); -1: a
// failure that ends the whole attempt, already reported.
int TAsyncSocket::OpenAttempt(const TSockAddress& dest) {
    fHandle = SockOpen(true, fProtocol, dest.V6);
    if (fHandle == INVALID_SOCKET_HANDLE) {
        fAttemptError = SockLastError();
        return 0;
    }
    ++fSession;
    if (fState == wsClosed) SetState(wsOpened);
    if (!SockSetFlag(fHandle, sfReuseAddr, true)) {
        FailConnect("setsockopt(SO_REUSEADDR)");
        return -1;
    }
    if (LingerOnOff != wsLingerNoSet && !SockSetLinger(fHandle, LingerOnOff == wsLingerOn, LingerTimeout)) {
        FailConnect("setsockopt(SO_LINGER)");
        return -1;
    }
    if (!SockSetFlag(fHandle, sfKeepAlive, true)) {
        FailConnect("setsockopt(SO_KEEPALIVE)");
        return -1;
    }
    if ((fLocalPortNum != 0 || fLocalAddr != "0.0.0.0") && !BindLocal()) return -1;
    return 1;
}

void TAsyncSocket::StartNextAttempt() {
    StopAttemptTimer();
    while (fNextAddr < fDestAddrs.size()) {
        TSockAddress dest = fDestAddrs[fNextAddr++];
        dest.Port = fDestPort;
        // An attempt still pending stays open beside the new one: it may yet answer first.
        if (fHandle != INVALID_SOCKET_HANDLE) {
            fRacers.push_back({fHandle, fWriteWatch});
            fHandle = INVALID_SOCKET_HANDLE;
            fWriteWatch = 0;
        }
        const int opened = OpenAttempt(dest);
        if (opened < 0) return;         // reported, and the whole attempt abandoned
        if (opened == 0) continue;      // no socket for this address (its family, say)
        if (SockConnectTo(fHandle, dest) >= 0) {
            WatchNotifications(false, true);
            if (fState != wsConnecting) SetState(wsConnecting);
            if (fNextAddr < fDestAddrs.size())
                fAttemptTimer = fEvents.StartTimer(NextAttemptDelayMs, [this] {
                    fAttemptTimer = 0;
                    StartNextAttempt();
                });
            return;
        }
        fAttemptError = SockLastError();
        if (fNextAddr < fDestAddrs.size() || !fRacers.empty()) {
            SockClose(fHandle);
            fHandle = INVALID_SOCKET_HANDLE;
            continue;
        }
        // The last address failed at once and nothing else is pending.
        SockSetLastError(fAttemptError);
        if (IsDeferredConnectError(fAttemptError)) {
            if (fState != wsConnecting) SetState(wsConnecting);
            PostNotification(FD_CONNECT, static_cast<uint16_t>(fAttemptError));
            return;
        }
        return FailConnect("Connect");
    }
    if (fHandle != INVALID_SOCKET_HANDLE) return;
    if (!fRacers.empty()) {
        // The newest attempt is gone; an earlier one is still pending and takes its place.
        fHandle = fRacers.back().Handle;
        fWriteWatch = fRacers.back().Watch;
        fRacers.pop_back();
        return;
    }
    SockSetLastError(fAttemptError);
    FailConnect("Connect (socket)");
}

void TAsyncSocket::DropRacers() {
    for (const TRacer& r : fRacers) {
        if (r.Watch != 0) fEvents.RemoveWatch(r.Watch);
        SockClose(r.Handle);
    }
    fRacers.clear();
}

void TAsyncSocket::StopAttemptTimer() {
    if (fAttemptTimer != 0) fEvents.StopTimer(fAttemptTimer);
    fAttemptTimer = 0;
}

void TAsyncSocket::WatchNotifications(bool read, bool write) {
    if (fHandle == INVALID_SOCKET_HANDLE) return;
    if (read && fReadWatch == 0) fReadWatch = fEvents.AddWatch(fHandle, TEventSource::ewRead, [this] { ReadReady(); });
    if (write && fWriteWatch == 0)
        fWriteWatch = fEvents.AddWatch(fHandle, TEventSource::ewWrite, [this, h = fHandle] { AttemptEnded(h); });
    if (fReadWatch) fEvents.EnableWatch(fReadWatch, read && !fPaused);
    if (fWriteWatch) fEvents.EnableWatch(fWriteWatch, write && !fPaused);
}

void TAsyncSocket::DropNotifiers() {
    for (TEventSource::TId* w : {&fReadWatch, &fWriteWatch}) {
        if (*w == 0) continue;
        fEvents.RemoveWatch(*w);
        *w = 0;
    }
}

void TAsyncSocket::PostNotification(unsigned bits, uint16_t error) {
    // The OS hands out a closed socket's number again at once, so a notification queued for an
    // earlier session must not reach a later one with the same handle.
    std::shared_ptr<bool> alive = fAlive;
    fEvents.Post([this, alive, handle = fHandle, session = fSession, bits, error] {
        if (*alive && session == fSession) MessageHandler(kMsgNotify, handle, bits, error);
    });
}

void TAsyncSocket::PostMessage(int message) {
    std::shared_ptr<bool> alive = fAlive;
    fEvents.Post([this, alive, handle = fHandle, message] {
        if (*alive) MessageHandler(message, handle, 0, 0);
    });
}

// A connection attempt has ended. The first to connect is the connection; a failure counts only
// when no other attempt is left, and then it is the connect notification, with its outcome.
void TAsyncSocket::AttemptEnded(TSocketHandle handle) {
    if (fState != wsConnecting) return;
    auto racer = std::find_if(fRacers.begin(), fRacers.end(), [handle](const TRacer& r) { return r.Handle == handle; });
    const bool newest = handle == fHandle && handle != INVALID_SOCKET_HANDLE;
    if (!newest && racer == fRacers.end()) return;
    const int error = SockPendingError(handle);
    if (error == 0) {
        if (!newest) {
            // An earlier attempt won: the newest one is closed with the rest.
            DropNotifiers();
            SockClose(fHandle);
            fHandle = racer->Handle;
            fWriteWatch = racer->Watch;
            fRacers.erase(racer);
        }
        StopAttemptTimer();
        DropRacers();
        WatchNotifications(true, false);
        MessageHandler(kMsgNotify, handle, FD_CONNECT, 0);
        return;
    }
    fAttemptError = error;
    if (fNextAddr < fDestAddrs.size() || !fRacers.empty()) {
        // Others remain: this one goes, and an untried address starts at once.
        if (newest) {
            DropNotifiers();
            SockClose(fHandle);
            fHandle = INVALID_SOCKET_HANDLE;
        } else {
            fEvents.RemoveWatch(racer->Watch);
            SockClose(racer->Handle);
            fRacers.erase(racer);
        }
        if (fNextAddr < fDestAddrs.size() || fHandle == INVALID_SOCKET_HANDLE) StartNextAttempt();
        return;
    }
    WatchNotifications(false, false);
    MessageHandler(kMsgNotify, handle, FD_CONNECT, static_cast<uint16_t>(error));
}

// Data waiting is a read notification; end of stream or a connection error is the close
// notification. As with Windows Sockets, no further read notification comes until the
// handlers have run, so a handler that opens a nested event loop is not re-entered.
void TAsyncSocket::ReadReady() {
    if (fHandle == INVALID_SOCKET_HANDLE || fReadWatch == 0) return;
    TSocketHandle handle = fHandle;
    fEvents.EnableWatch(fReadWatch, false);
    unsigned bits = FD_READ;
    uint16_t error = 0;
    long pending = SockPendingBytes(handle);
    if (pending <= 0) {
        char probe = 0;
        long n = SockRecv(handle, &probe, 1, true);
        if (n < 0 && SockLastError() == WSAEWOULDBLOCK) {
            fEvents.EnableWatch(fReadWatch, !fPaused);
            return;
        }
        if (n <= 0 && fSocketType != 1) {
            // A datagram socket has no end of stream: an empty datagram or an error is still
            // something to read.
            error = n < 0 ? static_cast<uint16_t>(SockLastError()) : 0;
        } else if (n <= 0) {
            bits = FD_CLOSE;
            error = n < 0 ? static_cast<uint16_t>(SockLastError()) : 0;
            fCloseSeen = true;
        }
    }
    std::shared_ptr<bool> alive = fAlive;
    MessageHandler(kMsgNotify, handle, bits, error);
    if (*alive && fHandle == handle && fState == wsConnected && !fCloseSeen && !fPaused && fReadWatch != 0)
        fEvents.EnableWatch(fReadWatch, true);
}

void TAsyncSocket::MessageHandler(int message, TSocketHandle handle, unsigned bits, uint16_t error) {
    try {
        switch (message) {
        case kMsgNotify: Dispatch(handle, bits, error); break;
        case kMsgCloseLater: Close(); break;
        case kMsgFreeLater: delete this; return;
        case kMsgTest: throw ESocketException("Test exception in AsyncSocket");
        default: break;
        }
    } catch (const std::exception& e) {
        HandleHandlerException(e);
    } catch (...) {
        HandleHandlerException(ESocketException("Unknown exception in AsyncSocket"));
    }
}

void TAsyncSocket::Dispatch(TSocketHandle handle, unsigned bits, uint16_t error) {
    if (handle != fHandle || fPaused) return;
    if (bits & FD_CONNECT) {
        SetState(wsConnected);
        if (OnSessionConnected) OnSessionConnected(this, error);
        if (error != 0 && fState != wsClosed) Close();
    }
    if ((bits & FD_READ) && fHandle == handle) DrainReceived(error, false);
    if ((bits & FD_CLOSE) && fHandle == handle && fState != wsConnecting) {
        DrainReceived(0, true);
        if (!fCloseReported) {
            fCloseReported = true;
            if (OnSessionClosed) OnSessionClosed(this, error);
        }
        if (fState != wsClosed) Close();
    }
}

void TAsyncSocket::DrainReceived(uint16_t error, bool forceLoop) {
    TSocketHandle handle = fHandle;
    for (;;) {
        fLastError = 0;
        if (OnDataAvailable) {
            OnDataAvailable(this, error);
        } else {
            char scratch[1024];
            if (Receive(scratch, sizeof scratch) < 0 && fLastError == WSAEWOULDBLOCK) {
                fLastError = 0;
                return;
            }
        }
        if (!forceLoop && (ComponentOptions & SocketOptionSet(wsoNoReceiveLoop))) return;
        if (fLastError != 0) return;
        // A handler may have closed or replaced the socket.
        if (fHandle != handle || fHandle == INVALID_SOCKET_HANDLE) return;
        long pending = SockPendingBytes(fHandle);
        if (pending < 0) {
            fLastError = SockLastError();
            return;
        }
        if (pending == 0) return;
    }
}

int TAsyncSocket::Receive(void* buffer, int length) {
    if (fHandle == INVALID_SOCKET_HANDLE) {
        SockSetLastError(WSAENOTSOCK);
        fLastError = WSAENOTSOCK;
        return -1;
    }
    long n = SockRecv(fHandle, buffer, length);
    if (n < 0) {
        fLastError = SockLastError();
        return -1;
    }
    fReadCount += n;
    return static_cast<int>(n);
}

int TAsyncSocket::SendTo(const void* data, int length) {
    if (fHandle == INVALID_SOCKET_HANDLE || fSocketType == 1 || fState != wsConnected) {
        fLastError = WSAENOTCONN;
        return -1;
    }
    long n = SockSendTo(fHandle, data, length, fDatagramDest);
    if (n < 0) fLastError = SockLastError();
    return static_cast<int>(n);
}

int TAsyncSocket::ReceiveFrom(void* buffer, int length, TSockAddress& from) {
    if (fHandle == INVALID_SOCKET_HANDLE) {
        fLastError = WSAENOTSOCK;
        return -1;
    }
    long n = SockRecvFrom(fHandle, buffer, length, from);
    if (n < 0) {
        fLastError = SockLastError();
        return -1;
    }
    fReadCount += n;
    return static_cast<int>(n);
}

long TAsyncSocket::RcvdCount() {
    long n = SockPendingBytes(fHandle);
    if (n < 0) {
        ReportSocketError("ioctlSocket");
        return -1;
    }
    return n;
}

std::string TAsyncSocket::ReceiveStr() {
    long count = RcvdCount();
    if (count < 0) return {};
    if (count == 0) count = 255;
    std::string text(static_cast<size_t>(count), '\0');
    int n = Receive(text.data(), static_cast<int>(count));
    if (n < 1) return {};
    text.resize(static_cast<size_t>(n));
    return text;
}

void TAsyncSocket::Shutdown(int how) {
    if (fHandle != INVALID_SOCKET_HANDLE) SockShutdown(fHandle, how);
}

void TAsyncSocket::Pause() {
    fPaused = true;
    for (const TRacer& r : fRacers) fEvents.EnableWatch(r.Watch, false);
    if (fReadWatch) fEvents.EnableWatch(fReadWatch, false);
    if (fWriteWatch) fEvents.EnableWatch(fWriteWatch, false);
}

void TAsyncSocket::Resume() {
    fPaused = false;
    if (fReadWatch) fEvents.EnableWatch(fReadWatch, fState == wsConnected && !fCloseSeen);
    if (fWriteWatch) fEvents.EnableWatch(fWriteWatch, fState == wsConnecting);
    for (const TRacer& r : fRacers) fEvents.EnableWatch(r.Watch, fState == wsConnecting);
}

void TAsyncSocket::Close() { CloseSession(true, 0); }

void TAsyncSocket::Abort() {
    if (fHandle != INVALID_SOCKET_HANDLE && fState == wsConnected && fSocketType == 1) {
        LingerOnOff = wsLingerOff;
        ApplyLinger();
    }
    CloseSession(false, 0);
}

void TAsyncSocket::CloseSession(bool shutdownFirst, uint16_t error) {
    if (fLookup) {
        // Nothing was opened yet: the session ends before it began, with nothing to report.
        CancelLookup();
        ResetToDefaults();
        return;
    }
    if (fHandle == INVALID_SOCKET_HANDLE) {
        if (fState != wsClosed) {
            SetState(wsClosed);
            ResetToDefaults();
        }
        return;
    }
    if (fState == wsClosed) return;
    StopAttemptTimer();
    DropRacers();
    if (shutdownFirst) SockShutdownSend(fHandle);
    DropNotifiers();
    if (!SockClose(fHandle)) {
        fLastError = SockLastError();
        if (fLastError != WSANOTINITIALISED) {
            fHandle = INVALID_SOCKET_HANDLE;
            return ReportSocketError("Disconnect (closesocket)");
        }
    }
    fHandle = INVALID_SOCKET_HANDLE;
    SetState(wsClosed);
    if (!fDestroying && !fCloseReported) {
        fCloseReported = true;
        if (OnSessionClosed) OnSessionClosed(this, error);
    }
    try {
        ResetToDefaults();
    } catch (...) {
    }
}

void TAsyncSocket::CloseLater() { PostMessage(kMsgCloseLater); }

void TAsyncSocket::FreeLater() { PostMessage(kMsgFreeLater); }

void TAsyncSocket::PostTestMessage() { PostMessage(kMsgTest); }

}  // namespace velkaro
