#pragma once

#include <optional>
#include <string_view>

namespace tarvendo {

// The notification names; each one's text is spelled exactly like its case.
enum class Event {
    loginSuccess,
    loginFailed,
    cardElected,
    playerDidAdd,
    playerDidRemove,
    initNewDeal,
    play,
    openCards,
    userIsLoggedIn,
    cardsReadyToOpen,
    bonjoureServerNotFound,
    bonjoureServerFound,
};

std::string_view name(Event event);
// Exact, case-sensitive match; absent for any other text.
std::optional<Event> eventFrom(std::string_view text);

}  // namespace tarvendo
