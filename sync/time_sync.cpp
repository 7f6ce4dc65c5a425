#include "sync/time_sync.h"

#include <algorithm>

#include "sync/daytime_reply.h"
#include "timemodel/time_format.h"

namespace velkaro {

namespace {
constexpr const char* kSystemTimePrivilege = "SeSystemTimePrivilege";
}

TTimeSync::TTimeSync(TTimeSyncView& view, TClockSetter& clock, std::function<std::string()> timePattern,
                     TEventSource& events)
    : fView(view), fClock(clock), fTimePattern(std::move(timePattern)), fEvents(events),
      fTimeSocket(std::make_unique<TAsyncSocket>(events)) {
    TAsyncSocket& s = *fTimeSocket;
    s.SetAddr(ServerAddr);
    s.SetPort(ServerPort);
    s.SetProto("tcp");
    s.SetLocalAddr("0.0.0.0");
    s.SetLocalPort("0");
    s.LingerOnOff = wsLingerOff;
    s.LingerTimeout = 0;
    s.FlushTimeout = 60;
    s.OnSessionConnected = [this](TAsyncSocket* sender, uint16_t e) { TimeSocketSessionConnected(sender, e); };
    s.OnDataAvailable = [this](TAsyncSocket* sender, uint16_t e) { TimeSocketDataAvailable(sender, e); };
    s.OnSessionClosed = [this](TAsyncSocket* sender, uint16_t e) { TimeSocketSessionClosed(sender, e); };
    s.OnError = [this](TAsyncSocket* sender) { TimeSocketError(sender); };
}

TTimeSync::~TTimeSync() {
    StopFetchTimer();
    // The socket closes without a session-closed event; nothing may call back into us.
    fTimeSocket->OnChangeState = nullptr;
    fTimeSocket.reset();
}

void TTimeSync::StartFetchTimer(int ms) {
    StopFetchTimer();
    fFetchTimer = fEvents.StartTimer(ms, [this] {
        fFetchTimer = 0;
        FetchTimedOut();
    });
}

void TTimeSync::StopFetchTimer() {
    if (fFetchTimer != 0) fEvents.StopTimer(fFetchTimer);
    fFetchTimer = 0;
}

std::string TTimeSync::Formatted(TDateTime t) const { return FormatTimePattern(fTimePattern(), t); }

void TTimeSync::FormShow() { fView.SetLocalTimeText(Formatted(LocalNowSource())); }

void TTimeSync::TimerTimer() {
    TDateTime local = LocalNowSource();
    fView.SetLocalTimeText(Formatted(local));
    fView.SetRemoteTimeText(Formatted(local - ClockOffset));
}

void TTimeSync::btnServerTimeClick() {
    ReplyText.clear();
    fConnected = false;
    fView.SetServerTimeEnabled(false);
    TAsyncSocket& s = *fTimeSocket;
    s.SetAddr(ServerAddr);
    s.SetPort(ServerPort);
    s.SetProto("tcp");
    StartFetchTimer(ConnectTimeoutMs);
    s.Connect();
}

void TTimeSync::TimeSocketSessionConnected(TAsyncSocket*, uint16_t error) {
    if (error != 0) {
        StopFetchTimer();
        fView.ShowMessage("Error", kMsgConnectFailed, TMessageIcon::Error);
        fView.SetServerTimeEnabled(true);
        return;
    }
    fConnected = true;
    StartFetchTimer(IdleTimeoutMs);
}

void TTimeSync::TimeSocketDataAvailable(TAsyncSocket* sender, uint16_t error) {
    if (error != 0) {
        StopFetchTimer();
        fView.ShowMessage("Error", kMsgGetFailed, TMessageIcon::Error);
        sender->Abort();
        return;
    }
    char buffer[1000];
    int n = sender->Receive(buffer, sizeof buffer);
    if (n <= 0) return;
    size_t room = ReplyLimit > ReplyText.size() ? ReplyLimit - ReplyText.size() : 0;
    ReplyText.append(buffer, std::min(static_cast<size_t>(n), room));
    if (static_cast<size_t>(n) > room) {
        // A reply this long is no daytime reply; what came within the limit is still read.
        StopFetchTimer();
        sender->Abort();
        fView.ShowMessage("Error", kMsgGetFailed, TMessageIcon::Error);
        return;
    }
    StartFetchTimer(IdleTimeoutMs);
}

void TTimeSync::TimeSocketSessionClosed(TAsyncSocket*, uint16_t error) {
    StopFetchTimer();
    if (error == 0) ParseServerReply();
    fView.SetServerTimeEnabled(true);
}

void TTimeSync::TimeSocketError(TAsyncSocket*) {
    StopFetchTimer();
    fView.SetServerTimeEnabled(true);
}

void TTimeSync::FetchTimedOut() {
    bool connected = fConnected;
    if (fTimeSocket->State() != wsClosed) fTimeSocket->Abort();
    // Abort ends in the session-closed event, which parses what came and frees the button;
    // without a socket left to close, the button is freed here.
    fView.SetServerTimeEnabled(true);
    fView.ShowMessage("Error", connected ? kMsgGetFailed : kMsgConnectFailed, TMessageIcon::Error);
}

void TTimeSync::ParseServerReply() {
    std::optional<TDateTime> serverUtc = velkaro::ParseServerReply(ReplyText);
    if (!serverUtc) return;
    LastServerUtc = serverUtc;
    TDateTime utc = UtcNowSource();
    ClockOffset = velkaro::ClockOffset(utc, *serverUtc);
    fView.SetRemoteTimeText(Formatted(LocalNowSource() - utc + *serverUtc));
}

bool TTimeSync::SetProcessPrivilege(const std::string& name, bool enable) {
    if (name != kSystemTimePrivilege) return false;  // no such privilege to look up
    return fClock.SetTimePrivilege(enable);
}

void TTimeSync::btnLocalTimeClick() {
    TDateTimeFields f = DecodeDateTime(LocalNowSource() - ClockOffset);
    TPlatformTime target{f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.Millisecond};
    // Linux has no time-change broadcast to send: programs read the clock when they need it.
    if (!SetProcessPrivilege(kSystemTimePrivilege, true)) {
        fView.ShowMessage("Error", kMsgNoRights, TMessageIcon::Error);
    } else {
        if (fClock.SetLocalTime(target)) {
            fView.ShowMessage("Information", kMsgSynchronized, TMessageIcon::Information);
            ClockOffset = 0;
        } else {
            fView.ShowMessage("Error", kMsgSetFailed, TMessageIcon::Error);
        }
        SetProcessPrivilege(kSystemTimePrivilege, false);
    }
    fView.SetLocalTimeText(Formatted(LocalNowSource()));
}

}  // namespace velkaro
