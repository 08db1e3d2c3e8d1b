#include "session/Shared.h"

namespace tarvendo {

std::optional<std::string> Shared::read(Text field) const {
    const std::lock_guard lock(mutex_);
    return this->*field;
}

void Shared::write(Text field, std::optional<std::string> value) {
    const std::lock_guard lock(mutex_);
    this->*field = std::move(value);
}

std::optional<std::string> Shared::token() const {
    return read(&Shared::token_);
}
void Shared::setToken(std::optional<std::string> token) {
    write(&Shared::token_, std::move(token));
}

std::optional<std::string> Shared::playerName() const {
    return read(&Shared::playerName_);
}
void Shared::setPlayerName(std::optional<std::string> name) {
    write(&Shared::playerName_, std::move(name));
}

std::optional<std::string> Shared::gameName() const {
    return read(&Shared::gameName_);
}
void Shared::setGameName(std::optional<std::string> name) {
    write(&Shared::gameName_, std::move(name));
}

std::optional<std::string> Shared::gameServerAddress() const {
    return read(&Shared::gameServerAddress_);
}
void Shared::setGameServerAddress(std::optional<std::string> address) {
    write(&Shared::gameServerAddress_, std::move(address));
}

}  // namespace tarvendo
