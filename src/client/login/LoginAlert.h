#pragma once

#include <QString>

#include <optional>

#include "client/login/LoginExchange.h"

namespace tarvendo::client {

// What the user is told when a login does not work.
struct LoginAlert {
    QString message;
    QString informative;
};

// Absent for the outcomes that end silently.
std::optional<LoginAlert> loginAlertFor(LoginOutcome outcome);

}  // namespace tarvendo::client
