// Resolution of host, port and protocol texts, and the error texts.
#include "sync/socket_library.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include "test_servers.h"

namespace velkaro {
namespace {

class SocketLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { SetHostLookupHook(test::LoopbackOnlyLookup); }
    void TearDown() override { SetHostLookupHook(nullptr); }
};

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ESocketException& e) {
        return e.what();
    }
    return "(no exception)";
}

TEST(IsDottedAddress, Table) {
    struct Case { const char* Text; bool Dotted; };
    const Case cases[] = {
        {"127.0.0.1", true}, {"  10.1.2.3", true}, {"10.1.2.3   ", true}, {"255.255.255.255", true},
        {"0.0.0.0", true}, {"256.1.1.1", false}, {"1.2.3", false}, {"1.2.3.4.5", false}, {".1.2.3", false},
        {"1..2.3", false}, {"1.2.3.", false}, {"1.2.3.4 x", false}, {"1.2.3.4x", false}, {"time.nist.gov", false},
        {"", false}, {"   ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsDottedAddress(c.Text), c.Dotted) << "'" << c.Text << "'";
}

TEST_F(SocketLibraryTest, ResolveHost) {
    EXPECT_EQ(SocketResolveHost("127.0.0.1"), htonl(0x7F000001));
    EXPECT_EQ(SocketResolveHost(" 127.0.0.1 "), htonl(0x7F000001));
    EXPECT_EQ(SocketResolveHost("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(SocketResolveHost("localhost"), htonl(0x7F000001));

    std::string longName(257, 'a');
    EXPECT_EQ(MessageOf([&] { SocketResolveHost(longName); }),
              "SocketResolveHost: '" + longName + "' Invalid Hostname.");
    EXPECT_EQ(MessageOf([] { SocketResolveHost(""); }), "SocketResolveHost: '' Invalid Hostname.");
    // Not dotted (a part above 255), so it is looked up as a name, and there is none.
    EXPECT_EQ(MessageOf([] { SocketResolveHost("256.1.1.1"); }),
              "SocketResolveHost: Cannot convert host address '256.1.1.1', Error #11001");
}

TEST_F(SocketLibraryTest, ResolvePort) {
    EXPECT_EQ(SocketResolvePort("13", "tcp"), 13);
    EXPECT_EQ(SocketResolvePort("8080abc", "tcp"), 8080);
    EXPECT_EQ(SocketResolvePort("daytime", "tcp"), 13);
    EXPECT_EQ(MessageOf([] { SocketResolvePort("", "tcp"); }), "SocketResolvePort: Invalid Port.");
    EXPECT_EQ(MessageOf([] { SocketResolvePort(std::string(32, '1'), "tcp"); }), "SocketResolvePort: Invalid Port.");
    EXPECT_EQ(MessageOf([] { SocketResolvePort("13", ""); }), "SocketResolvePort: Invalid Proto.");
    EXPECT_EQ(MessageOf([] { SocketResolvePort("13", std::string(32, 't')); }), "SocketResolvePort: Invalid Proto.");
    EXPECT_EQ(MessageOf([] { SocketResolvePort("nosuchservice", "tcp"); }),
              "SocketResolvePort: Cannot convert port 'nosuchservice', Error #11004");
}

TEST_F(SocketLibraryTest, ResolveProto) {
    EXPECT_EQ(SocketResolveProto("tcp"), 6);
    EXPECT_EQ(SocketResolveProto("udp"), 17);
    EXPECT_EQ(SocketResolveProto("6"), 6);
    EXPECT_EQ(MessageOf([] { SocketResolveProto(""); }), "SocketResolveProto: Invalid Protocol.");
    EXPECT_EQ(MessageOf([] { SocketResolveProto("nosuchproto"); }),
              "SocketResolveProto: Cannot convert protocol 'nosuchproto', Error #11004");
}

TEST(SocketErrorText, Table) {
    struct Case { int Code; const char* Text; };
    const Case cases[] = {
        {0, "No Error"}, {10054, "Connection reset by peer"}, {10060, "Connection timed out"},
        {10061, "Connection refused"}, {10065, "No route to host"}, {10072, "Not a WinSock error"},
        {10093, "WinSock not initialized"}, {11001, "Host not found"}, {11005, "Not a WinSock error"},
        {-1, "Not a WinSock error"},
    };
    for (const Case& c : cases) EXPECT_EQ(SocketErrorText(c.Code), c.Text) << c.Code;
}

}  // namespace
}  // namespace velkaro
