#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "protocol/Request.h"

namespace tarvendo::server {

inline constexpr std::size_t kMaxNameLength = 64;

// The checked body of a login request.
struct LoginForm {
    bool asAdmin = false;
    std::string playerName;  // trimmed
    std::string gameName;    // trimmed; only the admin names the game
    std::uint16_t clientServerPort = 0;
    std::string peerAddress;  // where the login came from
    // The seat this login takes back, when it resumes one.
    std::optional<std::string> resumeToken;
};

// The form, or why the body is not acceptable.
std::variant<LoginForm, std::string> readLoginForm(const Request& request);

}  // namespace tarvendo::server
