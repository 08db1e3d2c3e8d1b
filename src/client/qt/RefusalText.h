#pragma once

#include <QString>

#include "protocol/Answer.h"

namespace tarvendo::client {

// What an alert tells the user about a refused request: the game server's own
// explanation when it gave one, else a sentence for the answer's message;
// never the protocol's bare identifier.
QString refusalText(const Answer& answer);

}  // namespace tarvendo::client
