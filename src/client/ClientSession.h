#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "client/table/CardStore.h"
#include "protocol/Answer.h"
#include "protocol/GameServerConnection.h"
#include "protocol/RequestCode.h"
#include "protocol/ToolBox.h"
#include "session/NotificationCenter.h"
#include "session/PushGate.h"
#include "session/PushedRequests.h"
#include "session/Shared.h"

namespace tarvendo::client {

// What one running client shares among its parts: the session values, the
// connection to the game server, the notification centre and the deck.
// AppDelegate makes one and passes it down, so two clients can live in one
// process. Main thread, except where the parts say otherwise.
class ClientSession {
public:
    explicit ClientSession(std::chrono::milliseconds electionDelay = CardStore::kElectionDelay);
    ~ClientSession();
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;

    Shared& shared() { return shared_; }
    GameServerConnection& connection() { return connection_; }
    NotificationCenter& center() { return center_; }
    CardStore& cardStore() { return *cardStore_; }
    // Where this client's server delivers what the game server pushes.
    PushReceiver pushReceiver() { return PushReceiver{shared_, center_, &pushGate_}; }
    PushGate& pushGate() { return pushGate_; }

    // A request with the session's token and the data object, if any, and
    // its answer; absent means no answer (or data that cannot be encoded).
    std::optional<Answer> send(RequestCode code, const std::optional<Json>& data = std::nullopt);

private:
    Shared shared_;
    GameServerConnection connection_;
    NotificationCenter center_;
    PushGate pushGate_;
    std::unique_ptr<CardStore> cardStore_;  // last: it uses the parts above
};

}  // namespace tarvendo::client
