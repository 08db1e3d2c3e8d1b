#include "server/TokenSource.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdint>

namespace tarvendo::server {

namespace {

bool fillRandom(std::array<std::uint8_t, 16>& bytes) {
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0 && errno != EINTR) {
            return false;
        }
        filled += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    return true;
}

}  // namespace

std::optional<std::string> freshToken() {
    std::array<std::uint8_t, 16> bytes{};
    if (!fillRandom(bytes)) {
        return std::nullopt;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    token.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        token.push_back(kDigits[byte >> 4U]);
        token.push_back(kDigits[byte & 0x0FU]);
    }
    return token;
}

}  // namespace tarvendo::server
