#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "protocol/DeckSymbols.h"

namespace tarvendo::client {

// What the opened cards of one deal say. Numbers come from the numeric cards
// only (½ is 0.5); "?" and "∞" are counted apart.
struct DealStatistics {
    std::size_t players = 0;
    std::size_t shown = 0;  // players whose card is a deck card
    std::size_t unknown = 0;
    std::size_t infinite = 0;
    // Absent without a numeric card.
    std::optional<double> average;
    std::optional<double> median;
    std::optional<std::string> lowest;
    std::optional<std::string> highest;
    // Deck steps between the lowest and the highest card.
    std::optional<std::size_t> spread;
    // The deck card nearest to the median; of two as near, the larger.
    std::optional<std::string> suggested;
    // Every numeric card the same, and no "?" or "∞".
    bool consensus = false;
    // The card(s) chosen most often, in deck order; empty when none is shown.
    std::vector<std::string> mostChosen;
    // How many chose each deck card, in deck order.
    std::array<std::size_t, kDeckSymbols.size()> counts{};
};

// The value of a numeric card; absent for "?", "∞" and anything else.
std::optional<double> cardValue(std::string_view symbol);

// From every seated player's symbol; anything but a deck card ("#" for no
// card, "*" for one not shown) counts as no card shown.
DealStatistics dealStatistics(const std::vector<std::string>& symbols);

}  // namespace tarvendo::client
