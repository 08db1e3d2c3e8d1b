#include "protocol/PlainJson.h"

#include <algorithm>

namespace tarvendo::plain_json {

namespace {

bool isPlainCharacter(char c) {
    return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
}

}  // namespace

bool isPlain(std::string_view text) {
    return std::ranges::all_of(text, isPlainCharacter);
}

Writer& Writer::text(std::string_view key, const std::optional<std::string>& value) {
    if (value) {
        member(key);
        out_ += '"';
        out_ += *value;
        out_ += '"';
    }
    return *this;
}

Writer& Writer::number(std::string_view key, std::int32_t value) {
    member(key);
    out_ += std::to_string(value);
    return *this;
}

ByteBuffer Writer::close() {
    out_ += '}';
    return ByteBuffer::fromText(out_);
}

void Writer::member(std::string_view key) {
    out_ += out_.empty() ? '{' : ',';
    out_ += '"';
    out_ += key;
    out_ += "\":";
}

bool Reader::take(char c) {
    if (rest_.empty() || rest_.front() != c) {
        return false;
    }
    rest_.remove_prefix(1);
    return true;
}

std::optional<std::string_view> Reader::text() {
    if (!take('"')) {
        return std::nullopt;
    }
    const auto end = std::ranges::find_if_not(rest_, isPlainCharacter);
    if (end == rest_.end() || *end != '"') {
        return std::nullopt;
    }
    const auto length = static_cast<std::size_t>(end - rest_.begin());
    const std::string_view found = rest_.substr(0, length);
    rest_.remove_prefix(length + 1);
    return found;
}

std::optional<int> Reader::digit() {
    if (rest_.empty() || rest_.front() < '0' || rest_.front() > '9') {
        return std::nullopt;
    }
    const int value = rest_.front() - '0';
    rest_.remove_prefix(1);
    return value;
}

}  // namespace tarvendo::plain_json
