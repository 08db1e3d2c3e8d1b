#pragma once

#include <avahi-common/address.h>

#include <cstdint>
#include <vector>

#include "transport/Address.h"

namespace tarvendo {

// The endpoints a resolved service offers a client: its address when that is
// IPv4 and not the unspecified 0.0.0.0 (which nobody can connect to), with the
// service's port. Empty when there is nothing to connect to.
std::vector<Address> usableAddresses(const AvahiAddress* address, std::uint16_t port);

}  // namespace tarvendo
