#include <gtest/gtest.h>

#include <arpa/inet.h>

#include "Recorders.h"
#include "ResolvedAddress.h"

namespace tarvendo {
namespace {

AvahiAddress ipv4(const char* text) {
    AvahiAddress address{};
    address.proto = AVAHI_PROTO_INET;
    inet_pton(AF_INET, text, &address.data.ipv4.address);
    return address;
}

TEST(UsableAddressesTest, RendersAnIPv4AddressWithThePort) {
    const AvahiAddress address = ipv4("192.168.0.5");
    EXPECT_EQ(usableAddresses(&address, 50000), (std::vector<Address>{{"192.168.0.5", 50000}}));
}

TEST(UsableAddressesTest, KeepsTheWholePortRange) {
    const AvahiAddress address = ipv4("10.0.0.255");
    EXPECT_EQ(usableAddresses(&address, 65535), (std::vector<Address>{{"10.0.0.255", 65535}}));
}

TEST(UsableAddressesTest, SkipsTheUnspecifiedAddress) {
    const AvahiAddress address = ipv4("0.0.0.0");
    EXPECT_TRUE(usableAddresses(&address, 50000).empty());
}

// An IPv6 record must not be read as IPv4, whatever its first bytes hold.
TEST(UsableAddressesTest, SkipsIPv6) {
    AvahiAddress address{};
    address.proto = AVAHI_PROTO_INET6;
    inet_pton(AF_INET6, "c0a8:5::1", &address.data.ipv6.address);
    EXPECT_TRUE(usableAddresses(&address, 50000).empty());
}

TEST(UsableAddressesTest, SkipsAMissingAddress) {
    EXPECT_TRUE(usableAddresses(nullptr, 50000).empty());
}

}  // namespace
}  // namespace tarvendo
