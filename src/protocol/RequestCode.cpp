#include "RequestCode.h"

#include <array>

namespace tarvendo {

namespace {

constexpr std::array<std::string_view, 9> kNames = {
    "loginAdmin", "loginPlayer", "logout",        "initNewDeal", "play",
    "openCards",  "playerAdded", "playerRemoved", "cardElected",
};

}  // namespace

std::optional<RequestCode> requestCodeFrom(std::int64_t value) {
    if (value < 0 || value >= static_cast<std::int64_t>(kNames.size())) {
        return std::nullopt;
    }
    return static_cast<RequestCode>(value);
}

std::string_view name(RequestCode code) {
    return kNames.at(static_cast<std::size_t>(code));
}

}  // namespace tarvendo
