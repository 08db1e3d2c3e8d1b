#include "fuzz/JsonProbe.h"

#include <cmath>

namespace tarvendo::fuzz {

Json parsedOrDiscarded(std::string_view text) {
    return Json::parse(text, nullptr, false);
}

std::optional<std::string> stringMember(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::optional<double> integralMember(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number()) {
        return std::nullopt;
    }
    const double value = found->get<double>();
    return std::trunc(value) == value ? std::optional(value) : std::nullopt;
}

}  // namespace tarvendo::fuzz
