#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tarvendo {

// The twelve cards every player holds, in deck order. A card travels as its
// symbol, never as a position.
inline constexpr std::array<std::string_view, 12> kDeckSymbols = {"0", "½",  "1",  "2",  "3", "5",
                                                                  "8", "13", "20", "40", "?", "∞"};

// The symbol's place in the deck; absent for anything that is not a card.
std::optional<std::size_t> deckPosition(std::string_view symbol);
inline bool isDeckSymbol(std::string_view symbol) {
    return deckPosition(symbol).has_value();
}

}  // namespace tarvendo
