#include "Event.h"

#include <algorithm>
#include <array>

namespace tarvendo {

namespace {

// In the order of the cases.
constexpr std::array<std::string_view, 12> kNames = {
    "loginSuccess",
    "loginFailed",
    "cardElected",
    "playerDidAdd",
    "playerDidRemove",
    "initNewDeal",
    "play",
    "openCards",
    "userIsLoggedIn",
    "cardsReadyToOpen",
    "bonjoureServerNotFound",
    "bonjoureServerFound",
};

}  // namespace

std::string_view name(Event event) {
    return kNames.at(static_cast<std::size_t>(event));
}

std::optional<Event> eventFrom(std::string_view text) {
    const auto found = std::find(kNames.begin(), kNames.end(), text);
    if (found == kNames.end()) {
        return std::nullopt;
    }
    return static_cast<Event>(found - kNames.begin());
}

}  // namespace tarvendo
