#include "sync/time_sync.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "sync/ntp_reply.h"
#include "sync/socket_library.h"
#include "timemodel/time_format.h"

namespace velkaro {

namespace {

constexpr const char* kSystemTimePrivilege = "SeSystemTimePrivilege";

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Socket messages may carry a CR LF between the function and the error text.
std::string OneLine(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out += ": ";
        else out += c;
    }
    return out;
}

std::string Seconds(int ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g s", ms / 1000.0);
    return buf;
}

bool IsLookupFailure(int code) { return code >= WSAHOST_NOT_FOUND && code <= WSANO_DATA; }

bool SameAddress(const TSockAddress& a, const TSockAddress& b) {
    return a.V6 == b.V6 && a.Port == b.Port && std::memcmp(a.Bytes, b.Bytes, a.V6 ? 16 : 4) == 0;
}

}  // namespace

const char* TimeProtocolName(TTimeProtocol p) { return p == tpNtp ? "ntp" : "daytime"; }

TTimeProtocol ProtocolFromOption(const std::string& text) { return text == "NTP" ? tpNtp : tpDaytime; }

const char* OptionOfProtocol(TTimeProtocol p) { return p == tpNtp ? "NTP" : "Daytime"; }

std::string AccuracyText(double offsetS, double uncertaintyS) {
    char buf[96];
    // Hundredths, the uncertainty rounded up so that it never claims more than it knows.
    const double within = std::max(0.01, std::ceil(uncertaintyS * 100 - 1e-6) / 100);
    if (std::fabs(offsetS) < 0.005)
        std::snprintf(buf, sizeof buf, "Your clock is on time (\xc2\xb1 %.2f s)", within);
    else
        std::snprintf(buf, sizeof buf, "Your clock is %.2f s %s (\xc2\xb1 %.2f s)", std::fabs(offsetS),
                      offsetS > 0 ? "fast" : "slow", within);
    return buf;
}

std::string ServerFromField(const std::string& text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), blank);
    auto last = std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(first), blank).base();
    return first == last ? std::string(kDefaultTimeServer) : std::string(first, last);
}

void RememberServer(std::vector<std::string>& recent, const std::string& server, size_t keep) {
    const auto fold = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string key = fold(server);
    std::erase_if(recent, [&](const std::string& s) { return s.empty() || fold(s) == key; });
    recent.insert(recent.begin(), server);
    if (recent.size() > keep) recent.resize(keep);
}

TDateTime TTimeSync::BuildDateUtc() {
    // __DATE__ is "Mmm dd yyyy"; midnight at its start is early enough whatever the zone.
    static const TDateTime date = [] {
        const std::string d = __DATE__;
        int month = MonthNameToNumber(d.substr(0, 3));
        int day = std::atoi(d.substr(4, 2).c_str());
        int year = std::atoi(d.substr(7, 4).c_str());
        return EncodeDateTime(year, month, day) - 1;
    }();
    return date;
}

TTimeSync::TTimeSync(TTimeSyncView& view, TClockSetter& clock, std::function<std::string()> timePattern,
                     TEventSource& events)
    : EarliestServerUtc(BuildDateUtc()), fView(view), fClock(clock), fTimePattern(std::move(timePattern)),
      fEvents(events), fTimeSocket(std::make_unique<TAsyncSocket>(events)) {
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
    s.OnChangeState = [this](TAsyncSocket*, TSocketState, TSocketState now) {
        if (now != wsConnecting || !fFetching) return;
        // The connect limit starts here: the name lookup before it has only the whole fetch's.
        fConnectStartMs = SteadyMs();
        ArmFetchTimer(ConnectTimeoutMs);
    };
}

TTimeSync::~TTimeSync() {
    StopFetchTimer();
    // The socket closes without a session-closed event; nothing may call back into us.
    fTimeSocket->OnChangeState = nullptr;
    fTimeSocket.reset();
}

std::string TTimeSync::Formatted(TDateTime t) const { return FormatTimePattern(fTimePattern(), t); }

