#pragma once

#include <array>
#include <string_view>

namespace tarvendo::server {

// The twelve cards every player holds, in deck order.
inline constexpr std::array<std::string_view, 12> kDeckSymbols = {"0", "½",  "1",  "2",  "3", "5",
                                                                  "8", "13", "20", "40", "?", "∞"};

bool isDeckSymbol(std::string_view symbol);

}  // namespace tarvendo::server
