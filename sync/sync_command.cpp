#include "sync/sync_command.h"

#include <cstdio>

#include "sync/poll_event_source.h"
#include "sync/time_sync.h"
#include "timemodel/iso_time.h"
#include "timemodel/json_text.h"

namespace velkaro {

namespace {

// Records what the dialog would show.
class TConsoleView : public TTimeSyncView {
public:
    void SetLocalTimeText(const std::string&) override {}
    void SetRemoteTimeText(const std::string&) override {}
    void SetServerTimeEnabled(bool enabled) override { Enabled = enabled; }
    void ShowMessage(const std::string&, const std::string&, TMessageIcon) override {}
    bool Confirm(const std::string&, const std::string&) override { return false; }
    bool Enabled = true;
};

// The command never sets the clock; this keeps it so even by mistake.
class TNoClock : public TClockSetter {
public:
    bool SetTimePrivilege(bool) override { return false; }
    bool SetSystemTimeUtc(const TPlatformTime&) override { return false; }
};

int Failure(const std::string& host, const std::string& text, bool json, std::ostream& out, std::ostream& err) {
    err << text << '\n';
    if (json) out << "{\"server\":" << JsonText(host) << ",\"error\":" << JsonText(text) << "}\n";
    return 1;
}

}  // namespace

int RunSyncCommand(const std::string& host, int port, bool ntp, bool json, std::ostream& out, std::ostream& err) {
    // The socket would cut the number to 16 bits and ask some other port.
    if (port < 1 || port > 65535)
        return Failure(host, std::string(kMsgConnectFailed) + ": no such port: " + std::to_string(port), json, out, err);
    TConsoleView view;
    TNoClock clock;
    TPollEventSource events;
    TTimeSync sync(view, clock, [] { return std::string(); }, events);
    sync.ServerAddr = host;
    sync.ServerPort = std::to_string(port);
    sync.Protocol = ntp ? tpNtp : tpDaytime;

    sync.btnServerTimeClick();
    // The fetch's own limits end it; this bound only guards against a fault of ours.
    for (int round = 0; sync.Fetching() && round < 10000; ++round) events.ProcessEvents(1000);

    if (!sync.LastServerUtc)
        return Failure(host, sync.FailureText.empty() ? kMsgGetFailed : sync.FailureText, json, out, err);
    char offset[64];
    std::snprintf(offset, sizeof offset, "%+.3f", sync.ClockOffset * 86400.0);
    if (json) {
        char tail[128];
        std::snprintf(tail, sizeof tail, ",\"offset_s\":%.3f,\"uncertainty_s\":%.3f,\"round_trip_ms\":%.0f}",
                      sync.ClockOffset * 86400.0, sync.UncertaintyS, sync.RoundTripMs);
        out << "{\"server\":" << JsonText(host) << ",\"address\":" << JsonText(sync.PeerAddress)
            << ",\"protocol\":" << JsonText(TimeProtocolName(sync.Protocol));
        if (!ntp) out << ",\"layout\":" << JsonText(ReplyLayoutName(sync.LastReply.Layout));
        out << ",\"server_utc\":" << JsonText(FormatIsoUtc(*sync.LastServerUtc)) << tail << '\n';
        return 0;
    }
    out << "Server time (UTC): " << FormatIsoUtc(*sync.LastServerUtc) << '\n';
    out << "Clock offset: " << offset << " s\n";
    out << AccuracyText(sync.ClockOffset * 86400.0, sync.UncertaintyS) << '\n';
    return 0;
}

}  // namespace velkaro
