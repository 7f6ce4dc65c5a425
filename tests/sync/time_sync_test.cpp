// The synchronizer's behaviour without its window: fetches from xinetd's daytime service and
// from scripted servers on loopback (each reply layout and each misbehaviour), and clock
// setting through a fake clock. Time-outs are shortened so that every case ends in well
// under a second.
#include "sync/time_sync.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sync/daytime_reply.h"
#include "sync/poll_event_source.h"
#include "test_servers.h"

namespace velkaro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr double kSecond = 1.0 / 86400;

struct TFakeView : TTimeSyncView {
    void SetLocalTimeText(const std::string& text) override { LocalText = text; }
    void SetRemoteTimeText(const std::string& text) override { RemoteText = text; }
    void SetServerTimeEnabled(bool enabled) override { ServerTimeEnabled = enabled; }
    void SetStatusText(const std::string& text) override { Status = text; }
    void ShowMessage(const std::string& caption, const std::string& text, TMessageIcon icon) override {
        Messages.push_back(caption + "|" + text + "|" + (icon == TMessageIcon::Error ? "error" : "information"));
    }
    bool Confirm(const std::string&, const std::string& text) override {
        Messages.push_back("confirm|" + text);
        return ConfirmAnswer;
    }
    std::string LocalText, RemoteText, Status;
    bool ServerTimeEnabled = true;
    bool ConfirmAnswer = false;
    std::vector<std::string> Messages;
};

// Records what would have been done to the clock. The real clock is never touched.
struct TFakeClock : TClockSetter {
    bool SetTimePrivilege(bool enable) override {
        Calls.push_back(enable ? "raise" : "drop");
        return enable ? CanRaise : true;
    }
    bool SetSystemTimeUtc(const TPlatformTime& utc) override {
        Calls.push_back("set");
        Target = utc;
        return CanSet;
    }
    bool CanRaise = true;
    bool CanSet = true;
    std::vector<std::string> Calls;
    TPlatformTime Target;
};

const std::string kPattern = "yy mm dd HH MM SS";
const std::string kReply = "05 DEC 2026 12:13:20 GMT\r\n";

class TimeSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        Sync = std::make_unique<TTimeSync>(View, Clock, [] { return kPattern; }, Events);
        Sync->ServerAddr = "127.0.0.1";
        Sync->ConnectTimeoutMs = 300;
        Sync->IdleTimeoutMs = 300;
        Sync->FetchDeadlineMs = 600;
        Sync->EarliestServerUtc = EncodeDateTime(2026, 1, 1);
    }
    void TearDown() override {
        Sync.reset();
        SetHostLookupHook(test::LoopbackOnlyLookup);
    }

    // One click of "Get server time", run until the button is back and the socket closed.
    // Returns how long it took, in milliseconds.
    long long Fetch(uint16_t port) {
        const long long start = test::NowMs();
        Sync->ServerPort = std::to_string(port);
        Sync->btnServerTimeClick();
        EXPECT_TRUE(test::WaitFor(
            Events, [&] { return View.ServerTimeEnabled && Sync->TimeSocket().State() == wsClosed; }, 5000));
        return test::NowMs() - start;
    }

    TPollEventSource Events;
    TFakeView View;
    TFakeClock Clock;
    std::unique_ptr<TTimeSync> Sync;
};

TEST_F(TimeSyncTest, FetchesFromARealDaytimeServer) {
    test::TXinetdDaytime xinetd;
    ASSERT_TRUE(xinetd.Started()) << xinetd.Failure();
    for (const char* host : {"127.0.0.1", "localhost"}) {  // by name: ::1 first, where nothing listens
        SCOPED_TRACE(host);
        Sync->ServerAddr = host;
        Sync->ClockOffset = 1;
        Fetch(xinetd.Port());
        EXPECT_THAT(View.Messages, IsEmpty());
        EXPECT_THAT(Sync->ReplyText, ::testing::MatchesRegex("[0-9]{2} [A-Z]{3} [0-9]{4} [0-9:]{8} UTC\r\n"));
        ASSERT_TRUE(Sync->LastServerUtc);
        EXPECT_EQ(Sync->LastReply.Layout, TReplyLayout::DayMonthYear);
        EXPECT_EQ(Sync->PeerAddress, "127.0.0.1");
        // The server is this machine: whole seconds, so at most a second behind.
        EXPECT_GE(Sync->ClockOffset, -0.1 * kSecond);
        EXPECT_LE(Sync->ClockOffset, 2 * kSecond);
        EXPECT_FALSE(View.RemoteText.empty());
    }
}

