#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/Request.h"
#include "protocol/ToolBox.h"

// Small readers for the text and bodies that arrive in requests.
namespace tarvendo::server {

// Without white space and line breaks at either end.
std::string trimmed(std::string_view text);
// Characters, not bytes, of UTF-8 text.
std::size_t characterCount(std::string_view utf8);
// The request's body when it is a JSON object.
std::optional<Json> bodyObject(const Request& request);
// A text member, trimmed; absent when missing, not text, or blank.
std::optional<std::string> filledText(const Json& object, const char* key);

}  // namespace tarvendo::server
