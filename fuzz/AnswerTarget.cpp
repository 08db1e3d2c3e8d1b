#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"
#include "fuzz/JsonProbe.h"
#include "fuzz/RoundTrip.h"
#include "protocol/Answer.h"

namespace tarvendo::fuzz {

namespace {

bool sameFields(const Answer& a, const Answer& b) {
    return a.code == b.code && a.message == b.message && a.token == b.token && a.info == b.info &&
           a.data == b.data;
}

void requireFieldsOf(const Answer& answer, const Json& object) {
    require(object.is_object(), "an answer decoded from something other than an object");
    const std::optional<double> code = integralMember(object, "code");
    require(code && static_cast<double>(answer.code) == *code, "the code is not the text's");
    require(stringMember(object, "message") == std::string(text(answer.message)),
            "the message is not the text's");
    require(stringMember(object, "token") == answer.token, "the token is not the text's");
    require(stringMember(object, "info") == answer.info, "the info is not the text's");
    require(!answer.data || stringMember(object, "data"), "data without a data string");
}

}  // namespace

void fuzzAnswer(const std::uint8_t* data, std::size_t size) {
    const ByteBuffer buffer(data, size);
    const std::optional<Answer> answer = Answer::usingJson(buffer);
    if (!answer) {
        return;
    }
    requireFieldsOf(*answer, parsedOrDiscarded(buffer.text()));
    requireRoundTrip(*answer, sameFields);
    require(!answer->description().empty(), "an answer describes itself");
}

}  // namespace tarvendo::fuzz
