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

TEST(RequestTest, EncodesOnlyThePresentFieldsWithDataAsBase64OfItsText) {
    const std::pair<Request, std::string> table[] = {
        {{RequestCode::logout, {}, {}, {}}, R"({"request":2})"},
        {{RequestCode::play, "T1", {}, {}}, R"({"request":4,"token":"T1"})"},
        {{RequestCode::initNewDeal, "tok", "q", ByteBuffer::fromText(R"({"title":"Login page"})")},
         R"({"data":"eyJ0aXRsZSI6IkxvZ2luIHBhZ2UifQ==","query":"q","request":3,"token":"tok"})"},
    };
    for (const auto& [request, text] : table) {
        EXPECT_EQ(request.json()->text(), text);
    }
}

TEST(RequestTest, DecodingKeepsEveryFieldAndIgnoresThoseOfTheWrongType) {
    const Request original{RequestCode::cardElected, "abc", "why",
                           ByteBuffer::fromText(R"({"player_name":"Ann","symbol":"½"})")};
    const std::optional<Request> decoded = Request::usingJson(*original.json());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->request, original.request);
    EXPECT_EQ(decoded->token, original.token);
    EXPECT_EQ(decoded->query, original.query);
    EXPECT_EQ(decoded->data, original.data);

    const std::optional<Request> wrongTyped =
        decode(R"({"request":6,"token":7,"query":[],"data":1})");
    ASSERT_TRUE(wrongTyped.has_value());
    EXPECT_EQ(wrongTyped->request, RequestCode::playerAdded);
    EXPECT_FALSE(wrongTyped->token || wrongTyped->query || wrongTyped->data);
}

TEST(RequestTest, DataThatIsNotBase64OfUtf8IsDropped) {
    EXPECT_FALSE(decode(R"({"request":6,"data":"e3\n0="})")->data.has_value());
    EXPECT_FALSE(decode(R"({"request":6,"data":"/w=="})")->data.has_value());
    EXPECT_EQ(decode(R"({"request":6,"data":"e30="})")->data, ByteBuffer::fromText("{}"));
}

TEST(RequestTest, RequestCodeMustBeAKnownNumber) {
    CaptureStdout();
    for (const char* text : {R"({"request":9})", R"({"request":-1})", R"({"request":"4"})",
                             R"({"request":true})", R"({"request":null})", R"({"request":4.5})",
                             R"({"token":"t"})", R"([{"request":4}])", R"({"request":1e300})"}) {
        EXPECT_FALSE(decode(text).has_value()) << text;
    }
    EXPECT_EQ(GetCapturedStdout(), "") << "these rejections are silent";
    EXPECT_EQ(decode(R"({"request":0})")->request, RequestCode::loginAdmin);
    EXPECT_EQ(decode(R"({"request":4.0})")->request, RequestCode::play);
    EXPECT_EQ(decode(R"({"request":8})")->request, RequestCode::cardElected);
}

TEST(RequestTest, UnparsableTextPrintsOneLine) {
    for (const char* text : {"", "{", "\x01\x02"}) {
        CaptureStdout();
        EXPECT_FALSE(decode(text).has_value());
        const std::string output = GetCapturedStdout();
        EXPECT_EQ(output.rfind("init(usingJson:)(41): Serialization error: ", 0), 0U) << output;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
    }
}

TEST(RequestTest, DescriptionShowsOptionalsTheDiagnosticWay) {
    const Request request{RequestCode::play, "T", {}, ByteBuffer::fromText("{}")};
    EXPECT_EQ(request.description(),
              "(request: play, query: nil, token: Optional(\"T\"))\ndata: Optional(\"{}\")");
}

}  // namespace
}  // namespace tarvendo
