// The OS socket layer's lookups. The synchronizer's tests answer names through a hook and see
// the connection errors' codes in their messages; here, the resolver itself and the codes of
// its failures, which no loopback test can provoke.
#include "platform/socket.h"

#include <netdb.h>

#include <cerrno>

#include <gtest/gtest.h>

namespace velkaro {
namespace {

TEST(SockLookupHost, AsksTheResolverForLocalNames) {
    // Only a name the machine itself knows: no test asks a name server.
    std::vector<TSockAddress> addrs;
    ASSERT_TRUE(SockLookupHost("localhost", addrs));
    bool loopback = false;
    for (const TSockAddress& a : addrs) loopback = loopback || SockAddressText(a) == "127.0.0.1" || SockAddressText(a) == "::1";
    EXPECT_TRUE(loopback);
    // An unknown name is "Host not found"; a failure of the system's own takes its errno's code.
    EXPECT_EQ(SocketErrorFromLookup(EAI_NONAME, 0), 11001);
    EXPECT_EQ(SocketErrorFromLookup(EAI_SYSTEM, ECONNREFUSED), 10061);
}

}  // namespace
}  // namespace velkaro
