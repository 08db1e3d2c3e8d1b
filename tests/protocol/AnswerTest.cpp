#include <gtest/gtest.h>

#include "Answer.h"
#include "ToolBox.h"

namespace tarvendo {
namespace {

std::optional<Answer> decode(std::string_view text) {
    return Answer::usingJson(ByteBuffer::fromText(text));
}

TEST(AnswerMessageTest, TextsMatchExactly) {
    EXPECT_EQ(answerMessageFrom("adminAlreadyLoggenIn"), AnswerMessage::adminAlreadyLoggenIn);
    EXPECT_EQ(answerMessageFrom("initNewGame"), AnswerMessage::initNewGame);
    EXPECT_FALSE(answerMessageFrom("ok").has_value());
    EXPECT_FALSE(answerMessageFrom("OK ").has_value());
    EXPECT_EQ(text(AnswerMessage::userNameAlreadyInUse), "userNameAlreadyInUse");
}

TEST(AnswerDecodingTest, MinimalOkAnswer) {
    const std::optional<Answer> answer = decode(R"({"code":0,"message":"OK","token":"abc"})");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->message, AnswerMessage::OK);
    EXPECT_EQ(answer->token, "abc");
    EXPECT_FALSE(answer->info.has_value());
    EXPECT_FALSE(answer->data.has_value());
}

TEST(AnswerDecodingTest, CodeMessageAndTokenAreRequired) {
    testing::internal::CaptureStdout();
    for (const char* text :
         {R"({"code":0,"message":"OK"})", R"({"code":0,"message":"ok","token":""})",
          R"({"code":0,"message":"Fine","token":""})", R"({"code":"0","message":"OK","token":""})",
          R"({"message":"OK","token":""})", R"({"code":0,"message":1,"token":""})",
          R"({"code":0,"message":"OK","token":5})", R"([1])"}) {
        EXPECT_FALSE(decode(text).has_value()) << text;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(AnswerDecodingTest, WrongTypedOptionalsAreIgnored) {
    const std::optional<Answer> answer =
        decode(R"({"code":7,"message":"error","token":"","info":3,"data":"%%"})");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->code, 7);
    EXPECT_FALSE(answer->info.has_value());
    EXPECT_FALSE(answer->data.has_value());
}

TEST(AnswerDecodingTest, UnparsableTextPrintsASerializationLine) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(decode("garbage").has_value());
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Serialization error: ", 0), 0U);
}

TEST(AnswerEncodingTest, ClientServerRefusalHasExactlyThreeKeys) {
    const Answer refusal{-1, AnswerMessage::unknownRequest, "", {}, {}};
    EXPECT_EQ(Json::parse(refusal.json()->text()),
              (Json{{"code", -1}, {"message", "unknownRequest"}, {"token", ""}}));
}

TEST(AnswerEncodingTest, RoundTripKeepsData) {
    const Answer original{0, AnswerMessage::OK, "tok", "Sprint 12",
                          ByteBuffer::fromText(R"(["Ann","Bob"])")};
    const std::optional<Answer> decoded = Answer::usingJson(*original.json());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->info, "Sprint 12");
    EXPECT_EQ(decoded->data, original.data);
    EXPECT_EQ(decoded->code, 0);
}

TEST(AnswerDescriptionTest, ShowsInfoTheDiagnosticWay) {
    EXPECT_EQ((Answer{3, AnswerMessage::invalidData, "t", "why", {}}).description(),
              "(code: 3, token: t, message: invalidData, info: Optional(\"why\")))");
    EXPECT_EQ((Answer{0, AnswerMessage::OK, "", {}, {}}).description(),
              "(code: 0, token: , message: OK, info: nil))");
}

}  // namespace
}  // namespace tarvendo
