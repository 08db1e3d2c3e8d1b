#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/AnswerMessage.h"
#include "transport/ByteBuffer.h"

namespace tarvendo {

// The reply to a Request; only message decides the outcome.
struct Answer {
    std::int64_t code = 0;
    AnswerMessage message = AnswerMessage::OK;
    std::string token;
    std::optional<std::string> info;
    std::optional<ByteBuffer> data;

    std::optional<ByteBuffer> json() const;
    // Absent unless "code" (integer), "message" (a known text) and "token"
    // (string) are all there.
    static std::optional<Answer> usingJson(const ByteBuffer& buffer);
    std::string description() const;
};

}  // namespace tarvendo
