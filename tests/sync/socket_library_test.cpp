// The server field's text as an address: what counts as a dotted address, and names that cannot
// be one. Ports and protocols come from the program itself and are exercised by every fetch.
#include "sync/socket_library.h"

#include <gtest/gtest.h>

#include "test_servers.h"

namespace velkaro {
namespace {

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

TEST(SocketResolveHostAll, NamesThatCannotBeAnAddress) {
    const std::string longName(257, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {longName, "SocketResolveHost: '" + longName + "' Invalid Hostname."},
        {"", "SocketResolveHost: '' Invalid Hostname."},
        // Not dotted (a part above 255), so it is looked up as a name, and there is none.
        {"256.1.1.1", "SocketResolveHost: Cannot convert host address '256.1.1.1', Error #11001"},
    };
    for (const auto& [name, message] : cases) {
        try {
            SocketResolveHostAll(name);
            ADD_FAILURE() << name << " was taken for an address";
        } catch (const ESocketException& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
}

}  // namespace
}  // namespace velkaro
