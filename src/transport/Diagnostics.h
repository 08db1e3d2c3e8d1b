#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvendo {

// Writes one diagnostic line to standard output and flushes it at once, so a
// pipe or log file shows it immediately. Safe from any thread. Whatever it
// quotes of a peer's input goes through quotedPeerText first.
void printLine(std::string_view line);

// How much of a peer's input a diagnostic or log line may quote.
inline constexpr std::size_t kQuotedCharacters = 200;

// A peer's text as a diagnostic quotes it: at most kQuotedCharacters
// characters (then "…"), with control characters and bytes that are not
// UTF-8 escaped as \xNN, so the line stays one short line. Between quotes,
// quotes and backslashes are escaped too.
std::string quotedPeerText(std::string_view text, bool betweenQuotes = false);

}  // namespace tarvendo
