#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "EventRecorder.h"
#include "session/PlayerStore.h"
#include "session/Shared.h"

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

TEST_F(PlayerStoreTest, KeepsASymbolPerNameAndANewDealResetsThemAll) {
    store.initNewDeal();
    EXPECT_TRUE(store.allKeys().empty());
    store.add("Ann", "5");
    store.add("Bob", "?");
    store.remove("Carl");
    EXPECT_EQ(store.value("Carl"), "") << "unknown";
    EXPECT_EQ(store.value("ann"), "") << "names are case-sensitive";
    EXPECT_EQ(store.value("Ann"), "5");
    store.initNewDeal();
    EXPECT_EQ(sortedKeys(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(store.value("Ann"), "#");
    EXPECT_EQ(store.value("Bob"), "#");
}

// Only the admin's store posts, and only when a choice leaves nobody waiting:
// not on a removal, a newcomer or a new deal.
TEST_F(PlayerStoreTest, AdminStorePostsEachTimeAChoiceLeavesNobodyWaiting) {
    for (const bool admin : {true, false}) {
        SCOPED_TRACE(admin ? "admin" : "player");
        Shared::setAdmin(admin);
        PlayerStore players;
        const std::size_t before = readyPosts();
        const std::size_t ready = admin ? 1 : 0;
        players.add("A", "#");
        players.add("B", "#");
        players.add("A", "5");
        players.remove("B");
        EXPECT_EQ(readyPosts() - before, 0u);
        players.add("B", "8");
        EXPECT_EQ(readyPosts() - before, ready);
        players.add("A", "3");
        EXPECT_EQ(readyPosts() - before, 2 * ready);
        players.add("C", "#");
        players.initNewDeal();
        EXPECT_EQ(readyPosts() - before, 2 * ready);
    }
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

class SharedTest : public ::testing::Test {
protected:
    void SetUp() override { Shared::reset(); }
    void TearDown() override { Shared::reset(); }
};

// Connection threads read while the main thread writes; every read must see
// one of the values written whole.
TEST_F(SharedTest, ReadersOnOtherThreadsSeeOnlyWholeValues) {
    const std::string longToken(200, 'x');
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done.load()) {
            const std::optional<std::string> token = Shared::token();
            const std::optional<std::string> game = Shared::gameName();
            torn += token && *token != longToken && *token != "short" ? 1 : 0;
            torn += game && *game != "Game" ? 1 : 0;
            Shared::isAdmin();
        }
    });
    for (int i = 0; i < 5000; ++i) {
        Shared::setToken(i % 2 == 0 ? longToken : std::string("short"));
        Shared::setGameName("Game");
        Shared::setAdmin(i % 2 == 0);
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace tarvendo