// Each way a server can misbehave, against a scripted server (the reply layouts themselves are
// the reader's unit tests'). The table is also the record of what each case costs in time.
TEST_F(TimeSyncTest, ServersOfEveryKind) {
    const TDateTime dec5 = EncodeDateTime(2026, 12, 5, 12, 13, 20);
    struct Case {
        const char* Name;
        std::function<void(int&, const std::atomic<bool>&)> Script;
        std::optional<TDateTime> Utc;  // nothing: the fetch must change nothing
        std::vector<std::string> Messages;
        std::string Failure;
    };
    const std::vector<Case> cases = {
        {"day-month-year", test::Sends(kReply), dec5, {}, ""},
        {"nist unhealthy", test::Sends("\n61380 26-12-06 21:00:00 00 0 2 50.0 UTC(NIST) *\n"), std::nullopt,
         {"Error|The time server reports itself unhealthy (health 2); its time was not used|error"},
         "The time server reports itself unhealthy (health 2); its time was not used"},
        {"not a time", test::Sends("Sat, 05 DEC 2026 12:13:20 GMT\r\n"), std::nullopt,
         {"Error|The server's reply is not a time: \"Sat, 05 DEC 2026 12:13:20 GMT\"|error"}, ""},
        {"hostile bytes", test::Sends(std::string("\x1b]0;pwn\x07\0\r\nmore", 15)), std::nullopt,
         {"Error|The server's reply is not a time: \"?]0;pwn??\"|error"}, ""},
        {"sends nothing", [](int&, const std::atomic<bool>&) {}, std::nullopt,
         {"Error|The time server sent nothing|error"}, ""},
        {"resets after the reply",
         [](int& fd, const std::atomic<bool>&) {
             test::SendAll(fd, "05 DEC 2026 12:13:");
             test::Pause(50);
             test::Reset(fd);
         },
         std::nullopt, {}, "Failed to get server time: Connection reset by peer"},
        {"never closes",
         [](int& fd, const std::atomic<bool>& stop) {
             test::SendAll(fd, kReply);
             test::HoldUntilClientCloses(fd, stop);
         },
         std::nullopt, {"Error|Failed to get server time|error"}, "Failed to get server time: the server went silent for 0.3 s"},
        {"drips",
         [](int& fd, const std::atomic<bool>& stop) {
             for (char c : kReply) {
                 if (stop) return;
                 test::SendAll(fd, std::string(1, c));
                 test::Pause(100);
             }
         },
         std::nullopt, {"Error|Failed to get server time|error"}, "Failed to get server time: no complete reply within 0.6 s"},
        {"floods",
         [](int& fd, const std::atomic<bool>& stop) {
             const std::string chunk(4096, 'z');
             while (!stop)
                 if (::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0) return;
         },
         std::nullopt, {"Error|Failed to get server time|error"},
         "Failed to get server time: the reply is longer than 65536 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TScriptedServer server(c.Script);
        Sync->ClockOffset = 0.25;
        Sync->LastServerUtc.reset();
        View.Messages.clear();
        View.RemoteText = "before";
        const long long ms = Fetch(server.Port());
        std::printf("  %-24s %5lld ms\n", c.Name, ms);
        EXPECT_EQ(View.Messages, c.Messages);
        if (!c.Failure.empty()) {
            EXPECT_EQ(Sync->FailureText, c.Failure);
        }
        EXPECT_LT(ms, 2000);
        if (c.Utc) {
            ASSERT_TRUE(Sync->LastServerUtc);
            EXPECT_NEAR(*Sync->LastServerUtc, *c.Utc, 1e-9);
            EXPECT_NE(View.RemoteText, "before");
        } else {
            EXPECT_FALSE(Sync->LastServerUtc);
            EXPECT_EQ(Sync->ClockOffset, 0.25);
            EXPECT_EQ(View.RemoteText, "");
        }
    }
}

TEST_F(TimeSyncTest, OffsetIsTakenWhenTheFirstByteArrives) {
    // The reply comes in two pieces, its end 250 ms after its start; the computer's clock moves
    // on meanwhile.
    test::TScriptedServer server([](int& fd, const std::atomic<bool>&) {
        test::SendAll(fd, "05 DEC 2026 ");
        test::Pause(250);
        test::SendAll(fd, "12:13:20 GMT\r\n");
    });
    const long long start = test::NowMs();
    Sync->UtcNowSource = [start] {
        return EncodeDateTime(2026, 12, 5, 12, 13, 20) + static_cast<double>(test::NowMs() - start) / 86400000.0;
    };
    Fetch(server.Port());
    ASSERT_TRUE(Sync->LastServerUtc);
    EXPECT_LT(Sync->ClockOffset * 86400, 0.15);
    EXPECT_GE(Sync->RoundTripMs, 0);
}

TEST_F(TimeSyncTest, ConnectionFailures) {
    Sync->ClockOffset = 0.25;
    Fetch(test::FreePort());
    EXPECT_THAT(View.Messages, ElementsAre("Error|Failed to connect to time server|error"));
    EXPECT_EQ(Sync->FailureText, "Failed to connect to time server: Connection refused");
    Sync->TimerTimer();
    EXPECT_EQ(View.RemoteText, "");  // not the local time, which would read as the server's

    View.Messages.clear();
    Sync->ServerAddr = "no-such-host.example";
    Fetch(13);
    EXPECT_THAT(View.Messages, ElementsAre("Error|Time server not found: no-such-host.example|error"));
    EXPECT_EQ(Sync->ClockOffset, 0.25);

    // A second try after each failure works like the first.
    test::TScriptedServer server(test::Sends(kReply));
    View.Messages.clear();
    Sync->ServerAddr = "127.0.0.1";
    Fetch(server.Port());
    EXPECT_THAT(View.Messages, IsEmpty());
    EXPECT_TRUE(Sync->LastServerUtc);

    // A failure after a success leaves no server time either: the old one would be stale.
    Fetch(test::FreePort());
    Sync->TimerTimer();
    EXPECT_EQ(View.RemoteText, "");
    EXPECT_FALSE(Sync->LastServerUtc);

    // A connection that never completes ends at the connect limit.
    test::TBlackHole hole;
    View.Messages.clear();
    const long long ms = Fetch(hole.Port());
    std::printf("  %-24s %5lld ms\n", "connect never completes", ms);
    EXPECT_THAT(View.Messages, ElementsAre("Error|Failed to connect to time server|error"));
    EXPECT_EQ(Sync->FailureText, "Failed to connect to time server: no answer within 0.3 s");
}

// A name whose lookup takes longer than the connect limit.
bool SlowLoopbackLookup(const std::string& name, std::vector<TSockAddress>& out, int& error) {
    test::Pause(400);
    return test::LoopbackOnlyLookup(name, out, error);
}

TEST_F(TimeSyncTest, SilentFirstAddressAndSlowLookupStayWithinTheLimits) {
    // The lookup alone outlasts the connect limit (0.3 s), and then the first address is silent.
    SetHostLookupHook(SlowLoopbackLookup);
    test::TScriptedServer server(test::Sends(kReply));
    test::TBlackHole hole(server.Port(), INADDR_LOOPBACK + 1);
    Sync->ServerAddr = "twohomed";
    Sync->FetchDeadlineMs = 2000;
    const long long ms = Fetch(server.Port());
    std::printf("  %-24s %5lld ms\n", "slow name, silent first", ms);
    EXPECT_THAT(View.Messages, IsEmpty());
    EXPECT_TRUE(Sync->LastServerUtc);
    EXPECT_EQ(Sync->PeerAddress, "127.0.0.1");
}

TEST_F(TimeSyncTest, NtpOffsetAgainstChronydAndAServerAnHourAhead) {
    Sync->Protocol = tpNtp;
    test::TChronyd chronyd;
    ASSERT_TRUE(chronyd.Started()) << chronyd.Failure();
    // Of a few exchanges the one with the shortest round trip is the truest, as NTP's own
    // clock filter has it: a busy machine may hold one reply up on one side of the exchange.
    const auto bestOfThree = [&](uint16_t port) {
        double offsetS = 0, delayMs = 1e9;
        for (int i = 0; i < 3; ++i) {
            Fetch(port);
            EXPECT_THAT(View.Messages, IsEmpty());
            EXPECT_TRUE(Sync->LastServerUtc) << Sync->FailureText;
            if (Sync->RoundTripMs >= delayMs) continue;
            delayMs = Sync->RoundTripMs;
            offsetS = Sync->ClockOffset * 86400;
        }
        return std::make_pair(offsetS, delayMs);
    };
    // chronyd reads the same clock as we do, so the offset is the measuring error alone.
    const auto [chronydOffset, chronydDelay] = bestOfThree(chronyd.Port());
    std::printf("  chronyd: offset %+.4f s, delay %.3f ms\n", chronydOffset, chronydDelay);
    EXPECT_NEAR(chronydOffset, 0, 0.005);
    EXPECT_EQ(Sync->PeerAddress, "127.0.0.1");

    test::TScriptedNtpServer ahead({.AheadS = 3600.25});
    Sync->ServerAddr = "localhost4";
    const auto [aheadOffset, aheadDelay] = bestOfThree(ahead.Port());
    std::printf("  an hour ahead: offset %+.4f s, delay %.3f ms\n", aheadOffset, aheadDelay);
    EXPECT_NEAR(aheadOffset, -3600.25, 0.005);
    EXPECT_THAT(View.Status, ::testing::MatchesRegex("Your clock is 3600\\.2[4-6] s slow \\(± 0\\.[0-9]{2} s\\)"));
    EXPECT_NEAR(*Sync->LastServerUtc - UtcNow(), 3600.25 * kSecond, 0.1 * kSecond);
}

TEST_F(TimeSyncTest, NtpRepliesACarefulClientRefuses) {
    const std::string wait = "Failed to get server time: no answer within 0.3 s; ";
    struct Case {
        const char* Name;
        test::TNtpAnswer Answer;
        std::string Failure;  // also the box's text when the refusal ends the exchange at once
    };
    const Case cases[] = {
        {"kiss-o'-death", {.Stratum = 0, .RefId = "RATE"}, "The time server refused to answer (kiss-o'-death RATE)"},
        {"leap indicator 3", {.Leap = 3},
         "The time server's clock is not synchronized (leap indicator 3); its time was not used"},
        {"stratum 16", {.Stratum = 16}, "The time server's clock is not synchronized (stratum 16); its time was not used"},
        {"zero transmit time", {.ZeroTransmit = true},
         "The time server's reply carries no transmit time; its time was not used"},
        {"client mode", {.Mode = 3}, "The reply is not from a time server (mode 3); its time was not used"},
        {"broadcast mode", {.Mode = 5}, "The reply is not from a time server (mode 5); its time was not used"},
        {"origin mismatch", {.EchoOrigin = false}, wait + "a reply did not answer our request (its origin time differs)"},
        {"another address", {.FromOtherAddress = true}, wait + "a reply from 127.0.0.2 was not the server's"},
        {"too short", {.Size = 40}, wait + "a reply of 40 bytes was too short for NTP"},
    };
    Sync->Protocol = tpNtp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TScriptedNtpServer server(c.Answer);
        View.Messages.clear();
        Sync->ClockOffset = 0.25;
        Sync->LastServerUtc.reset();
        Fetch(server.Port());
        EXPECT_EQ(Sync->FailureText, c.Failure);
        const bool waited = c.Failure.rfind(wait, 0) == 0;
        EXPECT_THAT(View.Messages, ElementsAre("Error|" + (waited ? std::string(kMsgGetFailed) : c.Failure) + "|error"));
        EXPECT_EQ(View.Status, c.Failure);
        EXPECT_EQ(Sync->ClockOffset, 0.25);
        EXPECT_FALSE(Sync->LastServerUtc);
    }
}

