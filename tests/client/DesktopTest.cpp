#include <gtest/gtest.h>

#include <QTest>

#include "ClientTestSupport.h"
#include "Desktop.h"
#include "Shared.h"

namespace tarvendo::client {
namespace {

using test::countPixels;
using test::postFromConnectionThread;

UserInfo player(const std::string& name) {
    return UserInfo().setText("player_name", name);
}

UserInfo election(const std::string& name, const std::string& symbol) {
    return UserInfo().setText("player_name", name).setText("symbol", symbol);
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        Shared::reset();
        desktop_.resize(800, 600);
    }
    void TearDown() override { Shared::reset(); }

    void join(std::initializer_list<std::string> names) {
        for (const std::string& name : names) {
            postFromConnectionThread(Event::playerDidAdd, player(name));
        }
    }
    // Players P100, P101 and so on.
    std::vector<Desktop::Seat> seatNumberedPlayers(int count) {
        for (int i = 0; i < count; ++i) {
            join({"P" + std::to_string(100 + i)});
        }
        return desktop_.seats();
    }
    std::vector<std::string> seatedNames() {
        std::vector<std::string> names;
        for (const Desktop::Seat& seat : desktop_.seats()) {
            names.push_back(seat.playerName);
        }
        return names;
    }
    Desktop::Seat seatOf(const std::string& name) {
        for (Desktop::Seat& seat : desktop_.seats()) {
            if (seat.playerName == name) {
                return seat;
            }
        }
        ADD_FAILURE() << name << " has no seat";
        return {name, {}, Card(QString())};
    }
    static void expectFaceDown(const Desktop::Seat& seat, CardStatus status) {
        EXPECT_EQ(seat.card.symbol(), "#") << seat.playerName;
        EXPECT_EQ(seat.card.status(), status) << seat.playerName;
    }