void TTimeSync::FormShow() { fView.SetLocalTimeText(Formatted(LocalNowSource())); }

void TTimeSync::TimerTimer() {
    TDateTime local = LocalNowSource();
    fView.SetLocalTimeText(Formatted(local));
    fView.SetRemoteTimeText(ServerTimeKnown ? Formatted(local - ClockOffset) : std::string());
}

void TTimeSync::ArmFetchTimer(int ms) {
    StopFetchTimer();
    // No wait may reach past the end of the whole fetch.
    int64_t left = std::max<int64_t>(0, fFetchEndMs - SteadyMs());
    fFetchTimer = fEvents.StartTimer(static_cast<int>(std::min<int64_t>(ms, left)), [this] {
        fFetchTimer = 0;
        FetchTimedOut();
    });
}

void TTimeSync::StopFetchTimer() {
    if (fFetchTimer != 0) fEvents.StopTimer(fFetchTimer);
    fFetchTimer = 0;
}

void TTimeSync::EndFetch() {
    StopFetchTimer();
    fFetching = false;
    if (fFailed) fView.SetStatusText(FailureText);
    fView.SetServerTimeEnabled(true);
}

void TTimeSync::Fail(const std::string& box, const std::string& detail, bool show) {
    fFailed = true;
    FailureText = detail.empty() ? box : box + ": " + detail;
    if (show) fView.ShowMessage("Error", box, TMessageIcon::Error);
}

void TTimeSync::btnServerTimeClick() {
    if (fFetching) return;
    ReplyText.clear();
    FailureText.clear();
    PeerAddress.clear();
    RoundTripMs = 0;
    UncertaintyS = 0;
    fFirstByteUtc.reset();
    fConnected = false;
    fFailed = false;
    fFetching = true;
    fNtp = Protocol == tpNtp;
    fNtpRefusal.clear();
    // Until this fetch brings a time there is none to show.
    ServerTimeKnown = false;
    LastServerUtc.reset();
    fView.SetRemoteTimeText("");
    fView.SetServerTimeEnabled(false);
    fView.SetStatusText("");
    TAsyncSocket& s = *fTimeSocket;
    s.SetAddr(ServerAddr);
    s.SetPort(!ServerPort.empty() ? ServerPort : fNtp ? "123" : "13");
    s.SetProto(fNtp ? "udp" : "tcp");
    fFetchEndMs = SteadyMs() + FetchDeadlineMs;
    fConnectStartMs = SteadyMs();
    ArmFetchTimer(FetchDeadlineMs);
    s.Connect();
}

void TTimeSync::TimeSocketSessionConnected(TAsyncSocket* sender, uint16_t error) {
    if (error != 0) {
        StopFetchTimer();
        Fail(kMsgConnectFailed, SocketErrorText(error), true);
        EndFetch();
        return;
    }
    if (fNtp) return SendNtpRequest(sender);
    fConnected = true;
    PeerAddress = sender->PeerAddr();
    ArmFetchTimer(IdleTimeoutMs);
}

void TTimeSync::SendNtpRequest(TAsyncSocket* sender) {
    fConnected = true;
    PeerAddress = SockAddressText(sender->DatagramDestination());
    // Random low bits (a few microseconds) make the time the reply must echo one that a
    // sender who merely saw the server's address cannot guess.
    static std::mt19937 random{std::random_device{}()};
    fNtpT1 = (NtpFromDateTime(UtcNowSource()) & ~uint64_t{0xFFFF}) | (random() & 0xFFFF);
    const auto request = NtpRequest(fNtpT1);
    if (sender->SendTo(request.data(), static_cast<int>(request.size())) != static_cast<int>(request.size())) {
        StopFetchTimer();
        Fail(kMsgConnectFailed, SocketErrorText(sender->LastError()), false);
        sender->Abort();
        fView.ShowMessage("Error", kMsgConnectFailed, TMessageIcon::Error);
        return;
    }
    ArmFetchTimer(IdleTimeoutMs);
}

