// The synchronizer's behaviour without its window: fetches from xinetd's daytime service and
// from scripted servers on 127.0.0.1, and clock setting through a fake clock.
#include "sync/time_sync.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sync/daytime_reply.h"
#include "sync/poll_event_source.h"
#include "timemodel/time_format.h"
#include "test_servers.h"

namespace velkaro {
namespace {

using ::testing::ElementsAre;

constexpr double kSecond = 1.0 / 86400;

struct TFakeView : TTimeSyncView {
    void SetLocalTimeText(const std::string& text) override { LocalText = text; }
    void SetRemoteTimeText(const std::string& text) override { RemoteText = text; }
    void SetServerTimeEnabled(bool enabled) override { ServerTimeEnabled = enabled; }
    void ShowMessage(const std::string& caption, const std::string& text, TMessageIcon icon) override {
        Messages.push_back(caption + "|" + text + "|" + (icon == TMessageIcon::Error ? "error" : "information"));
    }
    std::string LocalText, RemoteText;
    bool ServerTimeEnabled = true;
    std::vector<std::string> Messages;
};

// Records what would have been done to the clock. The real clock is never touched.
struct TFakeClock : TClockSetter {
    bool SetTimePrivilege(bool enable) override {
        Calls.push_back(enable ? "raise" : "drop");
        return enable ? CanRaise : true;
    }
    bool SetLocalTime(const TPlatformTime& local) override {
        Calls.push_back("set");
        Target = local;
        return CanSet;
    }
    bool CanRaise = true;
    bool CanSet = true;
    std::vector<std::string> Calls;
    TPlatformTime Target;
};

const std::string kPattern = "yyyy-mm-dd hh:nn:ss";

class TimeSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetHostLookupHook(test::LoopbackOnlyLookup);
        Sync = std::make_unique<TTimeSync>(View, Clock, [] { return kPattern; }, Events);
        Sync->ServerAddr = "127.0.0.1";
    }
    void TearDown() override {
        Sync.reset();
        SetHostLookupHook(nullptr);
    }

    // One click of "Get server time", run until the button is back and the socket closed.
    void Fetch(uint16_t port) {
        Sync->ServerPort = std::to_string(port);
        Sync->btnServerTimeClick();
        ASSERT_TRUE(test::WaitFor(Events, 
            [&] { return View.ServerTimeEnabled && Sync->TimeSocket().State() == wsClosed; }, 20000));
    }

    TPollEventSource Events;
    TFakeView View;
    TFakeClock Clock;
    std::unique_ptr<TTimeSync> Sync;
};

TEST_F(TimeSyncTest, FetchesFromARealDaytimeServer) {
    test::TXinetdDaytime xinetd;
    ASSERT_TRUE(xinetd.Started()) << xinetd.Failure();
    for (int round = 0; round < 2; ++round) {  // a second fetch works like the first
        Sync->ClockOffset = 1;
        Fetch(xinetd.Port());
        EXPECT_THAT(View.Messages, ElementsAre());
        EXPECT_THAT(Sync->ReplyText, ::testing::MatchesRegex("[0-9]{2} [A-Z]{3} [0-9]{4} [0-9:]{8} UTC\r\n"));
        ASSERT_TRUE(Sync->LastServerUtc);
        // The server is this machine: whole seconds, so at most a second behind.
        EXPECT_GE(Sync->ClockOffset, -0.1 * kSecond);
        EXPECT_LE(Sync->ClockOffset, 2 * kSecond);
        EXPECT_FALSE(View.RemoteText.empty());
    }
}

TEST_F(TimeSyncTest, ReplyInPiecesAndLongerThanTheBuffer) {
    const std::string padding(1500, 'x');
    test::TScriptedServer server([&](int& fd, const std::atomic<bool>&) {
        test::SendAll(fd, "05 DEC 2026 ");
        test::Pause(50);
        test::SendAll(fd, "12:13:20 EST\r\n");
        test::Pause(50);
        test::SendAll(fd, padding);
    });
    Sync->UtcNowSource = [] { return EncodeDateTime(2026, 12, 5, 17, 13, 25); };
    Sync->LocalNowSource = [] { return EncodeDateTime(2026, 12, 5, 18, 13, 25); };
    Fetch(server.Port());
    EXPECT_EQ(Sync->ReplyText, "05 DEC 2026 12:13:20 EST\r\n" + padding);
    EXPECT_NEAR(Sync->ClockOffset, 5 * kSecond, 1e-9);
    // Shown in the computer's local time: an hour ahead of UTC here.
    EXPECT_EQ(View.RemoteText, FormatTimePattern(kPattern, EncodeDateTime(2026, 12, 5, 18, 13, 20)));
    EXPECT_THAT(View.Messages, ElementsAre());
}

