// The OS socket layer: error numbers as Windows Sockets codes, lookups, a loopback connection.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(SocketError, ErrnoAndLookupFailuresMapToWindowsSocketsCodes) {
    // The codes the synchronizer's messages tell apart; the rest of the mapping is a table.
    const std::pair<int, int> errnos[] = {{0, 0}, {ECONNREFUSED, 10061}, {ETIMEDOUT, 10060}, {ECONNRESET, 10054},
                                          {EWOULDBLOCK, 10035}, {EINPROGRESS, 10036}};
    for (const auto& [err, code] : errnos) EXPECT_EQ(SocketErrorFromErrno(err), code) << "errno " << err;
    EXPECT_EQ(SocketErrorFromLookup(EAI_NONAME, 0), 11001);
    EXPECT_EQ(SocketErrorFromLookup(EAI_SYSTEM, ECONNREFUSED), 10061);
}

TEST(SockLookup, ServicesProtocolsAndLocalNames) {
    uint16_t port = 0;
    ASSERT_TRUE(SockLookupService("daytime", "tcp", port));
    EXPECT_EQ(ntohs(port), 13);
    EXPECT_FALSE(SockLookupService("no-such-service", "tcp", port));
    EXPECT_EQ(SockLastError(), WSANO_DATA);

    int proto = 0;
    ASSERT_TRUE(SockLookupProto("udp", proto));
    EXPECT_EQ(proto, 17);
    EXPECT_FALSE(SockLookupProto("no-such-protocol", proto));

    // Only names the machine itself knows: no test asks a name server.
    std::vector<TSockAddress> addrs;
    ASSERT_TRUE(SockLookupHost("localhost", addrs));
    bool loopback = false;
    for (const TSockAddress& a : addrs) loopback = loopback || SockAddressText(a) == "127.0.0.1" || SockAddressText(a) == "::1";
    EXPECT_TRUE(loopback);
}

TEST(SockLookup, HookAnswersInsteadOfTheResolver) {
    SetHostLookupHook([](const std::string&, std::vector<TSockAddress>&, int& error) {
        error = WSAHOST_NOT_FOUND;
        return false;
    });
    std::vector<TSockAddress> addrs;
    EXPECT_FALSE(SockLookupHost("localhost", addrs));
    EXPECT_EQ(SockLastError(), 11001);
    SetHostLookupHook(nullptr);
    EXPECT_TRUE(SockLookupHost("localhost", addrs));
}

TEST(SockInetAddr, ConvertsBothWays) {
    EXPECT_EQ(SockInetAddr("127.0.0.1"), htonl(INADDR_LOOPBACK));
    EXPECT_EQ(SockInetAddr("not an address"), 0xFFFFFFFFu);
    EXPECT_EQ(SockInetNtoa(htonl(0x0A000102)), "10.0.1.2");
    TSockAddress a;
    ASSERT_TRUE(SockParseIPv6("::1", a));
    EXPECT_EQ(SockAddressText(a), "::1");
    EXPECT_FALSE(SockParseIPv6("127.0.0.1", a));
    EXPECT_EQ(SockAddressText(SockAddressV4(htonl(INADDR_LOOPBACK))), "127.0.0.1");
}

TEST(SockRecv, ReadsPeeksAndCountsOnAConnectedPair) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ASSERT_EQ(::write(pair[1], "abc", 3), 3);
    char buf[8] = {};
    EXPECT_EQ(SockPendingBytes(pair[0]), 3);
    EXPECT_EQ(SockRecv(pair[0], buf, 1, true), 1);
    EXPECT_EQ(SockPendingBytes(pair[0]), 3);
    EXPECT_EQ(SockRecv(pair[0], buf, sizeof buf), 3);
    EXPECT_EQ(std::string(buf, 3), "abc");
    ::close(pair[1]);
    EXPECT_EQ(SockRecv(pair[0], buf, sizeof buf), 0);
    ::close(pair[0]);
    EXPECT_EQ(SockPendingBytes(pair[0]), -1);
    EXPECT_EQ(SockLastError(), WSAEBADF);
}

}  // namespace
}  // namespace velkaro