void TTimeSync::ReadNtpDatagram(TAsyncSocket* sender) {
    uint8_t buffer[1024];
    TSockAddress from;
    const int n = sender->ReceiveFrom(buffer, sizeof buffer, from);
    if (n < 0) return;
    const TDateTime t4 = UtcNowSource();
    if (!SameAddress(from, sender->DatagramDestination())) {
        // Anyone may send us a datagram; only the server's own reply counts.
        fNtpRefusal = "a reply from " + SockAddressText(from) + " was not the server's";
        return;
    }
    const TNtpSample sample = ReadNtpReply(buffer, static_cast<size_t>(n), fNtpT1, NtpFromDateTime(t4));
    if (!sample.Refusal.empty() && !sample.Final) {
        fNtpRefusal = sample.Refusal;
        return;
    }
    StopFetchTimer();
    if (!sample.Refusal.empty()) {
        Fail(sample.Refusal, "", false);
        sender->Abort();
        fView.ShowMessage("Error", sample.Refusal, TMessageIcon::Error);
        return;
    }
    RoundTripMs = sample.DelayS * 1000;
    UseOffset(sample.OffsetS, sample.DelayS / 2, t4 - sample.OffsetS / 86400);
    sender->Close();
}

void TTimeSync::UseOffset(double offsetS, double uncertaintyS, TDateTime serverUtc) {
    LastServerUtc = serverUtc;
    ClockOffset = offsetS / 86400;
    UncertaintyS = uncertaintyS;
    ServerTimeKnown = true;
    fView.SetRemoteTimeText(Formatted(LocalNowSource() - ClockOffset));
    fView.SetStatusText(AccuracyText(offsetS, uncertaintyS));
    if (OnServerTime) OnServerTime();
}

void TTimeSync::TimeSocketDataAvailable(TAsyncSocket* sender, uint16_t error) {
    char buffer[1000];
    if (fFailed) {
        // What comes after a failure is read only to be dropped.
        sender->Receive(buffer, sizeof buffer);
        return;
    }
    if (error != 0) {
        StopFetchTimer();
        Fail(kMsgGetFailed, SocketErrorText(error), true);
        sender->Abort();
        return;
    }
    if (fNtp) return ReadNtpDatagram(sender);
    int n = sender->Receive(buffer, sizeof buffer);
    if (n <= 0) return;
    if (ReplyText.empty()) {
        // The server wrote its time just before this byte left it: that is the moment compared.
        fFirstByteUtc = UtcNowSource();
        RoundTripMs = static_cast<double>(SteadyMs() - fConnectStartMs);
    }
    size_t room = ReplyLimit > ReplyText.size() ? ReplyLimit - ReplyText.size() : 0;
    ReplyText.append(buffer, std::min(static_cast<size_t>(n), room));
    if (static_cast<size_t>(n) > room) {
        // A reply this long is no daytime reply.
        StopFetchTimer();
        Fail(kMsgGetFailed, "the reply is longer than " + std::to_string(ReplyLimit) + " bytes", false);
        sender->Abort();
        fView.ShowMessage("Error", kMsgGetFailed, TMessageIcon::Error);
        return;
    }
    ArmFetchTimer(IdleTimeoutMs);
}

void TTimeSync::TimeSocketSessionClosed(TAsyncSocket*, uint16_t error) {
    StopFetchTimer();
    if (!fFailed && !fNtp) {
        if (error == 0) ParseServerReply();
        else Fail(kMsgGetFailed, SocketErrorText(error), false);
    }
    EndFetch();
}

void TTimeSync::TimeSocketError(TAsyncSocket* sender) {
    StopFetchTimer();
    if (IsLookupFailure(sender->LastError()))
        Fail("Time server not found: " + ServerAddr, "", true);
    else
        Fail(kMsgConnectFailed, OneLine(sender->LastErrorMessage()), false);
    EndFetch();
}