TEST_F(TimeSyncTest, SettingTheClock) {
    const TDateTime now = EncodeDateTime(2026, 12, 5, 12, 0, 10, 500);
    Sync->UtcNowSource = [now] { return now; };
    Sync->LocalNowSource = [now] { return now + 1.0 / 24; };
    struct Case {
        const char* Name;
        bool Fetched;
        double OffsetS;
        bool CanRaise, CanSet, ConfirmAnswer;
        std::vector<std::string> Calls;
        std::vector<std::string> Messages;
        bool Cleared;  // offset 0 and nothing left to set
    };
    const std::string question = "confirm|The server's time differs from this computer's by 5000 seconds. Set the clock "
                                 "to the server's time?";
    const Case cases[] = {
        {"nothing fetched", false, 0, true, true, false, {},
         {"Information|There is no server time to set: get the server time first.|information"}, true},
        {"no rights", true, 2, false, true, false, {"raise"}, {"Error|You do not have rights to change time settings.|error"}, false},
        {"set fails", true, 2, true, false, false, {"raise", "set", "drop"}, {"Error|Failed to change time settings.|error"}, false},
        {"success", true, 2, true, true, false, {"raise", "set", "drop"},
         {"Information|Time successfully synchronized.|information"}, true},
        {"large step, no", true, 5000, true, true, false, {}, {question}, false},
        {"large step, yes", true, 5000, true, true, true, {"raise", "set", "drop"},
         {question, "Information|Time successfully synchronized.|information"}, true},
        {"before the build", true, 400 * 86400.0, true, true, true, {}, {std::string("Error|") + kMsgBeforeBuild + "|error"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Clock = TFakeClock();
        Clock.CanRaise = c.CanRaise;
        Clock.CanSet = c.CanSet;
        View.ConfirmAnswer = c.ConfirmAnswer;
        View.Messages.clear();
        Sync->ClockOffset = c.OffsetS * kSecond;
        Sync->LastServerUtc.reset();
        if (c.Fetched) Sync->LastServerUtc = now - Sync->ClockOffset;
        Sync->btnLocalTimeClick();
        EXPECT_EQ(Clock.Calls, c.Calls);
        EXPECT_EQ(View.Messages, c.Messages);
        EXPECT_EQ(Sync->ClockOffset == 0 && !Sync->LastServerUtc, c.Cleared);
        if (!c.Calls.empty() && c.Calls.back() == "drop") {
            // The target is the server's UTC, 12:00:10.5 less the offset: the local zone (an hour
            // ahead here) plays no part.
            const TPlatformTime& t = Clock.Target;
            EXPECT_EQ(std::tie(t.Year, t.Month, t.Day, t.Millisecond), std::make_tuple(2026, 12, 5, 500));
            EXPECT_EQ(t.Hour * 3600 + t.Minute * 60 + t.Second, 12 * 3600 + 10 - c.OffsetS);
        }
        EXPECT_EQ(View.LocalText, "2026 12 05 13 00 10");  // the local time, an hour ahead
    }
}

TEST_F(TimeSyncTest, BuildDateIsBelievable) {
    EXPECT_GT(TTimeSync::BuildDateUtc(), EncodeDateTime(2026, 1, 1));
    EXPECT_LT(TTimeSync::BuildDateUtc(), UtcNow() + 1);
}

TEST_F(TimeSyncTest, DisplayRefresh) {
    Sync->LocalNowSource = [] { return EncodeDateTime(2026, 12, 5, 12, 0, 0); };
    Sync->FormShow();
    EXPECT_EQ(View.LocalText, "2026 12 05 12 00 00");
    EXPECT_EQ(View.RemoteText, "");
    Sync->ClockOffset = 90 * kSecond;
    Sync->TimerTimer();
    EXPECT_EQ(View.RemoteText, "");  // no server time read yet
    Sync->ServerTimeKnown = true;
    Sync->TimerTimer();
    EXPECT_EQ(View.RemoteText, "2026 12 05 11 58 30");
}

TEST(TimeServerField, TextAndRecentList) {
    EXPECT_EQ(ServerFromField("  ntp.example.org \t"), "ntp.example.org");
    EXPECT_EQ(ServerFromField(" \t "), kDefaultTimeServer);
    struct Case { std::vector<std::string> Before; const char* Server; std::vector<std::string> After; };
    const Case cases[] = {
        {{}, "a", {"a"}},
        {{"a", "b", "c"}, "c", {"c", "a", "b"}},
        {{"a", "Time.Example", "c"}, "time.example", {"time.example", "a", "c"}},  // once, whatever the case
        {{"1", "2", "", "3", "4", "5", "6", "7"}, "8", {"8", "1", "2", "3", "4", "5", "6", "7"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8"}, "9", {"9", "1", "2", "3", "4", "5", "6", "7"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> list = c.Before;
        RememberServer(list, c.Server);
        EXPECT_EQ(list, c.After) << c.Server;
    }
}

}  // namespace
}  // namespace velkaro
