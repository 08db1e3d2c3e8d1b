#include <gtest/gtest.h>

#include <arpa/inet.h>

#include "Recorders.h"
#include "discovery/ResolvedAddress.h"

namespace tarvendo {
namespace {

// Only a specified IPv4 address is one to connect to; an IPv6 record must
// not be read as IPv4, whatever its first bytes hold.
TEST(UsableAddressesTest, RendersSpecifiedIPv4AddressesOnly) {
    const struct {
        int family;
        const char* text;
        std::vector<Address> expected;
    } cases[] = {
        {AF_INET, "192.168.0.5", {{"192.168.0.5", 65535}}},
        {AF_INET, "0.0.0.0", {}},
        {AF_INET6, "c0a8:5::1", {}},
    };
    for (const auto& [family, text, expected] : cases) {
        AvahiAddress address{};
        address.proto = family == AF_INET ? AVAHI_PROTO_INET : AVAHI_PROTO_INET6;
        inet_pton(family, text, &address.data);
        EXPECT_EQ(usableAddresses(&address, 65535), expected) << text;
    }
    EXPECT_TRUE(usableAddresses(nullptr, 50000).empty());
}

}  // namespace
}  // namespace tarvendo
