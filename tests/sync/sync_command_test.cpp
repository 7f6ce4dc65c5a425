// The command-line fetch against servers on 127.0.0.1.
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

TEST_F(SyncCommandTest, PrintsServerTimeAndOffset) {
    test::TXinetdDaytime xinetd;
    ASSERT_TRUE(xinetd.Started()) << xinetd.Failure();
    EXPECT_EQ(RunSyncCommand("localhost", xinetd.Port(), Out, Err), 0) << Err.str();
    EXPECT_THAT(Out.str(), MatchesRegex("Server time \\(UTC\\): [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}\\.000Z\n"
                                        "Clock offset: [+][0-9]\\.[0-9]{3} s\n"));
    EXPECT_EQ(Err.str(), "");
}

TEST_F(SyncCommandTest, OffsetSignFollowsTheComputer) {
    // A server a day behind: the computer is ahead, so the offset is positive and large.
    test::TScriptedServer server([](int& fd, const std::atomic<bool>&) { test::SendAll(fd, "01 JAN 2001 00:00:00 GMT\r\n"); });
    EXPECT_EQ(RunSyncCommand("127.0.0.1", server.Port(), Out, Err), 0);
    EXPECT_THAT(Out.str(), MatchesRegex("Server time \\(UTC\\): 2001-01-01T00:00:00\\.000Z\nClock offset: [+][0-9]+\\.[0-9]{3} s\n"));
}

TEST_F(SyncCommandTest, Failures) {
    struct Case {
        const char* Name;
        std::string Host;
        std::function<void(int&)> Script;  // none: nothing listens
        std::string Err;
    };
    const std::vector<Case> cases = {
        {"refused", "127.0.0.1", nullptr, "Failed to connect to time server\n"},
        {"unknown host", "no-such-host.example", nullptr,
         "Failed to connect to time server\n"
         "connect: SocketResolveHost: Cannot convert host address 'no-such-host.example', Error #11001\n"},
        {"no date", "127.0.0.1", [](int& fd) { test::SendAll(fd, "hello\r\n"); }, "Failed to get server time\n"},
        {"reset", "127.0.0.1", [](int& fd) { test::Reset(fd); }, "Failed to get server time\n"},
    };
    for (int port : {0, 65536 + 13}) {
        std::ostringstream out, err;
        EXPECT_EQ(RunSyncCommand("127.0.0.1", port, out, err), 1);
        EXPECT_EQ(err.str(), "Failed to connect to time server\nNo such port: " + std::to_string(port) + "\n");
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
        EXPECT_EQ(RunSyncCommand(c.Host, port, out, err), 1);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), c.Err);
    }
}

}  // namespace
}  // namespace velkaro
