// The asynchronous socket against servers on loopback: the order of its events where a lookup
// is slow, a connect fails at once or an address is silent, and its safety when destroyed or
// when a handler throws. Plain failures are the synchronizer's tests'.
#include "sync/async_socket.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sync/poll_event_source.h"
#include "sync/socket_library.h"
#include "test_servers.h"

namespace velkaro {
namespace {

using ::testing::ElementsAre;

const char* StateName(TSocketState s) {
    static const char* names[] = {"invalid", "opened", "bound", "connecting", "connected",
                                  "accepting", "listening", "closed"};
    return names[s];
}

// Writes every event of a socket into one list, and reads with a 1000-byte buffer.
struct TRecorder {
    explicit TRecorder(TAsyncSocket& s) {
        s.OnChangeState = [this](TAsyncSocket*, TSocketState a, TSocketState b) {
            Events.push_back(std::string(StateName(a)) + ">" + StateName(b));
        };
        s.OnSessionConnected = [this](TAsyncSocket*, uint16_t e) { Events.push_back("connected " + std::to_string(e)); };
        s.OnDataAvailable = [this](TAsyncSocket* sender, uint16_t e) {
            char buf[1000];
            int n = sender->Receive(buf, sizeof buf);
            if (n > 0) Data.append(buf, static_cast<size_t>(n));
            Events.push_back("data " + std::to_string(e) + " read " + std::to_string(n));
        };
        s.OnSessionClosed = [this](TAsyncSocket*, uint16_t e) {
            Events.push_back("closed " + std::to_string(e));
            Closed = true;
        };
        s.OnError = [this](TAsyncSocket* sender) { Events.push_back("error " + sender->LastErrorMessage()); };
    }
    std::vector<std::string> Events;
    std::string Data;
    bool Closed = false;
};

class AsyncSocketTest : public ::testing::Test {
protected:
    void TearDown() override { SetHostLookupHook(test::LoopbackOnlyLookup); }
    TPollEventSource Events;

    static void Aim(TAsyncSocket& s, uint16_t port, const std::string& host = "127.0.0.1") {
        s.SetAddr(host);
        s.SetPort(std::to_string(port));
        s.SetProto("tcp");
    }
};

// A lookup that hangs must not hold the loop, and closing the socket meanwhile drops it.
bool gReleaseLookup = false;
bool SlowLookup(const std::string& name, std::vector<TSockAddress>& out, int& error) {
    for (int i = 0; i < 200 && !__atomic_load_n(&gReleaseLookup, __ATOMIC_SEQ_CST); ++i) test::Pause(5);
    return test::LoopbackOnlyLookup(name, out, error);
}

TEST_F(AsyncSocketTest, SlowLookupLeavesTheLoopRunning) {
    SetHostLookupHook(SlowLookup);
    __atomic_store_n(&gReleaseLookup, false, __ATOMIC_SEQ_CST);
    test::TScriptedServer server(test::Sends("x"));
    TAsyncSocket s(Events);
    TRecorder r(s);
    Aim(s, server.Port(), "localhost4");
    s.Connect();
    // Timers still fire meanwhile.
    int ticks = 0;
    for (int i = 0; i < 3; ++i) Events.StartTimer(10 * i, [&] { ++ticks; });
    ASSERT_TRUE(test::WaitFor(Events, [&] { return ticks == 3; }, 500));
    EXPECT_TRUE(s.Resolving());
    s.SetPort("14");
    s.Connect();
    EXPECT_THAT(r.Events, ElementsAre("error Cannot change Port if not closed", "error Connect: Socket already in use"));
    r.Events.clear();
    __atomic_store_n(&gReleaseLookup, true, __ATOMIC_SEQ_CST);
    ASSERT_TRUE(test::WaitFor(Events, [&] { return r.Closed; }));
    EXPECT_EQ(r.Data, "x");
    EXPECT_EQ(r.Events.front(), "closed>opened");

    // Aborted while looking up: nothing is reported, and the socket is free again.
    __atomic_store_n(&gReleaseLookup, false, __ATOMIC_SEQ_CST);
    r.Events.clear();
    Aim(s, server.Port(), "localhost4");
    s.Connect();
    s.Abort();
    EXPECT_FALSE(s.Resolving());
    __atomic_store_n(&gReleaseLookup, true, __ATOMIC_SEQ_CST);
    test::WaitFor(Events, [] { return false; }, 100);
    EXPECT_THAT(r.Events, ElementsAre());
}

TEST_F(AsyncSocketTest, ImmediateConnectErrorLeavesTheSocketClosedAndReusableForIPv6) {
    test::TScriptedServer server(test::Sends("ok"), true);  // on ::1 only
    if (server.Port() == 0) GTEST_SKIP() << "no IPv6 here";
    // A link-local address without its interface fails inside connect itself.
    TAsyncSocket s(Events);
    TRecorder r(s);
    Aim(s, 13, "fe80::1");
    s.Connect();
    EXPECT_THAT(r.Events, ElementsAre("closed>opened", "opened>closed", "error Error 10022 in function Connect\r\nInvalid argument"));
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.Handle(), INVALID_SOCKET_HANDLE);

