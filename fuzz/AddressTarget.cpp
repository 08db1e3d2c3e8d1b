#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"
#include "transport/Address.h"

namespace tarvendo::fuzz {

namespace {

std::vector<std::string_view> splitAtDots(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// An optional sign, one or more digits, a value of at most 255 (of 0 with '-').
bool isAddressPart(std::string_view part) {
    const bool negative = part.starts_with('-');
    if (negative || part.starts_with('+')) {
        part.remove_prefix(1);
    }
    if (part.empty() ||
        !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const std::size_t firstSignificant = std::min(part.find_first_not_of('0'), part.size());
    const std::string_view significant = part.substr(firstSignificant);
    const int value = significant.empty()      ? 0
                      : significant.size() > 3 ? 1000
                                               : std::stoi(std::string(significant));
    return negative ? value == 0 : value <= 255;
}

bool isAddressByReference(std::string_view text) {
    const std::vector<std::string_view> parts = splitAtDots(text);
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), isAddressPart);
}

}  // namespace

void fuzzAddress(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    require(validAddressIP(text) == isAddressByReference(text),
            "validAddressIP disagrees with the reference check on '" + std::string(text) + "'");
}

}  // namespace tarvendo::fuzz
