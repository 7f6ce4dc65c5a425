// The command-line fetch against servers on loopback: its output, its JSON, and one clean line
// with a non-zero status for every failure.
#include "sync/sync_command.h"

#include <optional>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_servers.h"

namespace velkaro {
namespace {

using ::testing::MatchesRegex;

// Against xinetd (whole seconds, so the computer is up to a second ahead) and chronyd.
TEST(SyncCommand, PrintsServerTimeAndOffsetAsTextAndJson) {
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

TEST(SyncCommand, OffsetSignFollowsTheComputer) {
    // A server years behind: the computer is ahead, so the offset is positive and large.
    test::TScriptedServer server(test::Sends("01 JAN 2001 00:00:00 GMT\r\n"));
    std::ostringstream out, err;
    EXPECT_EQ(RunSyncCommand("127.0.0.1", server.Port(), false, false, out, err), 0);
    EXPECT_THAT(out.str(), MatchesRegex("Server time \\(UTC\\): 2001-01-01T00:00:00\\.000Z\nClock offset: [+][0-9]+\\.[0-9]{3} s\n"
                                        "Your clock is [0-9]+\\.[0-9]{2} s fast \\(± 1\\.[0-9]{2} s\\)\n"));
}

// The failures themselves are the synchronizer's tests'; here, that each is one line on the
// error stream (with --json also an object on the output) and exit 1.
TEST(SyncCommand, Failures) {
    for (int port : {0, 65536 + 13}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunSyncCommand("127.0.0.1", port, false, false, out, err), 1);
        EXPECT_EQ(err.str(), "Failed to connect to time server: no such port: " + std::to_string(port) + "\n");
    }
    struct Case { const char* Reply; std::string Err, Json; };  // no reply: nothing listens
    const Case cases[] = {
        {nullptr, "Failed to connect to time server: Connection refused",
         "Failed to connect to time server: Connection refused"},
        {"hello\r\nworld\r\n", "The server's reply is not a time: \"hello\"", "The server's reply is not a time: \\\"hello\\\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Err);
        std::optional<test::TScriptedServer> server;
        if (c.Reply) server.emplace(test::Sends(c.Reply));
        const uint16_t port = server ? server->Port() : test::FreePort();
        for (bool json : {false, true}) {
            std::ostringstream out, err;
            EXPECT_EQ(RunSyncCommand("127.0.0.1", port, false, json, out, err), 1);
            EXPECT_EQ(out.str(), json ? "{\"server\":\"127.0.0.1\",\"error\":\"" + c.Json + "\"}\n" : "");
            EXPECT_EQ(err.str(), c.Err + "\n");
        }
    }
}

}  // namespace
}  // namespace velkaro
