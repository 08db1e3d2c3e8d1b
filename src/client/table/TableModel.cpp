#include "client/table/TableModel.h"

#include <algorithm>
#include <optional>

namespace tarvendo::client {

TableModel::TableModel(NotificationCenter& center, const Shared& shared,
                       std::function<void(Snapshot)> changed)
    : changed_(std::move(changed)), playerStore_(center, shared), observers_(center) {
    registerObservers();
}

TableModel::~TableModel() {
    observers_.removeObservers();
}

void TableModel::observe(Event event, std::function<bool(const UserInfo&)> change) {
    observers_.registerEvent(event, [this, change = std::move(change)](const Notification& posted) {
        std::optional<Snapshot> changed;
        {
            const std::lock_guard lock(mutex_);
            if (change(posted.userInfo)) {
                changed = snapshotLocked();
            }
        }
        if (changed) {
            changed_(std::move(*changed));
        }
    });
}

void TableModel::registerObservers() {
    observe(Event::playerDidAdd, [this](const UserInfo& info) {
        const std::optional<std::string> name = info.get<std::string>("player_name");
        if (name) {
            playerStore_.add(*name, PlayerStore::kNotChosen);
        }
        return name.has_value();
    });
    observe(Event::playerDidRemove, [this](const UserInfo& info) {
        const std::optional<std::string> name = info.get<std::string>("player_name");
        if (name) {
            playerStore_.remove(*name);
        }
        return name.has_value();
    });
    observe(Event::initNewDeal, [this](const UserInfo& info) { return dealDidStart(info); });
    // Closes the cards without a change to show: they are closed already
    // after the new deal that comes before play.
    observe(Event::play, [this](const UserInfo&) {
        opened_ = false;
        return false;
    });
    observe(Event::openCards, [this](const UserInfo&) {
        opened_ = true;
        return true;
    });
    observe(Event::cardElected, [this](const UserInfo& info) {
        const std::optional<std::string> name = info.get<std::string>("player_name");
        const std::optional<std::string> symbol = info.get<std::string>("symbol");
        if (name && symbol) {
            playerStore_.add(*name, *symbol);
        }
        return name && symbol;
    });
    observe(Event::loginRenewed, [this](const UserInfo&) { return loginDidRenew(); });
}

bool TableModel::dealDidStart(const UserInfo& info) {
    const std::string title = info.get<std::string>("title").value_or("");
    // After a renewed login the game server replays the deal under way.
    const bool replayed = renewed_ && deal_ > 0 && title == title_;
    if (!replayed) {
        ++deal_;
    }
    title_ = title;
    renewed_ = false;
    opened_ = false;
    playerStore_.initNewDeal();
    return true;
}

bool TableModel::loginDidRenew() {
    // The players come again from the new login's answer.
    renewed_ = true;
    opened_ = false;
    playerStore_.clear();
    return true;
}

TableModel::Snapshot TableModel::snapshot() const {
    const std::lock_guard lock(mutex_);
    return snapshotLocked();
}

TableModel::Snapshot TableModel::snapshotLocked() const {
    Snapshot snapshot{deal_, title_, opened_, {}};
    std::vector<std::string> names = playerStore_.allKeys();
    // std::string compares its chars as unsigned: UTF-8 byte order.
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        std::string symbol = playerStore_.value(name);
        snapshot.players.emplace_back(std::move(name), std::move(symbol));
    }
    return snapshot;
}

}  // namespace tarvendo::client
