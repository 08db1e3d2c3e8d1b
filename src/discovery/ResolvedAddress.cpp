#include "discovery/ResolvedAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace tarvendo {

std::vector<Address> usableAddresses(const AvahiAddress* address, std::uint16_t port) {
    if (address == nullptr || address->proto != AVAHI_PROTO_INET ||
        address->data.ipv4.address == htonl(INADDR_ANY)) {
        return {};
    }
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &address->data.ipv4.address, text, sizeof text) == nullptr) {
        return {};
    }
    return {Address{text, port}};
}

}  // namespace tarvendo
