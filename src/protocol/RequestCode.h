#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvendo {

// Carried on the wire as its integer value; the values are fixed.
enum class RequestCode : std::int32_t {
    loginAdmin = 0,
    loginPlayer = 1,
    logout = 2,
    initNewDeal = 3,
    play = 4,
    openCards = 5,
    playerAdded = 6,
    playerRemoved = 7,
    cardElected = 8,
};

std::optional<RequestCode> requestCodeFrom(std::int64_t value);
std::string_view name(RequestCode code);

}  // namespace tarvendo
