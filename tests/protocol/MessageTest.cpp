#include <gtest/gtest.h>

#include "protocol/Answer.h"
#include "protocol/Request.h"
#include "protocol/ToolBox.h"

namespace tarvendo {
namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

std::optional<Json> parse(std::string_view text) {
    return ToolBox::fromJsonObject(ByteBuffer::fromText(text));
}

TEST(ToolBoxTest, WritesCompactUtf8TextAndRefusesInvalidUtf8WithOneLine) {
    CaptureStdout();
    EXPECT_FALSE(ToolBox::toJsonObject(std::nullopt).has_value());
    EXPECT_FALSE(ToolBox::fromJsonObject(std::nullopt).has_value());
    EXPECT_EQ(GetCapturedStdout(), "") << "absent in, absent out, silently";
    EXPECT_EQ(ToolBox::toJsonObject(Json{{"a", 1}, {"name", "Éva ∞"}})->text(),
              R"({"a":1,"name":"Éva ∞"})");
    CaptureStdout();
    EXPECT_FALSE(ToolBox::toJsonObject(Json{{"bad", std::string("\xC3\x28")}}).has_value());
    EXPECT_EQ(GetCapturedStdout().rfind("Serialization error: ", 0), 0U);
}

TEST(ToolBoxTest, ReadsOnlyAnObjectOrArrayAndPrintsOneLinePerFailure) {
    for (const char* text : {"", "{", "not json", "{\"a\":1}garbage", "5", "\"text\"", "null"}) {
        CaptureStdout();
        EXPECT_FALSE(parse(text).has_value()) << text;
        const std::string output = GetCapturedStdout();
        EXPECT_EQ(output.rfind("Serialization error: ", 0), 0U) << text;
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << text;
    }
    const std::optional<Json> array = parse(R"([{"k":"v"}])");
    ASSERT_TRUE(array && array->is_array());
    EXPECT_EQ(*array, Json::array({Json{{"k", "v"}}}));
}

std::optional<Request> decodeRequest(std::string_view text) {
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
        decodeRequest(R"({"request":6,"token":7,"query":[],"data":1})");
    ASSERT_TRUE(wrongTyped.has_value());
    EXPECT_EQ(wrongTyped->request, RequestCode::playerAdded);
    EXPECT_FALSE(wrongTyped->token || wrongTyped->query || wrongTyped->data);
}

TEST(RequestTest, DataThatIsNotBase64OfUtf8IsDropped) {
    EXPECT_FALSE(decodeRequest(R"({"request":6,"data":"e3\n0="})")->data.has_value());
    EXPECT_FALSE(decodeRequest(R"({"request":6,"data":"/w=="})")->data.has_value());
    EXPECT_EQ(decodeRequest(R"({"request":6,"data":"e30="})")->data, ByteBuffer::fromText("{}"));
}

TEST(RequestTest, RequestCodeMustBeAKnownNumber) {
    CaptureStdout();
    for (const char* text : {R"({"request":9})", R"({"request":-1})", R"({"request":"4"})",
                             R"({"request":true})", R"({"request":null})", R"({"request":4.5})",
                             R"({"token":"t"})", R"([{"request":4}])", R"({"request":1e300})"}) {
        EXPECT_FALSE(decodeRequest(text).has_value()) << text;
    }
    EXPECT_EQ(GetCapturedStdout(), "") << "these rejections are silent";
    EXPECT_EQ(decodeRequest(R"({"request":0})")->request, RequestCode::loginAdmin);
    EXPECT_EQ(decodeRequest(R"({"request":4.0})")->request, RequestCode::play);
    EXPECT_EQ(decodeRequest(R"({"request":8})")->request, RequestCode::cardElected);
}

TEST(RequestTest, UnparsableTextPrintsOneLine) {
    for (const char* text : {"", "{", "\x01\x02"}) {
        CaptureStdout();
        EXPECT_FALSE(decodeRequest(text).has_value());
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

std::optional<Answer> decodeAnswer(std::string_view text) {
    return Answer::usingJson(ByteBuffer::fromText(text));
}

TEST(AnswerTest, DecodesTheRequiredFieldsAndOptionalsOfTheRightType) {
    const std::optional<Answer> minimal =
        decodeAnswer(R"({"code":0,"message":"OK","token":"abc"})");
    ASSERT_TRUE(minimal.has_value());
    EXPECT_EQ(minimal->message, AnswerMessage::OK);
    EXPECT_EQ(minimal->token, "abc");
    EXPECT_FALSE(minimal->info || minimal->data);

    const std::optional<Answer> wrongTyped =
        decodeAnswer(R"({"code":7,"message":"error","token":"","info":3,"data":"%%"})");
    ASSERT_TRUE(wrongTyped.has_value());
    EXPECT_EQ(wrongTyped->code, 7);
    EXPECT_FALSE(wrongTyped->info || wrongTyped->data) << "ignored, not fatal";

    const Answer original{0, AnswerMessage::OK, "tok", "Sprint 12",
                          ByteBuffer::fromText(R"(["Ann","Bob"])")};
    const std::optional<Answer> decoded = Answer::usingJson(*original.json());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->info, "Sprint 12");
    EXPECT_EQ(decoded->data, original.data);
}

TEST(AnswerTest, MissingOrWrongRequiredFieldIsNoAnswerSilently) {
    testing::internal::CaptureStdout();
    for (const char* text :
         {R"({"code":0,"message":"OK"})", R"({"code":0,"message":"ok","token":""})",
          R"({"code":0,"message":"Fine","token":""})", R"({"code":"0","message":"OK","token":""})",
          R"({"message":"OK","token":""})", R"({"code":0,"message":1,"token":""})",
          R"({"code":0,"message":"OK","token":5})", R"([1])"}) {
        EXPECT_FALSE(decodeAnswer(text).has_value()) << text;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(AnswerTest, UnparsableTextPrintsASerializationLine) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(decodeAnswer("garbage").has_value());
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Serialization error: ", 0), 0U);
}

TEST(AnswerTest, MessageTextsAndDescriptionAreExact) {
    EXPECT_EQ(answerMessageFrom("adminAlreadyLoggenIn"), AnswerMessage::adminAlreadyLoggenIn);
    EXPECT_EQ(text(AnswerMessage::userNameAlreadyInUse), "userNameAlreadyInUse");
    EXPECT_FALSE(answerMessageFrom("OK ").has_value());
    EXPECT_EQ((Answer{3, AnswerMessage::invalidData, "t", "why", {}}).description(),
              "(code: 3, token: t, message: invalidData, info: Optional(\"why\")))");
    EXPECT_EQ((Answer{0, AnswerMessage::OK, "", {}, {}}).description(),
              "(code: 0, token: , message: OK, info: nil))");
}

}  // namespace
}  // namespace tarvendo
