#pragma once

#include <optional>

namespace tarvendo::client {

// The positions of the deck; the symbols travel as text, never as an index.
enum class CardIndex {
    symbol0,
    symbolHalf,
    symbol1,
    symbol2,
    symbol3,
    symbol5,
    symbol8,
    symbol13,
    symbol20,
    symbol40,
    symbolQuestion,
    symbolInfinity,
};

inline constexpr int kCardCount = 12;

// Absent outside 0...11.
constexpr std::optional<CardIndex> cardIndexFrom(int position) {
    if (position < 0 || position >= kCardCount) {
        return std::nullopt;
    }
    return static_cast<CardIndex>(position);
}

}  // namespace tarvendo::client
