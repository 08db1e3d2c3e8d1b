#include <gtest/gtest.h>

#include "bot/BotOptions.h"
#include "server/ServerOptions.h"

namespace tarvendo {
namespace {

using server::CommandAction;
using server::parseServerCommand;
using Line = std::vector<std::string>;

TEST(ServerOptionsTest, DefaultsAndEveryOption) {
    const server::ServerOptions defaults = parseServerCommand({}).options;
    EXPECT_EQ(defaults.port, 50000);
    EXPECT_TRUE(defaults.advertise);
    EXPECT_EQ(defaults.maxPlayers, 24U);
    const server::ServerCommand command =
        parseServerCommand({"--port", "0", "--no-advertise", "--max-players", "3"});
    EXPECT_EQ(command.action, CommandAction::run);
    EXPECT_EQ(command.options.port, 0);
    EXPECT_FALSE(command.options.advertise);
    EXPECT_EQ(command.options.maxPlayers, 3U);
    EXPECT_EQ(parseServerCommand({"--version"}).action, CommandAction::showVersion);
    EXPECT_EQ(parseServerCommand({"--help"}).action, CommandAction::showHelp);
}

TEST(BotOptionsTest, ReadsADemoLineAndRandomVoteIsTheDefault) {
    const bot::BotCommand command =
        bot::parseBotCommand({"--server", "127.0.0.1:50000", "--players", "3", "--name-prefix", "P",
                              "--vote", "13", "--think-ms", "0", "--admin", "--deals", "2",
                              "--client-port-base", "0", "--seconds", "9"});
    ASSERT_EQ(command.action, CommandAction::run) << command.error;
    const bot::BotOptions& options = command.options;
    EXPECT_EQ(options.server, (Address{"127.0.0.1", 50000}));
    EXPECT_EQ(options.players, 3);
    EXPECT_EQ(options.namePrefix, "P");
    EXPECT_EQ(options.vote, "13");
    EXPECT_EQ(options.think, std::chrono::milliseconds(0));
    EXPECT_TRUE(options.admin);
    EXPECT_EQ(options.deals, 2);
    EXPECT_EQ(options.clientPortBase, 0);
    EXPECT_EQ(options.duration, std::chrono::seconds(9));
    EXPECT_FALSE(
        bot::parseBotCommand({"--server", "localhost:1", "--players", "1", "--vote", "random"})
            .options.vote);
}

TEST(OptionsTest, BadLinesFailWithAReason) {
    const Line serverLines[] = {{"--port"},
                                {"--port", "65536"},
                                {"--port", "12ab"},
                                {"--max-players", "0"},
                                {"--max-players", "-3"},
                                {"--frobnicate"}};
    for (const Line& line : serverLines) {
        const server::ServerCommand command = parseServerCommand(line);
        EXPECT_EQ(command.action, CommandAction::fail) << line.back();
        EXPECT_FALSE(command.error.empty());
    }
    const Line botLines[] = {
        {"--players", "2"},
        {"--server", "127.0.0.1:50000"},
        {"--server", "127.0.0.1", "--players", "2"},
        {"--server", "127.0.0.1:0", "--players", "2"},
        {"--server", "127.0.0.1:1", "--players", "2", "--vote", "4"},
        {"--server", "127.0.0.1:1", "--players", "2", "--deals", "3"},
        {"--server", "127.0.0.1:1", "--players", "2", "--client-port-base", "65535"},
    };
    for (const Line& line : botLines) {
        const bot::BotCommand command = bot::parseBotCommand(line);
        EXPECT_EQ(command.action, CommandAction::fail) << line.back();
        EXPECT_FALSE(command.error.empty());
    }
}

}  // namespace
}  // namespace tarvendo
