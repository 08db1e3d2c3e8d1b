#include "client/login/LoginAlert.h"

namespace tarvendo::client {

std::optional<LoginAlert> loginAlertFor(LoginOutcome outcome) {
    switch (outcome) {
        case LoginOutcome::cantConnect:
            return LoginAlert{"Can't connect to the server.",
                              "Correct server data and try again, or exit"};
        case LoginOutcome::adminNotLoggedIn:
            return LoginAlert{"Can't start the game.", "No admin for the game."};
        case LoginOutcome::adminAlreadyLoggedIn:
            return LoginAlert{"Can't login the admin.", "Admin is logged in already."};
        case LoginOutcome::userNameAlreadyInUse:
            return LoginAlert{"Can't login with this name.", "This name is already in use."};
        case LoginOutcome::loggedIn:
        case LoginOutcome::noAnswer:
        case LoginOutcome::tokenRefused:
        case LoginOutcome::refused:
            break;
    }
    return std::nullopt;
}

}  // namespace tarvendo::client
