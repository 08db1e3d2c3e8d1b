#include "session/Event.h"

#include "protocol/NameTable.h"

namespace tarvendo {

namespace {

constexpr NameTable<Event, 14> kNames({
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
    "pushConnectionLost",
    "loginRenewed",
});

}  // namespace

std::string_view name(Event event) {
    return kNames.nameOf(event);
}

std::optional<Event> eventFrom(std::string_view text) {
    return kNames.find(text);
}

}  // namespace tarvendo
