#include "session/PlayerStore.h"

#include <algorithm>

namespace tarvendo {

PlayerStore::PlayerStore(NotificationCenter& center, const Shared& shared)
    : center_(center), shared_(shared), mutex_("PlayerStore") {}

void PlayerStore::add(const std::string& playerName, const std::string& symbol) {
    mutex_.sync([&] {
        data_.insert_or_assign(playerName, symbol);
        if (shared_.isAdmin() && everyoneHasChosen()) {
            center_.post(Event::cardsReadyToOpen);
        }
    });
}

void PlayerStore::remove(const std::string& playerName) {
    mutex_.sync([&] { data_.erase(playerName); });
}

std::string PlayerStore::value(const std::string& playerName) {
    std::string symbol;
    mutex_.sync([&] {
        const auto found = data_.find(playerName);
        if (found != data_.end()) {
            symbol = found->second;
        }
    });
    return symbol;
}

std::vector<std::string> PlayerStore::allKeys() {
    std::vector<std::string> names;
    mutex_.sync([&] {
        for (const auto& entry : data_) {
            names.push_back(entry.first);
        }
    });
    return names;
}

void PlayerStore::clear() {
    mutex_.sync([&] { data_.clear(); });
}

void PlayerStore::initNewDeal() {
    mutex_.sync([&] {
        for (auto& entry : data_) {
            entry.second = kNotChosen;
        }
    });
}

bool PlayerStore::everyoneHasChosen() const {
    return std::none_of(data_.begin(), data_.end(),
                        [](const auto& entry) { return entry.second == kNotChosen; });
}

}  // namespace tarvendo
