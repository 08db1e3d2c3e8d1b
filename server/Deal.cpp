#include "server/Deal.h"

namespace tarvendo::server {

void Deal::start(std::string title) {
    ++number_;
    title_ = std::move(title);
    phase_ = Phase::dealt;
    symbols_.clear();
}

void Deal::restore(std::int64_t number, std::string title, Phase phase) {
    number_ = number;
    title_ = std::move(title);
    phase_ = phase;
    symbols_.clear();
}

void Deal::play() {
    if (phase_ == Phase::dealt) {
        phase_ = Phase::inPlay;
    }
}

void Deal::end() {
    title_.clear();
    phase_ = Phase::none;
    symbols_.clear();
}

void Deal::elect(const std::string& token, std::string symbol) {
    symbols_.insert_or_assign(token, std::move(symbol));
}

std::optional<std::string> Deal::symbolOf(const std::string& token) const {
    const auto found = symbols_.find(token);
    return found == symbols_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::string> Deal::shownTo(const std::string& viewer,
                                         const std::string& token) const {
    std::optional<std::string> symbol = symbolOf(token);
    if (symbol && phase_ != Phase::open && viewer != token) {
        return std::string(kSealedSymbol);
    }
    return symbol;
}

}  // namespace tarvendo::server
