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
    // The game server's push connection of the current login ended {"login"}.
    pushConnectionLost,
    // A login took the client's seat back after a loss: the table is
    // rebuilt from the answer and the deal replayed after it.
    loginRenewed,
};

std::string_view name(Event event);
// Exact, case-sensitive match; absent for any other text.
std::optional<Event> eventFrom(std::string_view text);

}  // namespace tarvendo
