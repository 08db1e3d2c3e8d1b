#include "Deck.h"

#include <algorithm>

namespace tarvendo::server {

bool isDeckSymbol(std::string_view symbol) {
    return std::find(kDeckSymbols.begin(), kDeckSymbols.end(), symbol) != kDeckSymbols.end();
}

}  // namespace tarvendo::server
