#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tarvendo::server {

// The current deal: its title, how far it has got and each player's card.
// Until the cards are opened a card is shown only to its own player; the
// others see the placeholder kSealedSymbol.
class Deal {
public:
    enum class Phase { none, dealt, inPlay, open };
    static constexpr std::string_view kSealedSymbol = "*";

    Phase phase() const { return phase_; }
    // Counts the deals of the game: 1 for the first.
    std::int64_t number() const { return number_; }
    const std::string& title() const { return title_; }
    // Votes count from play on, and after the opening too (a late vote).
    bool takesVotes() const { return phase_ == Phase::inPlay || phase_ == Phase::open; }

    // A new deal: no card chosen yet.
    void start(std::string title);
    // A deal as it was stored, without its cards.
    void restore(std::int64_t number, std::string title, Phase phase);
    // Play after a deal was started; an opened deal stays open.
    void play();
    void open() { phase_ = Phase::open; }
    void end();

    void elect(const std::string& token, std::string symbol);
    void forget(const std::string& token) { symbols_.erase(token); }
    std::optional<std::string> symbolOf(const std::string& token) const;
    // The player's card as the viewer may see it: absent when none is chosen.
    std::optional<std::string> shownTo(const std::string& viewer, const std::string& token) const;

private:
    std::string title_;
    Phase phase_ = Phase::none;
    std::int64_t number_ = 0;
    std::map<std::string, std::string> symbols_;  // by player token
};

}  // namespace tarvendo::server
