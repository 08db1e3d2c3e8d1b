#include "protocol/RequestCode.h"

#include "protocol/NameTable.h"

namespace tarvendo {

namespace {

constexpr std::int64_t kCodes = 9;

constexpr NameTable<RequestCode, kCodes> kNames({
    "loginAdmin",
    "loginPlayer",
    "logout",
    "initNewDeal",
    "play",
    "openCards",
    "playerAdded",
    "playerRemoved",
    "cardElected",
});

}  // namespace

std::optional<RequestCode> requestCodeFrom(std::int64_t value) {
    if (value < 0 || value >= kCodes) {
        return std::nullopt;
    }
    return static_cast<RequestCode>(value);
}

std::string_view name(RequestCode code) {
    return kNames.nameOf(code);
}

}  // namespace tarvendo