    r.Events.clear();
    r.Closed = false;
    Aim(s, server.Port(), "::1");
    s.Connect();
    ASSERT_TRUE(test::WaitFor(Events, [&] { return r.Closed; }));
    EXPECT_EQ(r.Data, "ok");
}

TEST_F(AsyncSocketTest, SilentFirstAddressYieldsToTheNext) {
    // "twohomed" is 127.0.0.2, which drops the request, then 127.0.0.1.
    auto server = std::make_unique<test::TScriptedServer>(test::Sends("second"));
    const uint16_t port = server->Port();
    test::TBlackHole hole(port, INADDR_LOOPBACK + 1);
    const size_t descriptors = test::OpenDescriptors();
    TAsyncSocket s(Events);
    TRecorder r(s);
    long long connectedMs = -1;
    const long long start = test::NowMs();
    s.OnSessionConnected = [&](TAsyncSocket*, uint16_t e) {
        r.Events.push_back("connected " + std::to_string(e));
        connectedMs = test::NowMs() - start;
        // The silent attempt is closed once the other has won.
        EXPECT_EQ(test::OpenDescriptors(), descriptors + 1);
    };
    Aim(s, port, "twohomed");
    s.Connect();
    ASSERT_TRUE(test::WaitFor(Events, [&] { return r.Closed; }, 2000));
    std::printf("  connected to the second address after %lld ms\n", connectedMs);
    EXPECT_LT(connectedMs, 1000);
    EXPECT_GE(connectedMs, s.NextAttemptDelayMs - 20);  // the first had its head start
    EXPECT_EQ(r.Data, "second");
    EXPECT_THAT(r.Events, ElementsAre("closed>opened", "opened>connecting", "connecting>connected", "connected 0",
                                      "data 0 read 6", "data 0 read 0", "closed 0", "connected>closed"));
    EXPECT_EQ(test::OpenDescriptors(), descriptors);

    // Both silent and both pending when closed: both go, and the close is reported once.
    server.reset();
    test::TBlackHole hole2(port);
    const size_t before = test::OpenDescriptors();
    r.Events.clear();
    Aim(s, port, "twohomed");
    s.Connect();
    test::WaitFor(Events, [] { return false; }, s.NextAttemptDelayMs + 100);
    EXPECT_EQ(test::OpenDescriptors(), before + 2);
    s.Close();
    EXPECT_THAT(r.Events, ElementsAre("closed>opened", "opened>connecting", "connecting>closed", "closed 0"));
    EXPECT_EQ(test::OpenDescriptors(), before);
}

TEST_F(AsyncSocketTest, DestroyingWhileConnectedReportsNoClose) {
    test::TScriptedServer server([](int& fd, const std::atomic<bool>& stop) { test::HoldUntilClientCloses(fd, stop); });
    int before = SocketCount();
    auto s = std::make_unique<TAsyncSocket>(Events);
    EXPECT_EQ(SocketCount(), before + 1);
    TRecorder r(*s);
    Aim(*s, server.Port());
    s->Connect();
    ASSERT_TRUE(test::WaitFor(Events, [&] { return s->State() == wsConnected; }));
    r.Events.clear();
    s.reset();
    EXPECT_THAT(r.Events, ElementsAre("connected>closed"));
    EXPECT_EQ(SocketCount(), before);
}

TEST_F(AsyncSocketTest, HandlerExceptionAbortsQuietly) {
    test::TScriptedServer server(test::Sends("x"));
    TAsyncSocket s(Events);
    TRecorder r(s);
    s.OnDataAvailable = [](TAsyncSocket*, uint16_t) { throw std::runtime_error("handler failed"); };
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(test::WaitFor(Events, [&] { return s.State() == wsClosed; }));
    // Aborted: the close is reported with 0, nothing escapes.
    EXPECT_EQ(r.Events.back(), "closed 0");
}

}  // namespace
}  // namespace velkaro
