#pragma once

#include <ostream>

#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "transport/Address.h"
#include "transport/ByteBuffer.h"

// How the test frameworks print our types in a failure.
namespace tarvendo {

void PrintTo(const ByteBuffer& bytes, std::ostream* out);
void PrintTo(const Address& address, std::ostream* out);
void PrintTo(RequestCode code, std::ostream* out);
void PrintTo(AnswerMessage message, std::ostream* out);
void PrintTo(const Request& request, std::ostream* out);
void PrintTo(const Answer& answer, std::ostream* out);

}  // namespace tarvendo
