#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tarvendo {

// The texts of an enumeration's cases, in the order of the cases: the
// enumerations that travel or are looked up by their names.
template <class Enum, std::size_t Count>
class NameTable {
public:
    constexpr explicit NameTable(std::array<std::string_view, Count> names) : names_(names) {}

    constexpr std::string_view nameOf(Enum value) const {
        return names_.at(static_cast<std::size_t>(value));
    }
    // Exact, case-sensitive match.
    constexpr std::optional<Enum> find(std::string_view text) const {
        const auto found = std::find(names_.begin(), names_.end(), text);
        if (found == names_.end()) {
            return std::nullopt;
        }
        return static_cast<Enum>(found - names_.begin());
    }

private:
    std::array<std::string_view, Count> names_;
};

}  // namespace tarvendo
