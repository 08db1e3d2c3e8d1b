#include <gtest/gtest.h>

#include "UserInfo.h"

namespace tarvendo {
namespace {

// A pushed data object: every member is a key with its JSON value unchanged,
// strings and booleans also read as themselves, nothing reads as another type.
TEST(UserInfoTest, PushedObjectKeepsEveryMemberAndReadsOnlyItsOwnType) {
    const Json extra{{"nested", Json::array({1, 2})}};
    const UserInfo info = UserInfo::fromJsonObject(Json{
        {"player_name", "Ann"}, {"symbol", "½"}, {"round", 3}, {"open", true}, {"extra", extra}});
    EXPECT_EQ(info.keys(),
              (std::vector<std::string>{"extra", "open", "player_name", "round", "symbol"}));
    EXPECT_EQ(info.get<std::string>("player_name"), "Ann");
    EXPECT_EQ(info.get<std::string>("symbol"), "½");
    EXPECT_EQ(info.get<bool>("open"), true);
    EXPECT_EQ(info.get<Json>("round"), Json(3));
    EXPECT_EQ(info.get<Json>("extra"), extra);
    EXPECT_EQ(info.get<std::string>("round"), std::nullopt);
    EXPECT_EQ(info.get<bool>("player_name"), std::nullopt);
    EXPECT_EQ(info.get<std::string>("title"), std::nullopt);
    EXPECT_EQ(info.get<std::vector<Address>>("extra"), std::nullopt);
}

TEST(UserInfoTest, BuiltValuesReadAsTheirTypeAndOnlyTextAndBooleansAsJson) {
    const std::vector<Address> addresses{{"127.0.0.1", 50000}, {"10.0.0.7", 50001}};
    const UserInfo info = UserInfo()
                              .setText("player_name", "Bob")
                              .setBoolean("is_admin", false)
                              .setAddresses("addresses", addresses);
    EXPECT_EQ(info.get<std::string>("player_name"), "Bob");
    EXPECT_EQ(info.get<bool>("is_admin"), false);
    EXPECT_EQ(info.get<std::vector<Address>>("addresses"), addresses);
    EXPECT_EQ(info.get<Json>("player_name"), Json("Bob"));
    EXPECT_EQ(info.get<Json>("is_admin"), Json(false));
    EXPECT_EQ(info.get<Json>("addresses"), std::nullopt);
    EXPECT_EQ(info.get<std::string>("is_admin"), std::nullopt);
}

}  // namespace
}  // namespace tarvendo
