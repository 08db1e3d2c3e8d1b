#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "EventRecorder.h"
#include "PlayerStore.h"
#include "Shared.h"

namespace tarvendo {
namespace {

class PlayerStoreTest : public ::testing::Test {
protected:
    void SetUp() override { Shared::reset(); }
    void TearDown() override { Shared::reset(); }

    std::size_t readyPosts() { return ready.events().size(); }
    std::vector<std::string> sortedKeys() {
        std::vector<std::string> keys = store.allKeys();
        std::sort(keys.begin(), keys.end());
        return keys;
    }

    support::EventRecorder ready{Event::cardsReadyToOpen};
    PlayerStore store;
};

TEST_F(PlayerStoreTest, UnknownPlayerHasTheEmptySymbol) {
    store.add("Ann", "5");
    EXPECT_EQ(store.value("Bob"), "");
    EXPECT_EQ(store.value("ann"), "");  // names are case-sensitive
    EXPECT_EQ(store.value("Ann"), "5");
}

TEST_F(PlayerStoreTest, RemovingAnUnknownPlayerChangesNothing) {
    store.add("Ann", "5");
    store.remove("Bob");
    EXPECT_EQ(sortedKeys(), std::vector<std::string>{"Ann"});
    EXPECT_EQ(store.value("Ann"), "5");
}

TEST_F(PlayerStoreTest, NewDealResetsEverySymbolAndKeepsThePlayers) {
    store.initNewDeal();
    EXPECT_TRUE(store.allKeys().empty());
    store.add("Ann", "5");
    store.add("Bob", "?");
    store.initNewDeal();
    EXPECT_EQ(sortedKeys(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(store.value("Ann"), "#");
    EXPECT_EQ(store.value("Bob"), "#");
}

class PlayerStoreAdminTest : public PlayerStoreTest {
protected:
    void SetUp() override {
        PlayerStoreTest::SetUp();
        Shared::setAdmin(true);
        store.add("A", "#");
        store.add("B", "#");
    }
};

TEST_F(PlayerStoreAdminTest, PostsEachTimeNobodyIsLeftWaiting) {
    store.add("A", "5");
    EXPECT_EQ(readyPosts(), 0u);
    store.add("B", "8");
    EXPECT_EQ(readyPosts(), 1u);
    store.add("A", "3");
    EXPECT_EQ(readyPosts(), 2u);
}

TEST_F(PlayerStoreAdminTest, RemovingTheLastWaitingPlayerPostsNothing) {
    store.add("A", "5");
    store.remove("B");
    EXPECT_EQ(readyPosts(), 0u);
}

TEST_F(PlayerStoreAdminTest, JoiningPlayerWhoHasNotChosenPostsNothing) {
    store.add("A", "5");
    store.add("B", "8");
    store.add("C", "#");
    EXPECT_EQ(readyPosts(), 1u);
}

TEST_F(PlayerStoreAdminTest, NewDealPostsNothing) {
    store.add("A", "5");
    store.add("B", "8");
    store.initNewDeal();
    EXPECT_EQ(readyPosts(), 1u);
}

TEST_F(PlayerStoreTest, PlayerClientNeverPosts) {
    store.add("A", "#");
    store.add("A", "5");
    store.add("B", "8");
    store.add("A", "3");
    EXPECT_EQ(readyPosts(), 0u);
}

// Connection threads write while the main thread draws.
TEST_F(PlayerStoreTest, WritersAndReadersOnSeveralThreadsKeepEveryPlayer) {
    constexpr int kPlayersEach = 200;
    const auto addPlayers = [&](const std::string& prefix) {
        for (int i = 0; i < kPlayersEach; ++i) {
            store.add(prefix + std::to_string(i), "#");
            store.add(prefix + std::to_string(i), "8");
        }
    };
    std::thread first(addPlayers, "first-");
    std::thread second(addPlayers, "second-");
    std::size_t unknownSymbols = 0;
    for (int round = 0; round < 50; ++round) {
        for (const std::string& name : store.allKeys()) {
            const std::string symbol = store.value(name);
            unknownSymbols += symbol == "#" || symbol == "8" ? 0 : 1;
        }
    }
    first.join();
    second.join();
    EXPECT_EQ(unknownSymbols, 0u);
    EXPECT_EQ(store.allKeys().size(), 2u * kPlayersEach);
}

}  // namespace
}  // namespace tarvendo
