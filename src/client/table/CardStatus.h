#pragma once

namespace tarvendo::client {

// How a card is coloured.
enum class CardStatus {
    none,     // an ordinary face, coloured by its selection
    unknown,  // the placeholder of a player who has not elected a card yet
    known,    // the placeholder of a player whose elected card is not shown yet
};

}  // namespace tarvendo::client
