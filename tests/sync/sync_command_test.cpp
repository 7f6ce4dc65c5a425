// The command-line fetch against servers on loopback: its output, its JSON, and one clean line
// with a non-zero status for every failure.
#include "sync/sync_command.h"

#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_servers.h"

namespace velkaro {
namespace {

using ::testing::MatchesRegex;

class SyncCommandTest : public ::testing::Test {
protected:
    void SetUp() override { SetHostLookupHook(test::LoopbackOnlyLookup); }
    void TearDown() override { SetHostLookupHook(nullptr); }
    std::ostringstream Out, Err;
};

// Against xinetd (whole seconds, so the computer is up to a second ahead) and chronyd.
TEST_F(SyncCommandTest, PrintsServerTimeAndOffsetAsTextAndJson) {
    test::TXinetdDaytime xinetd;
    test::TChronyd chronyd;
    struct Case { const test::TTestDaemon& Server; const char* Host; bool Ntp; const char* Text; const char* Json; };
    const Case cases[] = {
        {xinetd, "localhost", false,
         "Server time \\(UTC\\): [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}\\.000Z\n"
         "Clock offset: [+][0-9]\\.[0-9]{3} s\n"
         "Your clock is (on time|[0-9]\\.[0-9]{2} s fast) \\(± 1\\.[0-9]{2} s\\)\n",
         "\\{\"server\":\"localhost\",\"address\":\"127\\.0\\.0\\.1\",\"protocol\":\"daytime\",\"layout\":\"day-month-year\","
         "\"server_utc\":\"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}\\.000Z\","
         "\"offset_s\":[0-9]\\.[0-9]{3},\"uncertainty_s\":1\\.[0-9]{3},\"round_trip_ms\":[0-9]+\\}\n"},
        {chronyd, "localhost4", true,
         "Server time \\(UTC\\): [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}\\.[0-9]{3}Z\n"
         "Clock offset: [-+]0\\.[0-9]{3} s\n"
         "Your clock is (on time|0\\.[0-9]{2} s (fast|slow)) \\(± 0\\.[0-9]{2} s\\)\n",
         "\\{\"server\":\"localhost4\",\"address\":\"127\\.0\\.0\\.1\",\"protocol\":\"ntp\","
         "\"server_utc\":\"[0-9T:.Z-]+\",\"offset_s\":-?0\\.[0-9]{3},"
         "\"uncertainty_s\":0\\.[0-9]{3},\"round_trip_ms\":[0-9]+\\}\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.Server.Started()) << c.Server.Failure();
        for (bool json : {false, true}) {
            std::ostringstream out, err;
            EXPECT_EQ(RunSyncCommand(c.Host, c.Server.Port(), c.Ntp, json, out, err), 0) << err.str();
            EXPECT_THAT(out.str(), MatchesRegex(json ? c.Json : c.Text));
            EXPECT_EQ(err.str(), "");
        }
    }
}

TEST_F(SyncCommandTest, OffsetSignFollowsTheComputer) {
    // A server years behind: the computer is ahead, so the offset is positive and large.
    test::TScriptedServer server([](int& fd, const std::atomic<bool>&) { test::SendAll(fd, "01 JAN 2001 00:00:00 GMT\r\n"); });
    EXPECT_EQ(RunSyncCommand("127.0.0.1", server.Port(), false, false, Out, Err), 0);
    EXPECT_THAT(Out.str(), MatchesRegex("Server time \\(UTC\\): 2001-01-01T00:00:00\\.000Z\nClock offset: [+][0-9]+\\.[0-9]{3} s\n"
                                        "Your clock is [0-9]+\\.[0-9]{2} s fast \\(± 1\\.[0-9]{2} s\\)\n"));
}

// The failures themselves are the synchronizer's tests'; here, that each is one line and exit 1.
TEST_F(SyncCommandTest, Failures) {
    struct Case {
        const char* Name;
        std::string Host;
        std::function<void(int&)> Script;  // none: nothing listens
        std::string Err;
    };
    const std::vector<Case> cases = {
        {"refused", "127.0.0.1", nullptr, "Failed to connect to time server: Connection refused\n"},
        {"no date", "127.0.0.1", [](int& fd) { test::SendAll(fd, "hello\r\nworld\r\n"); },
         "The server's reply is not a time: \"hello\"\n"},
        {"unhealthy", "127.0.0.1", [](int& fd) { test::SendAll(fd, "\n61380 26-12-06 21:00:00 00 0 4 50.0 UTC(NIST) *\n"); },
         "The time server reports itself unhealthy (health 4); its time was not used\n"},
    };
    for (int port : {0, 65536 + 13}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunSyncCommand("127.0.0.1", port, false, false, out, err), 1);
        EXPECT_EQ(err.str(), "Failed to connect to time server: no such port: " + std::to_string(port) + "\n");
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::unique_ptr<test::TScriptedServer> server;
        uint16_t port = test::FreePort();
        if (c.Script) {
            server = std::make_unique<test::TScriptedServer>([&](int& fd, const std::atomic<bool>&) { c.Script(fd); });
            port = server->Port();
        }
        std::ostringstream out, err;
        EXPECT_EQ(RunSyncCommand(c.Host, port, false, false, out, err), 1);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), c.Err);
        std::ostringstream jsonOut, jsonErr;
        EXPECT_EQ(RunSyncCommand(c.Host, port, false, true, jsonOut, jsonErr), 1);
        std::string quoted;
        for (char ch : c.Err.substr(0, c.Err.size() - 1)) quoted += ch == '"' ? std::string("\\\"") : std::string(1, ch);
        EXPECT_EQ(jsonOut.str(), "{\"server\":\"" + c.Host + "\",\"error\":\"" + quoted + "\"}\n");
        EXPECT_EQ(jsonErr.str(), c.Err);
    }
}

}  // namespace
}  // namespace velkaro
