// An event-driven, non-blocking TCP client socket for code that runs on the user-interface
// thread: set Addr, Port and Proto, call Connect, and learn everything else through events.
//
// Readiness comes from an event source (the window's loop or the command line's own) on the
// thread that created the object and is turned into the connect / read / close notifications
// in a fixed order. Deferred calls on that source stand in for the messages of a hidden window,
// together with the object's own deferred requests (CloseLater, FreeLater and a test message
// that raises inside the handler).
//
// Only the client path is here, with single datagrams for a UDP client. Listening and
// accepting, SOCKS, line mode, synchronous waits and the stream's send buffer are not built:
// over TCP the program connects, reads until the peer closes and never sends.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "sync/event_source.h"

namespace velkaro {

enum TSocketState {
    wsInvalidState, wsOpened, wsBound, wsConnecting, wsConnected, wsAccepting, wsListening, wsClosed
};
enum TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TSocketOption { wsoNoReceiveLoop };
// A set of TSocketOption, one bit per value.
using TSocketOptions = unsigned;
constexpr TSocketOptions SocketOptionSet(TSocketOption o) { return 1u << o; }

// The notification bits, with their Windows Sockets values.
constexpr unsigned FD_READ = 0x01, FD_WRITE = 0x02, FD_ACCEPT = 0x08, FD_CONNECT = 0x10, FD_CLOSE = 0x20;

class TAsyncSocket {
public:
    using TSessionEvent = std::function<void(TAsyncSocket* sender, uint16_t error)>;
    using TChangeStateEvent = std::function<void(TAsyncSocket* sender, TSocketState oldState, TSocketState newState)>;
    using TNotifyEvent = std::function<void(TAsyncSocket* sender)>;
    using TBgExceptionEvent = std::function<void(TAsyncSocket* sender, const std::exception& e, bool& canClose)>;

    explicit TAsyncSocket(TEventSource& events);
    // Closes an open connection without reporting OnSessionClosed.
    ~TAsyncSocket();
    TAsyncSocket(const TAsyncSocket&) = delete;
    TAsyncSocket& operator=(const TAsyncSocket&) = delete;

    TSessionEvent OnSessionConnected;
    TSessionEvent OnDataAvailable;
    TSessionEvent OnSessionClosed;
    TChangeStateEvent OnChangeState;
    TNotifyEvent OnError;
    TBgExceptionEvent OnBgException;

    const std::string& Addr() const { return fAddrStr; }
    void SetAddr(const std::string& value);
    const std::string& Port() const { return fPortStr; }
    void SetPort(const std::string& value);
    const std::string& Proto() const { return fProtoStr; }
    void SetProto(const std::string& value);
    const std::string& LocalAddr() const { return fLocalAddr; }
    void SetLocalAddr(const std::string& value);
    const std::string& LocalPort() const { return fLocalPortStr; }
    void SetLocalPort(const std::string& value);
    std::string PeerAddr() const;
    std::string PeerPort() const;

    TSocketState State() const { return fState; }
    long ReadCount() const { return fReadCount; }
    int LastError() const { return fLastError; }
    // The text of the last error reported; OnError itself is not told it.
    const std::string& LastErrorMessage() const { return fLastErrorMessage; }
    TSocketHandle Handle() const { return fHandle; }

    bool MultiThreaded = false;  // kept for the settings' sake; waits here never pump messages
    TSocketOptions ComponentOptions = 0;
    int FlushTimeout = 60;       // stored only
    TSocketSendFlags SendFlags = wsSendNormal;
    TSocketLingerOnOff LingerOnOff = wsLingerOn;
    int LingerTimeout = 0;

