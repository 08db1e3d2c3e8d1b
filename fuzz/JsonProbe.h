#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "protocol/ToolBox.h"

// The fuzzers' own view of a JSON text, taken with the library directly so
// that it does not share the product's field readers.
namespace tarvendo::fuzz {

// The parsed value; a discarded value when the text is not JSON.
Json parsedOrDiscarded(std::string_view text);
// The member when it is a string.
std::optional<std::string> stringMember(const Json& object, const char* key);
// The member when it is a number with an integral value.
std::optional<double> integralMember(const Json& object, const char* key);

}  // namespace tarvendo::fuzz
