#include "transport/Address.h"

#include <cstddef>

namespace tarvendo {

namespace {

// An optional single sign, then one or more digits; the value in 0...255.
bool validAddressPart(std::string_view part) {
    bool negative = false;
    if (!part.empty() && (part.front() == '+' || part.front() == '-')) {
        negative = part.front() == '-';
        part.remove_prefix(1);
    }
    if (part.empty()) {
        return false;
    }
    int value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9') {
            return false;
        }
        // Saturate: leading zeros may make the text long, the value stays small.
        value = value > 255 ? value : value * 10 + (c - '0');
    }
    return negative ? value == 0 : value <= 255;
}

}  // namespace

bool validAddressIP(std::string_view text) {
    std::size_t parts = 0;
    while (true) {
        const std::size_t dot = text.find('.');
        if (!validAddressPart(text.substr(0, dot))) {
            return false;
        }
        ++parts;
        if (dot == std::string_view::npos) {
            break;
        }
        text.remove_prefix(dot + 1);
    }
    return parts == 4;
}

}  // namespace tarvendo
