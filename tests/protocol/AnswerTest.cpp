#include <gtest/gtest.h>

#include "Answer.h"
#include "ToolBox.h"

namespace tarvendo {
namespace {

std::optional<Answer> decode(std::string_view text) {
    return Answer::usingJson(ByteBuffer::fromText(text));
}

TEST(AnswerTest, DecodesTheRequiredFieldsAndOptionalsOfTheRightType) {
    const std::optional<Answer> minimal = decode(R"({"code":0,"message":"OK","token":"abc"})");
    ASSERT_TRUE(minimal.has_value());
    EXPECT_EQ(minimal->message, AnswerMessage::OK);
    EXPECT_EQ(minimal->token, "abc");
    EXPECT_FALSE(minimal->info || minimal->data);

    const std::optional<Answer> wrongTyped =
        decode(R"({"code":7,"message":"error","token":"","info":3,"data":"%%"})");
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
        EXPECT_FALSE(decode(text).has_value()) << text;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(AnswerTest, UnparsableTextPrintsASerializationLine) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(decode("garbage").has_value());
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
