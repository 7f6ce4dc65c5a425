// The time synchronizer's behaviour, apart from its window: fetching a daytime server's time
// over TAsyncSocket, comparing it with the computer's clock and setting the clock from it.
// The window (TTimeSyncForm) and the command-line fetch each supply a TTimeSyncView.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/system_clock_setter.h"
#include "sync/async_socket.h"
#include "sync/event_source.h"
#include "timemodel/date_time.h"

namespace velkaro {

enum class TMessageIcon { Error, Information };

class TTimeSyncView {
public:
    virtual ~TTimeSyncView() = default;
    virtual void SetLocalTimeText(const std::string& text) = 0;
    virtual void SetRemoteTimeText(const std::string& text) = 0;
    virtual void SetServerTimeEnabled(bool enabled) = 0;
    // A modal box with one OK button; returns when it is dismissed.
    virtual void ShowMessage(const std::string& caption, const std::string& text, TMessageIcon icon) = 0;
};

inline constexpr const char* kDefaultTimeServer = "time.nist.gov";
inline constexpr const char* kMsgConnectFailed = "Failed to connect to time server";
inline constexpr const char* kMsgGetFailed = "Failed to get server time";
inline constexpr const char* kMsgNoRights = "You do not have rights to change time settings.";
inline constexpr const char* kMsgSetFailed = "Failed to change time settings.";
inline constexpr const char* kMsgSynchronized = "Time successfully synchronized.";

class TTimeSync {
public:
    // The pattern source is asked afresh for every time shown. The socket and the fetch's
    // limits run on the event source.
    TTimeSync(TTimeSyncView& view, TClockSetter& clock, std::function<std::string()> timePattern,
              TEventSource& events);
    ~TTimeSync();
    TTimeSync(const TTimeSync&) = delete;
    TTimeSync& operator=(const TTimeSync&) = delete;

    void FormShow();
    void TimerTimer();
    void btnServerTimeClick();
    void btnLocalTimeClick();
    void TimeSocketSessionConnected(TAsyncSocket* sender, uint16_t error);
    void TimeSocketDataAvailable(TAsyncSocket* sender, uint16_t error);
    void TimeSocketSessionClosed(TAsyncSocket* sender, uint16_t error);
    void TimeSocketError(TAsyncSocket* sender);

    // Reads ReplyText; on a valid date sets ClockOffset and the server field.
    void ParseServerReply();
    bool SetProcessPrivilege(const std::string& name, bool enable);

    TAsyncSocket& TimeSocket() { return *fTimeSocket; }

    std::string ServerAddr = kDefaultTimeServer;
    std::string ServerPort = "13";
    // Limits of one fetch: a server that never answers, never closes or never stops sending
    // must not hold the dialog's button for ever.
    int ConnectTimeoutMs = 10000;
    int IdleTimeoutMs = 10000;
    size_t ReplyLimit = 65536;

    std::string ReplyText;
    TDateTime ClockOffset = 0;
    std::optional<TDateTime> LastServerUtc;  // of the last reply that formed a valid date

    // The clocks read; tests may pin them.
    std::function<TDateTime()> UtcNowSource = [] { return UtcNow(); };
    std::function<TDateTime()> LocalNowSource = [] { return LocalNow(); };

private:
    std::string Formatted(TDateTime t) const;
    void FetchTimedOut();

    TTimeSyncView& fView;
    TClockSetter& fClock;
    std::function<std::string()> fTimePattern;
    void StartFetchTimer(int ms);
    void StopFetchTimer();

    TEventSource& fEvents;
    TEventSource::TId fFetchTimer = 0;
    bool fConnected = false;
    std::unique_ptr<TAsyncSocket> fTimeSocket;  // last: it goes first, while the rest still stands
};

}  // namespace velkaro
