#pragma once

#include <optional>
#include <string>

namespace tarvendo::server {

// 128 random bits from the kernel as 32 lower-case hex digits; absent only
// when the kernel cannot supply randomness.
std::optional<std::string> freshToken();

}  // namespace tarvendo::server
