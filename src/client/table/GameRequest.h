#pragma once

#include <optional>

#include "Answer.h"
#include "RequestCode.h"
#include "ToolBox.h"

namespace tarvendo::client {

// One exchange with the game server over the process-wide connection, with
// the session token and the data as JSON. Absent when nothing was sent (the
// data could not be serialised) or no answer came.
std::optional<Answer> sendToGameServer(RequestCode code,
                                       const std::optional<Json>& data = std::nullopt);

}  // namespace tarvendo::client
