#include "Shared.h"

#include <atomic>
#include <mutex>

namespace tarvendo {

namespace {

struct Values {
    std::mutex mutex;  // guards the texts
    std::optional<std::string> token;
    std::optional<std::string> playerName;
    std::optional<std::string> gameName;
    std::atomic<bool> isAdmin{false};
};

using Text = std::optional<std::string> Values::*;

// Never destroyed: connection threads may still read the token while the
// process exits.
Values& values() {
    static auto* const instance = new Values;
    return *instance;
}

std::optional<std::string> readText(Text field) {
    Values& shared = values();
    const std::lock_guard lock(shared.mutex);
    return shared.*field;
}

void writeText(Text field, std::optional<std::string> value) {
    Values& shared = values();
    const std::lock_guard lock(shared.mutex);
    shared.*field = std::move(value);
}

}  // namespace

std::optional<std::string> Shared::token() {
    return readText(&Values::token);
}
void Shared::setToken(std::optional<std::string> token) {
    writeText(&Values::token, std::move(token));
}

std::optional<std::string> Shared::playerName() {
    return readText(&Values::playerName);
}
void Shared::setPlayerName(std::optional<std::string> name) {
    writeText(&Values::playerName, std::move(name));
}

std::optional<std::string> Shared::gameName() {
    return readText(&Values::gameName);
}
void Shared::setGameName(std::optional<std::string> name) {
    writeText(&Values::gameName, std::move(name));
}

bool Shared::isAdmin() {
    return values().isAdmin.load();
}
void Shared::setAdmin(bool isAdmin) {
    values().isAdmin.store(isAdmin);
}

void Shared::reset() {
    for (const Text field : {&Values::token, &Values::playerName, &Values::gameName}) {
        writeText(field, std::nullopt);
    }
    setAdmin(false);
}

}  // namespace tarvendo
