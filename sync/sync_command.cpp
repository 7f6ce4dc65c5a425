#include "sync/sync_command.h"

#include <cstdio>

#include "sync/poll_event_source.h"
#include "sync/time_sync.h"
#include "timemodel/iso_time.h"

namespace velkaro {

namespace {

// Records what the dialog would show.
class TConsoleView : public TTimeSyncView {
public:
    void SetLocalTimeText(const std::string&) override {}
    void SetRemoteTimeText(const std::string&) override {}
    void SetServerTimeEnabled(bool enabled) override {
        Enabled = enabled;
    }
    void ShowMessage(const std::string&, const std::string& text, TMessageIcon) override {
        if (Message.empty()) Message = text;
    }
    bool Enabled = true;
    std::string Message;
};

// The command never sets the clock; this keeps it so even by mistake.
class TNoClock : public TClockSetter {
public:
    bool SetTimePrivilege(bool) override { return false; }
    bool SetLocalTime(const TPlatformTime&) override { return false; }
};

}  // namespace

int RunSyncCommand(const std::string& host, int port, std::ostream& out, std::ostream& err) {
    if (port < 1 || port > 65535) {
        // The socket would cut the number to 16 bits and ask some other port.
        err << kMsgConnectFailed << "\nNo such port: " << port << '\n';
        return 1;
    }
    TConsoleView view;
    TNoClock clock;
    TPollEventSource events;
    TTimeSync sync(view, clock, [] { return std::string(); }, events);
    sync.ServerAddr = host;
    sync.ServerPort = std::to_string(port);

    sync.btnServerTimeClick();
    while (!view.Enabled) events.ProcessEvents(1000);

    if (!view.Message.empty()) {
        err << view.Message << '\n';
        return 1;
    }
    if (!sync.LastServerUtc) {
        // Refused names and replies that are no date show nothing in the dialog; here the user
        // needs to hear of it.
        err << (sync.TimeSocket().LastErrorMessage().empty() ? kMsgGetFailed : kMsgConnectFailed) << '\n';
        if (!sync.TimeSocket().LastErrorMessage().empty()) err << sync.TimeSocket().LastErrorMessage() << '\n';
        return 1;
    }
    char offset[64];
    std::snprintf(offset, sizeof offset, "%+.3f", sync.ClockOffset * 86400.0);
    out << "Server time (UTC): " << FormatIsoUtc(*sync.LastServerUtc) << '\n';
    out << "Clock offset: " << offset << " s\n";
    return 0;
}

}  // namespace velkaro
