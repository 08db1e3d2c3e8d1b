#include <gtest/gtest.h>

#include "Request.h"
#include "ToolBox.h"

namespace tarvendo {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::optional<Request> decode(std::string_view text) {
    return Request::usingJson(ByteBuffer::fromText(text));
}

Json encodedObject(const Request& request) {
    return Json::parse(request.json()->text());
}

TEST(RequestCodeTest, ConvertsOnlyKnownValues) {
    EXPECT_EQ(requestCodeFrom(0), RequestCode::loginAdmin);
    EXPECT_EQ(requestCodeFrom(8), RequestCode::cardElected);
    EXPECT_FALSE(requestCodeFrom(9).has_value());
    EXPECT_FALSE(requestCodeFrom(-1).has_value());
    EXPECT_EQ(name(RequestCode::playerRemoved), "playerRemoved");
}

TEST(RequestEncodingTest, CodeOnlyHasTheSingleKeyRequest) {
    const Request logout{RequestCode::logout, {}, {}, {}};
    EXPECT_EQ(logout.json()->text(), R"({"request":2})");
}

TEST(RequestEncodingTest, PlayRequestHasExactlyCodeAndToken) {
    const Json object = encodedObject(Request{RequestCode::play, "T1", {}, {}});
    EXPECT_EQ(object, (Json{{"request", 4}, {"token", "T1"}}));
}

TEST(RequestEncodingTest, DataTravelsAsBase64OfItsJsonText) {
    const Request request{RequestCode::initNewDeal, "tok", "q",
                          ByteBuffer::fromText(R"({"title":"Login page"})")};
    const Json object = encodedObject(request);
    EXPECT_EQ(object["data"], "eyJ0aXRsZSI6IkxvZ2luIHBhZ2UifQ==");
    EXPECT_EQ(object["query"], "q");
    EXPECT_EQ(object.size(), 4U);
}

TEST(RequestDecodingTest, RoundTripKeepsEveryField) {
    const Request original{RequestCode::cardElected, "abc", "why",
                           ByteBuffer::fromText(R"({"player_name":"Ann","symbol":"½"})")};
    const std::optional<Request> decoded = Request::usingJson(*original.json());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->request, original.request);
    EXPECT_EQ(decoded->token, original.token);
    EXPECT_EQ(decoded->query, original.query);
    EXPECT_EQ(decoded->data, original.data);
}

TEST(RequestDecodingTest, RequestCodeMustBeAKnownNumber) {
    CaptureStdout();
    for (const char* text : {R"({"request":9})", R"({"request":-1})", R"({"request":"4"})",
                             R"({"request":true})", R"({"request":null})", R"({"request":4.5})",
                             R"({"token":"t"})", R"([{"request":4}])", R"({"request":1e300})"}) {
        EXPECT_FALSE(decode(text).has_value()) << text;
    }
    EXPECT_EQ(GetCapturedStdout(), "") << "these rejections are silent";
    EXPECT_EQ(decode(R"({"request":4.0})")->request, RequestCode::play);
}

TEST(RequestDecodingTest, FieldsOfTheWrongTypeAreIgnored) {
    const std::optional<Request> request = decode(R"({"request":6,"token":7,"query":[],"data":1})");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->request, RequestCode::playerAdded);
    EXPECT_FALSE(request->token.has_value());
    EXPECT_FALSE(request->query.has_value());
    EXPECT_FALSE(request->data.has_value());
}

TEST(RequestDecodingTest, DataThatIsNotBase64OfUtf8IsDropped) {
    EXPECT_FALSE(decode(R"({"request":6,"data":"e3\n0="})")->data.has_value());
    EXPECT_FALSE(decode(R"({"request":6,"data":"/w=="})")->data.has_value());
    EXPECT_EQ(decode(R"({"request":6,"data":"e30="})")->data, ByteBuffer::fromText("{}"));
}

TEST(RequestDecodingTest, UnparsableTextPrintsOneLine) {
    for (const char* text : {"", "{", "\x01\x02"}) {
        CaptureStdout();
        EXPECT_FALSE(decode(text).has_value());
        const std::string output = GetCapturedStdout();
        EXPECT_EQ(output.rfind("init(usingJson:)(41): Serialization error: ", 0), 0U) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
    }
}

TEST(RequestDescriptionTest, ShowsOptionalsTheDiagnosticWay) {
    const Request request{RequestCode::play, "T", {}, ByteBuffer::fromText("{}")};
    EXPECT_EQ(request.description(),
              "(request: play, query: nil, token: Optional(\"T\"))\ndata: Optional(\"{}\")");
}

}  // namespace
}  // namespace tarvendo
