#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvendo {

// One game server endpoint, typed in or found by discovery.
struct Address {
    std::string address;
    std::int32_t port = 0;

    bool operator==(const Address&) const = default;
};

// Four dot-separated decimal parts, each an optional sign and digits, 0 to 255.
bool validAddressIP(std::string_view text);

}  // namespace tarvendo