void TTimeSync::FetchTimedOut() {
    const bool connected = fConnected;
    const bool deadline = SteadyMs() >= fFetchEndMs;
    std::string why;
    if (fTimeSocket->Resolving()) why = "the name was not found within " + Seconds(FetchDeadlineMs);
    else if (deadline) why = std::string(connected ? "no complete reply" : "no answer") + " within " + Seconds(FetchDeadlineMs);
    else if (connected) why = fNtp ? "no answer within " + Seconds(IdleTimeoutMs) : "the server went silent for " + Seconds(IdleTimeoutMs);
    else why = "no answer within " + Seconds(ConnectTimeoutMs);
    if (!fNtpRefusal.empty()) why += "; " + fNtpRefusal;
    // Marked failed first: the abort's close event then uses nothing that came before.
    Fail(connected ? kMsgGetFailed : kMsgConnectFailed, why, false);
    if (fTimeSocket->State() != wsClosed || fTimeSocket->Resolving()) fTimeSocket->Abort();
    EndFetch();
    fView.ShowMessage("Error", connected ? kMsgGetFailed : kMsgConnectFailed, TMessageIcon::Error);
}

void TTimeSync::ParseServerReply() {
    LastReply = ReadDaytimeReply(ReplyText);
    if (LastReply.Layout == TReplyLayout::None) {
        if (ReplyText.empty()) return Fail("The time server sent nothing", "", true);
        return Fail("The server's reply is not a time: \"" + ReplyExcerpt(ReplyText) + "\"", "", true);
    }
    if (IsUnhealthy(LastReply))
        return Fail("The time server reports itself unhealthy (health " + std::to_string(LastReply.Health) +
                        "); its time was not used",
                    "", true);
    const TDateTime utc = fFirstByteUtc.value_or(UtcNowSource());
    // The reply counts whole seconds, and it was on its way for about half the round trip.
    UseOffset(velkaro::ClockOffset(utc, LastReply.ServerUtc) * 86400, 1 + RoundTripMs / 2000, LastReply.ServerUtc);
}

bool TTimeSync::SetProcessPrivilege(const std::string& name, bool enable) {
    if (name != kSystemTimePrivilege) return false;  // no such privilege to look up
    return fClock.SetTimePrivilege(enable);
}

void TTimeSync::btnLocalTimeClick() {
    FailureText.clear();
    if (!LastServerUtc) {
        fView.ShowMessage("Information", kMsgNothingToSet, TMessageIcon::Information);
    } else if (UtcNowSource() - ClockOffset < EarliestServerUtc) {
        FailureText = kMsgBeforeBuild;
        fView.ShowMessage("Error", kMsgBeforeBuild, TMessageIcon::Error);
    } else if (std::fabs(ClockOffset * 86400.0) > ConfirmAboveSeconds &&
               !fView.Confirm("Confirm", "The server's time differs from this computer's by " +
                                             std::to_string(std::llround(std::fabs(ClockOffset * 86400.0))) +
                                             " seconds. Set the clock to the server's time?")) {
        // Left as it was: the user said no.
    } else if (!SetProcessPrivilege(kSystemTimePrivilege, true)) {
        FailureText = kMsgNoRights;
        fView.ShowMessage("Error", kMsgNoRights, TMessageIcon::Error);
    } else {
        // Read at the last moment: the question may have been open for a while.
        TDateTimeFields f = DecodeDateTime(UtcNowSource() - ClockOffset);
        TPlatformTime target{f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.Millisecond};
        // Linux has no time-change broadcast to send: programs read the clock when they need it.
        if (fClock.SetSystemTimeUtc(target)) {
            fView.ShowMessage("Information", kMsgSynchronized, TMessageIcon::Information);
            ClockOffset = 0;
            UncertaintyS = 0;
            LastServerUtc.reset();
            fView.SetStatusText("");
        } else {
            FailureText = kMsgSetFailed;
            fView.ShowMessage("Error", kMsgSetFailed, TMessageIcon::Error);
        }
        SetProcessPrivilege(kSystemTimePrivilege, false);
    }
    fView.SetLocalTimeText(Formatted(LocalNowSource()));
}

}  // namespace velkaro
