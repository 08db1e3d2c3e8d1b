#include "client/ClientSession.h"

namespace tarvendo::client {

ClientSession::ClientSession(std::chrono::milliseconds electionDelay)
    : cardStore_(std::make_unique<CardStore>(*this, electionDelay)) {}

ClientSession::~ClientSession() = default;

std::optional<Answer> ClientSession::send(RequestCode code, const std::optional<Json>& data) {
    Request request{code, shared_.token(), std::nullopt, std::nullopt};
    if (data) {
        request.data = ToolBox::toJsonObject(data);
        if (!request.data) {
            return std::nullopt;
        }
    }
    return connection_.exchange(request);
}

}  // namespace tarvendo::client
