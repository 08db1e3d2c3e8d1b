#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"
#include "fuzz/JsonProbe.h"
#include "fuzz/RoundTrip.h"
#include "protocol/Request.h"

namespace tarvendo::fuzz {

namespace {

// A JSON object whose "request" is an integral number from 0 to 8.
bool isRequestObject(const Json& object) {
    if (!object.is_object()) {
        return false;
    }
    const std::optional<double> code = integralMember(object, "request");
    return code && *code >= 0 && *code <= 8;
}

bool sameFields(const Request& a, const Request& b) {
    return a.request == b.request && a.token == b.token && a.query == b.query && a.data == b.data;
}

}  // namespace

void fuzzRequest(const std::uint8_t* data, std::size_t size) {
    const ByteBuffer buffer(data, size);
    const Json object = parsedOrDiscarded(buffer.text());
    const std::optional<Request> request = Request::usingJson(buffer);
    require(request.has_value() == isRequestObject(object),
            "decoded unless the text is an object with a request code from 0 to 8");
    if (!request) {
        return;
    }
    require(request->token == stringMember(object, "token"), "the token is not the text's");
    require(request->query == stringMember(object, "query"), "the query is not the text's");
    require(!request->data || stringMember(object, "data"), "data without a data string");
    requireRoundTrip(*request, sameFields);
    require(!request->description().empty(), "a request describes itself");
}

}  // namespace tarvendo::fuzz
