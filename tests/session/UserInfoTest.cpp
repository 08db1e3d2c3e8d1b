#include <gtest/gtest.h>

#include "UserInfo.h"

namespace tarvendo {
namespace {

class PushedObjectInfoTest : public ::testing::Test {
protected:
    UserInfo info =
        UserInfo::fromJsonObject(Json{{"player_name", "Ann"},
                                      {"symbol", "½"},
                                      {"round", 3},
                                      {"open", true},
                                      {"extra", Json{{"nested", Json::array({1, 2})}}}});
};

TEST_F(PushedObjectInfoTest, EveryMemberIsAKeyAndItsStringsReadAsText) {
    EXPECT_EQ(info.keys(),
              (std::vector<std::string>{"extra", "open", "player_name", "round", "symbol"}));
    EXPECT_EQ(info.get<std::string>("player_name"), "Ann");
    EXPECT_EQ(info.get<std::string>("symbol"), "½");
}

TEST_F(PushedObjectInfoTest, ValueOfAnotherTypeOrMissingKeyIsAbsent) {
    EXPECT_EQ(info.get<std::string>("round"), std::nullopt);
    EXPECT_EQ(info.get<bool>("player_name"), std::nullopt);
    EXPECT_EQ(info.get<std::string>("title"), std::nullopt);
    EXPECT_EQ(info.get<std::vector<Address>>("extra"), std::nullopt);
}

TEST_F(PushedObjectInfoTest, MembersKeepTheirJsonValueUnchanged) {
    EXPECT_EQ(info.get<bool>("open"), true);
    EXPECT_EQ(info.get<Json>("round"), Json(3));
    EXPECT_EQ(info.get<Json>("extra"), (Json{{"nested", Json::array({1, 2})}}));
}

class BuiltInfoTest : public ::testing::Test {
protected:
    const std::vector<Address> addresses{{"127.0.0.1", 50000}, {"10.0.0.7", 50001}};
    UserInfo info = UserInfo()
                        .setText("player_name", "Bob")
                        .setBoolean("is_admin", false)
                        .setAddresses("addresses", addresses);
};

TEST_F(BuiltInfoTest, EachValueReadsAsTheTypeItWasSetWith) {
    EXPECT_EQ(info.get<std::string>("player_name"), "Bob");
    EXPECT_EQ(info.get<bool>("is_admin"), false);
    EXPECT_EQ(info.get<std::vector<Address>>("addresses"), addresses);
}

TEST_F(BuiltInfoTest, TextAndBooleansAreJsonButAddressListsAreNot) {
    EXPECT_EQ(info.get<Json>("player_name"), Json("Bob"));
    EXPECT_EQ(info.get<Json>("is_admin"), Json(false));
    EXPECT_EQ(info.get<Json>("addresses"), std::nullopt);
    EXPECT_EQ(info.get<std::string>("is_admin"), std::nullopt);
}

}  // namespace
}  // namespace tarvendo
