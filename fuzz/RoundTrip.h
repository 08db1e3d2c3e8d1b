#pragma once

#include <optional>

#include "fuzz/Invariant.h"
#include "transport/ByteBuffer.h"

namespace tarvendo::fuzz {

// What decodes must encode, decode to the same fields and encode to the
// same bytes again. Message is Request or Answer.
template <class Message>
void requireRoundTrip(const Message& decoded, bool (*sameFields)(const Message&, const Message&)) {
    const std::optional<ByteBuffer> encoded = decoded.json();
    require(encoded.has_value(), "a decoded message must encode");
    const std::optional<Message> again = Message::usingJson(*encoded);
    require(again && sameFields(*again, decoded), "the encoded message decodes to other fields");
    require(again->json() == encoded, "encoding the same fields twice gives other bytes");
}

}  // namespace tarvendo::fuzz