    // Resolves the destination (a host name on a thread of its own, so the loop goes on) and
    // connects to its addresses the Happy Eyeballs way (RFC 8305): in the resolver's order,
    // the next one started when the attempts so far have not connected within
    // NextAttemptDelayMs (or at once when one fails), earlier ones kept open; the first to
    // connect wins and the others are closed.
    void Connect();
    int NextAttemptDelayMs = 250;
    // A host name lookup of Connect is under way.
    bool Resolving() const { return fLookup != nullptr; }
    void Close();
    void Abort();
    // Bytes read; 0 when the peer has closed; negative on failure (LastError tells why). Never raises.
    int Receive(void* buffer, int length);
    std::string ReceiveStr();
    // Datagram sockets ("udp"): one datagram to the destination the name resolved to, and one
    // datagram in with the address it came from. Bytes, or -1 (LastError tells why).
    int SendTo(const void* data, int length);
    int ReceiveFrom(void* buffer, int length, TSockAddress& from);
    const TSockAddress& DatagramDestination() const { return fDatagramDest; }
    // Bytes waiting now; -1 on failure.
    long RcvdCount();
    void Shutdown(int how);
    void Pause();
    void Resume();
    void CloseLater();
    // Deletes the object from the event loop: only for objects made with new.
    void FreeLater();
    // Posts the message that raises "Test exception in AsyncSocket" inside the handler.
    void PostTestMessage();

private:
    void ResetToDefaults();
    void SetState(TSocketState newState);
    void ReportError(const std::string& message);
    void ReportSocketError(const std::string& function);
    void HandleHandlerException(const std::exception& e);
    void ApplyLinger();
    bool BindLocal();
    struct TLookup {
        std::mutex Mutex;
        bool Done = false;
        std::vector<TSockAddress> Addrs;
        std::string Error;
        int Code = 0;
    };
    void LookupPoll();
    void CancelLookup();
    void OpenAndConnect();
    void StartNextAttempt();
    int OpenAttempt(const TSockAddress& dest);
    void AttemptEnded(TSocketHandle handle);
    void DropRacers();
    void StopAttemptTimer();
    void AbandonSocket();
    void FailConnect(const std::string& function);
    void CloseSession(bool shutdownFirst, uint16_t error);
    void DrainReceived(uint16_t error, bool forceLoop);
    void Dispatch(TSocketHandle handle, unsigned bits, uint16_t error);
    void MessageHandler(int message, TSocketHandle handle, unsigned bits, uint16_t error);
    void PostNotification(unsigned bits, uint16_t error);
    void PostMessage(int message);
    void ReadReady();
    void WatchNotifications(bool read, bool write);
    void DropNotifiers();

    std::string fAddrStr, fPortStr, fProtoStr;
    std::string fLocalAddr = "0.0.0.0";
    std::string fLocalPortStr = "0";
    bool fAddrAssigned = false, fPortAssigned = false, fProtoAssigned = false;
    bool fAddrResolved = false, fPortResolved = false, fProtoResolved = false, fLocalPortResolved = false;
    std::vector<TSockAddress> fDestAddrs;  // of the name, tried in order
    size_t fNextAddr = 0;                  // the first address not yet tried
    // Connection attempts still pending besides the newest one, which is fHandle.
    struct TRacer {
        TSocketHandle Handle;
        TEventSource::TId Watch;
    };
    std::vector<TRacer> fRacers;
    TEventSource::TId fAttemptTimer = 0;
    int fAttemptError = 0;  // of the last attempt that failed
    TSockAddress fDatagramDest;
    uint16_t fDestPort = 0;       // network order
    uint16_t fLocalPortNum = 0;   // host order
    int fProtocol = 6;
    int fSocketType = 1;          // 1 stream, 2 datagram, as Windows numbers them
    TSocketHandle fHandle = INVALID_SOCKET_HANDLE;
    unsigned fSession = 0;        // counts the sockets opened, to tell stale notifications
    TSocketState fState = wsClosed;
    bool fPaused = false;
    bool fCloseReported = false;
    bool fCloseSeen = false;      // the peer's close has been announced; it is announced once
    bool fDestroying = false;
    int fLastError = 0;
    long fReadCount = 0;
    std::string fLastErrorMessage;

    TEventSource& fEvents;
    TEventSource::TId fReadWatch = 0, fWriteWatch = 0;
    std::shared_ptr<TLookup> fLookup;
    TEventSource::TId fLookupTimer = 0;
    std::shared_ptr<bool> fAlive;  // lets deferred calls and handler-side checks see whether the object survived
};

}  // namespace velkaro
