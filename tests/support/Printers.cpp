#include "support/Printers.h"

namespace tarvendo {

void PrintTo(const ByteBuffer& bytes, std::ostream* out) {
    *out << bytes.size() << " bytes \"" << bytes.text() << '"';
}

void PrintTo(const Address& address, std::ostream* out) {
    *out << address.address << ':' << address.port;
}

void PrintTo(RequestCode code, std::ostream* out) {
    *out << name(code);
}

void PrintTo(AnswerMessage message, std::ostream* out) {
    *out << text(message);
}

void PrintTo(const Request& request, std::ostream* out) {
    *out << request.description();
}

void PrintTo(const Answer& answer, std::ostream* out) {
    *out << answer.description();
}

}  // namespace tarvendo