    Desktop desktop_;
};

TEST_F(DesktopTest, CrissCrossCutsTheViewIntoCellsInReadingOrder) {
    const std::vector<QRectF> cells = desktop_.crissCross(3, 8);
    ASSERT_EQ(cells.size(), 24U);
    EXPECT_EQ(cells[0], QRectF(0, 0, 100, 200));
    EXPECT_EQ(cells[7], QRectF(700, 0, 100, 200));
    EXPECT_EQ(cells[8], QRectF(0, 200, 100, 200));
    EXPECT_EQ(cells[23], QRectF(700, 400, 100, 200));
}

TEST_F(DesktopTest, CrissCrossWithoutRowsOrColumnsIsEmpty) {
    EXPECT_TRUE(desktop_.crissCross(0, 8).empty());
    EXPECT_TRUE(desktop_.crissCross(3, 0).empty());
    EXPECT_TRUE(desktop_.crissCross(-1, 8).empty());
}

TEST_F(DesktopTest, NoPlayersNoSeats) {
    EXPECT_TRUE(desktop_.seats().empty());
}

TEST_F(DesktopTest, NamesAreSortedWithCapitalsFirst) {
    join({"bob", "Alice", "Carol"});
    EXPECT_EQ(seatedNames(), (std::vector<std::string>{"Alice", "Carol", "bob"}));
    const std::vector<Desktop::Seat> seats = desktop_.seats();
    EXPECT_EQ(seats[0].cell, QRectF(0, 0, 100, 200));
    EXPECT_EQ(seats[2].cell, QRectF(200, 0, 100, 200));
}

TEST_F(DesktopTest, NamesOutsideAsciiSortByTheirUtf8Bytes) {
    join({"Émile", "Zoë", "Ärger", "zed"});
    EXPECT_EQ(seatedNames(), (std::vector<std::string>{"Zoë", "zed", "Ärger", "Émile"}));
}

TEST_F(DesktopTest, TwentyFourPlayersFillTheGrid) {
    const std::vector<Desktop::Seat> seats = seatNumberedPlayers(24);
    ASSERT_EQ(seats.size(), 24U);
    EXPECT_EQ(seats[8].cell, QRectF(0, 200, 100, 200));
    EXPECT_EQ(seats[23].cell, QRectF(700, 400, 100, 200));
}

TEST_F(DesktopTest, MorePlayersThanPlacesAddRowsOfEight) {
    const std::vector<Desktop::Seat> seats = seatNumberedPlayers(30);
    ASSERT_EQ(seats.size(), 30U);
    EXPECT_EQ(seats[0].cell, QRectF(0, 0, 100, 150));
    EXPECT_EQ(seats[24].cell, QRectF(0, 450, 100, 150));
    EXPECT_EQ(seats[29].cell, QRectF(500, 450, 100, 150));
}

TEST_F(DesktopTest, ADealRunsFromRedThroughBlackToOpen) {
    join({"Alice", "bob"});
    expectFaceDown(seatOf("Alice"), CardStatus::unknown);

    postFromConnectionThread(Event::cardElected, election("bob", "8"));
    expectFaceDown(seatOf("bob"), CardStatus::known);
    expectFaceDown(seatOf("Alice"), CardStatus::unknown);

    postFromConnectionThread(Event::openCards);
    EXPECT_TRUE(desktop_.isOpened());
    EXPECT_EQ(seatOf("bob").card.symbol(), "8");
    EXPECT_EQ(seatOf("bob").card.status(), CardStatus::none);
    expectFaceDown(seatOf("Alice"), CardStatus::unknown);

    postFromConnectionThread(Event::initNewDeal, UserInfo().setText("title", "Next"));
    EXPECT_FALSE(desktop_.isOpened());
    EXPECT_EQ(seatedNames(), (std::vector<std::string>{"Alice", "bob"}));
    expectFaceDown(seatOf("bob"), CardStatus::unknown);
}

TEST_F(DesktopTest, PlayClosesTheCards) {
    join({"Alice"});
    postFromConnectionThread(Event::openCards);
    postFromConnectionThread(Event::play);
    EXPECT_FALSE(desktop_.isOpened());
}

TEST_F(DesktopTest, ElectionAfterOpeningShowsAtOnce) {
    join({"Alice"});
    postFromConnectionThread(Event::openCards);
    postFromConnectionThread(Event::cardElected, election("Alice", "13"));
    EXPECT_EQ(seatOf("Alice").card.symbol(), "13");
}

TEST_F(DesktopTest, ElectionOfAnUnknownPlayerAddsThePlayer) {
    postFromConnectionThread(Event::cardElected, election("Dora", "3"));
    EXPECT_EQ(seatedNames(), (std::vector<std::string>{"Dora"}));
    expectFaceDown(seatOf("Dora"), CardStatus::known);
}

TEST_F(DesktopTest, RemovedPlayerLeavesTheTable) {
    join({"Alice", "bob"});
    postFromConnectionThread(Event::playerDidRemove, player("Alice"));
    EXPECT_EQ(seatedNames(), (std::vector<std::string>{"bob"}));
}

TEST_F(DesktopTest, EventsWithoutTheirTextKeysChangeNothing) {
    join({"Alice"});
    postFromConnectionThread(Event::playerDidAdd);
    postFromConnectionThread(Event::playerDidAdd, UserInfo().setBoolean("player_name", true));
    postFromConnectionThread(Event::playerDidRemove, UserInfo().setJson("player_name", 5));
    postFromConnectionThread(Event::cardElected, player("Alice"));
    postFromConnectionThread(Event::cardElected, UserInfo().setText("symbol", "5"));
    EXPECT_EQ(seatedNames(), (std::vector<std::string>{"Alice"}));
    expectFaceDown(seatOf("Alice"), CardStatus::unknown);
}

TEST_F(DesktopTest, AdminIsToldOnceEveryPlayerHasElected) {
    Shared::setAdmin(true);
    int ready = 0;
    EventObserver readiness;
    readiness.registerEvent(Event::cardsReadyToOpen, [&ready](const Notification&) { ++ready; });
    join({"Alice", "bob"});
    postFromConnectionThread(Event::cardElected, election("Alice", "5"));
    EXPECT_EQ(ready, 0);
    postFromConnectionThread(Event::cardElected, election("bob", "8"));
    EXPECT_EQ(ready, 1);
}

// The picture: names in black at the top of their cells, red face-down cards
// while players choose, and the open symbols in black.
class DesktopPictureTest : public DesktopTest {
protected:
    QImage drawn() {
        test::runQueuedTasks();
        return desktop_.grab().toImage();
    }
    static QRect nameBand(int column) { return {column * 100, 0, 100, 24}; }
    static QRect cardArea(int column) { return {column * 100 + 10, 60, 80, 120}; }
};

TEST_F(DesktopPictureTest, EmptyTableShowsOnlyTheBackground) {
    const QImage image = drawn();
    EXPECT_EQ(countPixels(image, image.rect(), test::isBlack), 0);
    EXPECT_EQ(countPixels(image, image.rect(), test::isRed), 0);
}

TEST_F(DesktopPictureTest, CardsShowTheirStateInColour) {
    join({"Alice", "bob"});
    QImage image = drawn();
    EXPECT_GT(countPixels(image, nameBand(0), test::isBlack), 10);
    EXPECT_GT(countPixels(image, cardArea(0), test::isRed), 50);
    EXPECT_GT(countPixels(image, cardArea(1), test::isRed), 50);

    postFromConnectionThread(Event::cardElected, election("bob", "8"));
    image = drawn();
    EXPECT_EQ(countPixels(image, cardArea(1), test::isRed), 0);
    EXPECT_GT(countPixels(image, cardArea(1), test::isBlack), 50);

    postFromConnectionThread(Event::openCards);
    image = drawn();
    EXPECT_GT(countPixels(image, cardArea(0), test::isRed), 50) << "Alice is still on #";
    EXPECT_GT(countPixels(image, cardArea(1), test::isBlack), 50);
}

}  // namespace
}  // namespace tarvendo::client
