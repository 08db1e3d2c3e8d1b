#include "GameRequest.h"

#include "Exchange.h"
#include "Shared.h"

namespace tarvendo::client {

std::optional<Answer> sendToGameServer(RequestCode code, const std::optional<Json>& data) {
    Request request{code, Shared::token(), std::nullopt, std::nullopt};
    if (data) {
        request.data = ToolBox::toJsonObject(data);
        if (!request.data) {
            return std::nullopt;
        }
    }
    return exchange(request);
}

}  // namespace tarvendo::client