TEST_F(TimeSyncTest, FailuresThatChangeNothing) {
    struct Case {
        const char* Name;
        std::function<void(int&)> Script;
        std::vector<std::string> Messages;
    };
    const std::vector<Case> cases = {
        {"sends nothing and closes", [](int&) {}, {}},
        {"reply is no date", [](int& fd) { test::SendAll(fd, "Sat, 05 DEC 2026 12:13:20 GMT\r\n"); }, {}},
        {"resets", [](int& fd) {
             test::SendAll(fd, "05 DEC 2026 12:13:20 GMT\r\n");
             test::Pause(50);
             test::Reset(fd);
         }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TScriptedServer server([&](int& fd, const std::atomic<bool>&) { c.Script(fd); });
        Sync->ClockOffset = 0.25;
        View.Messages.clear();
        View.RemoteText = "before";
        Fetch(server.Port());
        EXPECT_EQ(View.Messages, c.Messages);
        EXPECT_EQ(Sync->ClockOffset, 0.25);
        EXPECT_EQ(View.RemoteText, "before");
    }
}

TEST_F(TimeSyncTest, RefusedConnectionAndUnknownHost) {
    Sync->ClockOffset = 0.25;
    Fetch(test::FreePort());
    EXPECT_THAT(View.Messages, ElementsAre("Error|Failed to connect to time server|error"));
    EXPECT_EQ(Sync->ClockOffset, 0.25);

    View.Messages.clear();
    Sync->ServerAddr = "no-such-host.example";
    Fetch(13);
    EXPECT_THAT(View.Messages, ElementsAre());
    EXPECT_EQ(Sync->ClockOffset, 0.25);
}

TEST_F(TimeSyncTest, ServerThatNeverClosesHitsTheIdleLimit) {
    test::TScriptedServer server([](int& fd, const std::atomic<bool>& stop) {
        test::SendAll(fd, "05 DEC 2026 12:13:20 GMT\r\n");
        test::HoldUntilClientCloses(fd, stop);
    });
    Sync->IdleTimeoutMs = 300;
    Sync->UtcNowSource = [] { return EncodeDateTime(2026, 12, 5, 12, 13, 21); };
    Fetch(server.Port());
    EXPECT_THAT(View.Messages, ElementsAre("Error|Failed to get server time|error"));
    // What came before the limit is read as a reply, as after any abort.
    EXPECT_NEAR(Sync->ClockOffset, kSecond, 1e-9);
}

TEST_F(TimeSyncTest, FloodingServerHitsTheReplyLimit) {
    test::TScriptedServer server([](int& fd, const std::atomic<bool>& stop) {
        const std::string chunk(4096, 'z');
        while (!stop) {
            if (::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0) return;
        }
    });
    Fetch(server.Port());
    EXPECT_THAT(View.Messages, ElementsAre("Error|Failed to get server time|error"));
    EXPECT_EQ(Sync->ReplyText.size(), 65536u);
}

TEST_F(TimeSyncTest, ConnectionThatNeverCompletesHitsTheConnectLimit) {
    // A listener whose queue is full leaves further connection attempts unanswered.
    uint16_t port = 0;
    int listener = test::BindLoopback(port);
    ASSERT_EQ(::listen(listener, 0), 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = htons(port);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        fillers.push_back(f);
    }
    test::Pause(50);
    Sync->ConnectTimeoutMs = 300;
    Fetch(port);
    EXPECT_THAT(View.Messages, ElementsAre("Error|Failed to connect to time server|error"));
    for (int f : fillers) ::close(f);
    ::close(listener);
}

TEST_F(TimeSyncTest, SettingTheClock) {
    Sync->LocalNowSource = [] { return EncodeDateTime(2026, 12, 5, 12, 0, 10, 500); };
    struct Case {
        const char* Name;
        bool CanRaise, CanSet;
        std::vector<std::string> Calls;
        std::string Message;
        double OffsetAfter;
    };
    const Case cases[] = {
        
        {"no rights", false, true, {"raise"}, "Error|You do not have rights to change time settings.|error", 2 * kSecond},
        {"set fails", true, false, {"raise", "set", "drop"}, "Error|Failed to change time settings.|error", 2 * kSecond},
        {"success", true, true, {"raise", "set", "drop"}, "Information|Time successfully synchronized.|information", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Clock = TFakeClock();
        Clock.CanRaise = c.CanRaise;
        Clock.CanSet = c.CanSet;
        View.Messages.clear();
        Sync->ClockOffset = 2 * kSecond;
        Sync->btnLocalTimeClick();
        EXPECT_EQ(Clock.Calls, c.Calls);
        EXPECT_THAT(View.Messages, ElementsAre(c.Message));
        EXPECT_NEAR(Sync->ClockOffset, c.OffsetAfter, 1e-9);
        if (c.CanRaise) {
            EXPECT_EQ(Clock.Target.Year, 2026);
            EXPECT_EQ(Clock.Target.Hour, 12);
            EXPECT_EQ(Clock.Target.Second, 8);
            EXPECT_EQ(Clock.Target.Millisecond, 500);
        }
        EXPECT_EQ(View.LocalText, FormatTimePattern(kPattern, EncodeDateTime(2026, 12, 5, 12, 0, 10, 500)));
    }
    EXPECT_FALSE(Sync->SetProcessPrivilege("SeShutdownPrivilege", true));
}

TEST_F(TimeSyncTest, DisplayRefresh) {
    Sync->LocalNowSource = [] { return EncodeDateTime(2026, 12, 5, 12, 0, 0); };
    Sync->FormShow();
    EXPECT_EQ(View.LocalText, FormatTimePattern(kPattern, EncodeDateTime(2026, 12, 5, 12, 0, 0)));
    EXPECT_EQ(View.RemoteText, "");
    Sync->ClockOffset = 90 * kSecond;
    Sync->TimerTimer();
    EXPECT_EQ(View.RemoteText, FormatTimePattern(kPattern, EncodeDateTime(2026, 12, 5, 11, 58, 30)));
}

}  // namespace
}  // namespace velkaro
