// The time synchronizer's behaviour, apart from its window: fetching a server's time by the
// daytime protocol or NTP over TAsyncSocket, comparing it with the computer's clock and setting
// the clock from it.
// The window (TTimeSyncForm) and the command-line fetch each supply a TTimeSyncView.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_clock_setter.h"
#include "sync/async_socket.h"
#include "sync/daytime_reply.h"
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
    // A modal question with Yes and No, No the default; true for Yes.
    virtual bool Confirm(const std::string& caption, const std::string& text) = 0;
    // One line under the times: the offset with its accuracy, or what went wrong (UTF-8).
    virtual void SetStatusText(const std::string&) {}
};

inline constexpr const char* kDefaultTimeServer = "time.nist.gov";

// How the server is asked: the daytime protocol (TCP 13, a text reply to the second) or NTP
// (UDP 123, four timestamps to the sub-millisecond).
enum TTimeProtocol { tpDaytime, tpNtp };
const char* TimeProtocolName(TTimeProtocol p);  // "daytime", "ntp"
// The protocol as the options keep it, "Daytime" or "NTP"; anything else reads as daytime.
TTimeProtocol ProtocolFromOption(const std::string& text);
const char* OptionOfProtocol(TTimeProtocol p);

// "Your clock is 2.31 s slow (± 0.02 s)", "... fast ...", or "on time" within half a
// hundredth; the uncertainty is rounded up, never down. UTF-8.
std::string AccuracyText(double offsetS, double uncertaintyS);
inline constexpr const char* kMsgConnectFailed = "Failed to connect to time server";
inline constexpr const char* kMsgGetFailed = "Failed to get server time";
inline constexpr const char* kMsgNoRights = "You do not have rights to change time settings.";
inline constexpr const char* kMsgSetFailed = "Failed to change time settings.";
inline constexpr const char* kMsgSynchronized = "Time successfully synchronized.";
inline constexpr const char* kMsgNothingToSet = "There is no server time to set: get the server time first.";
inline constexpr const char* kMsgBeforeBuild =
    "The server's time is earlier than this program was built, so it cannot be right; the clock was not changed.";

// The server a fetch asks: the field's text without surrounding blanks, the default when empty.
std::string ServerFromField(const std::string& text);
// Puts a server at the front of a most-recent-first list (once, whatever its case), keeping
// at most `keep` entries.
void RememberServer(std::vector<std::string>& recent, const std::string& server, size_t keep = 8);

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

    // Reads ReplyText; on a time from a healthy server sets ClockOffset and the server field,
    // otherwise says why not and changes nothing.
    void ParseServerReply();
    bool SetProcessPrivilege(const std::string& name, bool enable);

    TAsyncSocket& TimeSocket() { return *fTimeSocket; }
    bool Fetching() const { return fFetching; }

    std::string ServerAddr = kDefaultTimeServer;
    TTimeProtocol Protocol = tpDaytime;
    std::string ServerPort;  // empty: the protocol's own, 13 or 123
    // Limits of one fetch: waiting for the connection, waiting between pieces of the reply,
    // and the whole fetch from the click on, so that no server can hold it longer.
    int ConnectTimeoutMs = 5000;
    int IdleTimeoutMs = 5000;
    int FetchDeadlineMs = 15000;
    size_t ReplyLimit = 65536;
    // Offsets above this ask before the clock is set.
    double ConfirmAboveSeconds = 1000;
    // No server time earlier than this is believed (tests may move it).
    TDateTime EarliestServerUtc;

    std::string ReplyText;
    TDateTime ClockOffset = 0;
    std::optional<TDateTime> LastServerUtc;  // of the last reply used; cleared once the clock is set
    // A server time is in hand: only then does the server field show a time, so that a failed
    // fetch never leaves the local time there looking like the server's.
    bool ServerTimeKnown = false;
    TDaytimeReply LastReply;                 // of the last reply read
    std::string PeerAddress;                 // the address the last connection reached
    double RoundTripMs = 0;                  // daytime: from connecting to the reply's first byte; NTP: its delay
    double UncertaintyS = 0;                 // of ClockOffset, in seconds (see AccuracyText)
    // One line on what went wrong last (fetch or setting), or empty.
    std::string FailureText;

    // Called when a reply has given a server time.
    std::function<void()> OnServerTime;

    // The clocks read; tests may pin them.
    std::function<TDateTime()> UtcNowSource = [] { return UtcNow(); };
    std::function<TDateTime()> LocalNowSource = [] { return LocalNow(); };

    // The date this program was built, in UTC.
    static TDateTime BuildDateUtc();

private:
    std::string Formatted(TDateTime t) const;
    void FetchTimedOut();
    void SendNtpRequest(TAsyncSocket* sender);
    void ReadNtpDatagram(TAsyncSocket* sender);
    void UseOffset(double offsetS, double uncertaintyS, TDateTime serverUtc);
    void ArmFetchTimer(int ms);
    void StopFetchTimer();
    void EndFetch();
    void Fail(const std::string& box, const std::string& detail, bool show);

    TTimeSyncView& fView;
    TClockSetter& fClock;
    std::function<std::string()> fTimePattern;
    TEventSource& fEvents;
    TEventSource::TId fFetchTimer = 0;
    bool fFetching = false;
    bool fConnected = false;
    bool fFailed = false;  // this fetch has failed: nothing that arrives is used
    bool fNtp = false;     // this fetch asks by NTP
    int64_t fFetchEndMs = 0;
    int64_t fConnectStartMs = 0;
    std::optional<TDateTime> fFirstByteUtc;
    uint64_t fNtpT1 = 0;         // the transmit time of our NTP request, which the reply echoes
    std::string fNtpRefusal;     // why the last NTP reply was dropped, for the time-out's message
    std::unique_ptr<TAsyncSocket> fTimeSocket;  // last: it goes first, while the rest still stands
};

}  // namespace velkaro
