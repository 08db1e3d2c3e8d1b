#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvendo {

// One field as RFC 4180 writes it: in quotes, with quotes doubled, when it
// holds a comma, a quote or a line break. A field a spreadsheet would take
// for a formula (it starts with =, +, - or @) gets a leading ' first.
std::string csvField(std::string_view text);
// The fields joined into one record, ended by CRLF.
std::string csvRecord(const std::vector<std::string>& fields);

}  // namespace tarvendo
