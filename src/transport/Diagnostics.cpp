#include "transport/Diagnostics.h"

#include <cstdio>
#include <mutex>

namespace tarvendo {

namespace {

// The length of the well-formed UTF-8 sequence at the start; 0 if it is not one.
std::size_t sequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80U   ? 1
                               : lead < 0xC2U ? 0
                               : lead < 0xE0U ? 2
                               : lead < 0xF0U ? 3
                               : lead < 0xF5U ? 4
                                              : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0U) != 0x80U) {
            return 0;
        }
    }
    return length;
}

// C0 and C1 controls and DEL, the last as the two bytes C2 80...C2 9F.
bool isControl(std::string_view sequence) {
    const auto first = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1) {
        return first < 0x20U || first == 0x7FU;
    }
    return sequence.size() == 2 && first == 0xC2U &&
           static_cast<unsigned char>(sequence[1]) < 0xA0U;
}

void appendEscapedBytes(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
        out += code;
    }
}

// Appends one character, escaped as needed; how many bytes it took.
std::size_t appendQuoted(std::string& out, std::string_view text, bool escapeQuotes) {
    const std::size_t length = sequenceLength(text);
    if (length == 0) {
        appendEscapedBytes(out, text.substr(0, 1));
        return 1;
    }
    const std::string_view sequence = text.substr(0, length);
    if (isControl(sequence)) {
        appendEscapedBytes(out, sequence);
    } else {
        if (escapeQuotes && (sequence == "\"" || sequence == "\\")) {
            out.push_back('\\');
        }
        out += sequence;
    }
    return length;
}

}  // namespace

void printLine(std::string_view line) {
    static std::mutex outputMutex;
    std::string text(line);
    text.push_back('\n');
    const std::lock_guard lock(outputMutex);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string quotedPeerText(std::string_view text, bool betweenQuotes) {
    std::string out;
    std::size_t characters = 0;
    while (!text.empty()) {
        if (characters++ == kQuotedCharacters) {
            return out + "…";
        }
        text.remove_prefix(appendQuoted(out, text, betweenQuotes));
    }
    return out;
}

}  // namespace tarvendo
