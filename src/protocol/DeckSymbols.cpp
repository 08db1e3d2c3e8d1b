#include "protocol/DeckSymbols.h"

#include <algorithm>

namespace tarvendo {

std::optional<std::size_t> deckPosition(std::string_view symbol) {
    const auto* found = std::find(kDeckSymbols.begin(), kDeckSymbols.end(), symbol);
    if (found == kDeckSymbols.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - kDeckSymbols.begin());
}

}  // namespace tarvendo
