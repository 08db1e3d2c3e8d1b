#include <gtest/gtest.h>

#include "ClientTestSupport.h"
#include "client/table/Desktop.h"
#include "session/Shared.h"

namespace tarvendo::client {
namespace {

using test::countPixels;
using test::postFromConnectionThread;
using Names = std::vector<std::string>;

UserInfo player(const std::string& name) {
    return UserInfo().setText("player_name", name);
}

UserInfo election(const std::string& name, const std::string& symbol) {
    return player(name).setText("symbol", symbol);
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        Shared::reset();
        desktop_.resize(800, 600);
    }
    void TearDown() override { Shared::reset(); }

    void join(const Names& names) {
        for (const std::string& name : names) {
            postFromConnectionThread(Event::playerDidAdd, player(name));
        }
    }
    Names seatedNames() {
        Names names;
        for (const Desktop::Seat& seat : desktop_.seats()) {
            names.push_back(seat.playerName);
        }
        return names;
    }
    // The symbol and status of the card shown for the player.
    std::pair<QString, CardStatus> shownCard(const std::string& name) {
        for (const Desktop::Seat& seat : desktop_.seats()) {
            if (seat.playerName == name) {
                return {seat.card.symbol(), seat.card.status()};
            }
        }
        ADD_FAILURE() << name << " has no seat";
        return {};
    }

    Desktop desktop_;
};

const std::pair<QString, CardStatus> kChoosing{"#", CardStatus::unknown};
const std::pair<QString, CardStatus> kChosen{"#", CardStatus::known};

TEST_F(DesktopTest, NamesSortByTheirUtf8BytesWithCapitalsFirst) {
    EXPECT_TRUE(desktop_.seats().empty());
    join({"bob", "Alice", "Carol"});
    EXPECT_EQ(seatedNames(), (Names{"Alice", "Carol", "bob"}));
    EXPECT_EQ(desktop_.seats()[2].cell, QRectF(200, 0, 100, 200));
    join({"Émile", "Ärger", "zed"});
    EXPECT_EQ(seatedNames(), (Names{"Alice", "Carol", "bob", "zed", "Ärger", "Émile"}));
}

// Three rows of eight, in reading order; more players add rows of eight.
TEST_F(DesktopTest, SeatsFillTheGridAndMorePlayersAddRows) {
    const auto seatPlayers = [this](int from, int to) {
        for (int i = from; i < to; ++i) {
            join({"P" + std::to_string(i)});  // the same width: they sort by number
        }
        return desktop_.seats();
    };
    std::vector<Desktop::Seat> seats = seatPlayers(100, 124);
    ASSERT_EQ(seats.size(), 24U);
    EXPECT_EQ(seats[7].cell, QRectF(700, 0, 100, 200));
    EXPECT_EQ(seats[8].cell, QRectF(0, 200, 100, 200));
    EXPECT_EQ(seats[23].cell, QRectF(700, 400, 100, 200));
    seats = seatPlayers(124, 130);
    ASSERT_EQ(seats.size(), 30U);
    EXPECT_EQ(seats[0].cell, QRectF(0, 0, 100, 150));
    EXPECT_EQ(seats[29].cell, QRectF(500, 450, 100, 150));
    EXPECT_TRUE(desktop_.crissCross(0, 8).empty());
    EXPECT_TRUE(desktop_.crissCross(3, -1).empty());
}

TEST_F(DesktopTest, ADealRunsFromRedThroughBlackToOpen) {
    join({"Alice", "bob"});
    EXPECT_EQ(shownCard("Alice"), kChoosing);
    postFromConnectionThread(Event::cardElected, election("bob", "8"));
    EXPECT_EQ(shownCard("bob"), kChosen);
    EXPECT_EQ(shownCard("Alice"), kChoosing);

    postFromConnectionThread(Event::openCards);
    EXPECT_EQ(shownCard("bob"), std::make_pair(QString("8"), CardStatus::none));
    EXPECT_EQ(shownCard("Alice"), kChoosing);
    postFromConnectionThread(Event::cardElected, election("Alice", "13"));
    EXPECT_EQ(shownCard("Alice").first, "13") << "shown at once once open";

    postFromConnectionThread(Event::initNewDeal, UserInfo().setText("title", "Next"));
    EXPECT_FALSE(desktop_.isOpened());
    EXPECT_EQ(seatedNames(), (Names{"Alice", "bob"}));
    EXPECT_EQ(shownCard("bob"), kChoosing);
    postFromConnectionThread(Event::openCards);
    postFromConnectionThread(Event::play);
    EXPECT_FALSE(desktop_.isOpened()) << "play closes the cards";
}

TEST_F(DesktopTest, PlayersComeAndGoAndEventsWithoutTheirTextKeysChangeNothing) {
    join({"Alice", "bob"});
    postFromConnectionThread(Event::playerDidRemove, player("bob"));
    postFromConnectionThread(Event::cardElected, election("Dora", "3"));
    EXPECT_EQ(seatedNames(), (Names{"Alice", "Dora"}));
    EXPECT_EQ(shownCard("Dora"), kChosen);
    postFromConnectionThread(Event::playerDidAdd);
    postFromConnectionThread(Event::playerDidAdd, UserInfo().setBoolean("player_name", true));
    postFromConnectionThread(Event::playerDidRemove, UserInfo().setJson("player_name", 5));
    postFromConnectionThread(Event::cardElected, player("Alice"));
    postFromConnectionThread(Event::cardElected, UserInfo().setText("symbol", "5"));
    EXPECT_EQ(seatedNames(), (Names{"Alice", "Dora"}));
    EXPECT_EQ(shownCard("Alice"), kChoosing);
}

TEST_F(DesktopTest, PictureShowsNamesAndCardsInTheirColours) {
    const auto drawn = [this] {
        test::runQueuedTasks();
        return desktop_.grab().toImage();
    };
    const auto cardArea = [](int column) {
        return QRect(column * 100 + 10, 60, 80, 120);
    };
    QImage image = drawn();
    EXPECT_EQ(countPixels(image, image.rect(), test::isBlack), 0) << "only the background";

    join({"Alice", "bob"});
    image = drawn();
    EXPECT_GT(countPixels(image, QRect(0, 0, 100, 24), test::isBlack), 10) << "Alice's name";
    EXPECT_GT(countPixels(image, cardArea(1), test::isRed), 50);

    postFromConnectionThread(Event::cardElected, election("bob", "8"));
    image = drawn();
    EXPECT_EQ(countPixels(image, cardArea(1), test::isRed), 0);
    EXPECT_GT(countPixels(image, cardArea(1), test::isBlack), 50);
    EXPECT_GT(countPixels(image, cardArea(0), test::isRed), 50) << "Alice is still on #";
}

}  // namespace
}  // namespace tarvendo::client
