#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "Shared.h"

namespace tarvendo {
namespace {

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
