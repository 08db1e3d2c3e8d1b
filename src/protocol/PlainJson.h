#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "transport/ByteBuffer.h"

// The compact form our own peers write for most messages: members in key
// order, no white space, one-digit numbers and strings that need no
// escaping. An opening carries hundreds of them; writing and reading them
// directly skips building a JSON object for each. Anything else takes the
// general parser and serializer, which give the same result.
namespace tarvendo::plain_json {

// Printable ASCII without a quote or a backslash: JSON carries it as it stands.
bool isPlain(std::string_view text);

// Writes an object member by member; the caller gives the keys in order and
// only plain values.
class Writer {
public:
    explicit Writer(std::size_t capacity) { out_.reserve(capacity); }
    Writer& text(std::string_view key, const std::optional<std::string>& value);
    Writer& number(std::string_view key, std::int32_t value);
    ByteBuffer close();

private:
    void member(std::string_view key);
    std::string out_;
};

// Reads an object member by member; each call is absent as soon as the
// text leaves the compact form.
class Reader {
public:
    explicit Reader(std::string_view text) : rest_(text) {}
    bool take(char c);
    // A plain string, without its quotes.
    std::optional<std::string_view> text();
    // One digit.
    std::optional<int> digit();
    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

}  // namespace tarvendo::plain_json
