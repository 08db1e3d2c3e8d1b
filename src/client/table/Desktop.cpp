#include "client/table/Desktop.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

#include "client/ClientSession.h"
#include "client/qt/Text.h"
#include "client/table/Texture.h"

namespace tarvendo::client {

namespace {

constexpr double kNameTop = 2;  // from the top of the cell
constexpr double kNameGap = 4;  // between the name's box and the card

int rowsFor(std::size_t playerCount) {
    const int rowsNeeded = int((playerCount + Desktop::kColumns - 1) / Desktop::kColumns);
    return std::max(Desktop::kRows, rowsNeeded);
}

}  // namespace

Desktop::Desktop(ClientSession& session, QWidget* parent)
    : QWidget(parent),
      nameFont_(uiFont(kNamePixelSize)),
      playerStore_(session.center(), session.shared()),
      observers_(session.center()) {
    registerObservers();
}

Desktop::~Desktop() {
    // Before any member goes: a block may be running on a connection thread.
    observers_.removeObservers();
}

void Desktop::observe(Event event, std::function<bool(const UserInfo&)> change) {
    observers_.registerEvent(event, [this, change = std::move(change)](const Notification& posted) {
        if (change(posted.userInfo)) {
            queueRedraw();
        }
    });
}

void Desktop::registerObservers() {
    observe(Event::playerDidAdd, [this](const UserInfo& info) { return addPlayer(info); });
    observe(Event::playerDidRemove, [this](const UserInfo& info) { return removePlayer(info); });
    observe(Event::initNewDeal, [this](const UserInfo&) {
        opened_ = false;
        playerStore_.initNewDeal();
        return true;
    });
    // Closes the cards without a redraw: they are closed already after the
    // new deal that comes before play.
    observe(Event::play, [this](const UserInfo&) {
        opened_ = false;
        return false;
    });
    observe(Event::openCards, [this](const UserInfo&) {
        opened_ = true;
        return true;
    });
    observe(Event::cardElected, [this](const UserInfo& info) { return storeElectedCard(info); });
    // The players come again from the new login's answer.
    observe(Event::loginRenewed, [this](const UserInfo&) {
        opened_ = false;
        playerStore_.clear();
        return true;
    });
}

bool Desktop::addPlayer(const UserInfo& info) {
    const std::optional<std::string> name = info.get<std::string>("player_name");
    if (name) {
        playerStore_.add(*name, PlayerStore::kNotChosen);
    }
    return name.has_value();
}

bool Desktop::removePlayer(const UserInfo& info) {
    const std::optional<std::string> name = info.get<std::string>("player_name");
    if (name) {
        playerStore_.remove(*name);
    }
    return name.has_value();
}

bool Desktop::storeElectedCard(const UserInfo& info) {
    const std::optional<std::string> name = info.get<std::string>("player_name");
    const std::optional<std::string> symbol = info.get<std::string>("symbol");
    if (!name || !symbol) {
        return false;
    }
    playerStore_.add(*name, *symbol);
    return true;
}

void Desktop::queueRedraw() {
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

std::vector<QRectF> Desktop::crissCross(int rows, int columns) const {
    std::vector<QRectF> cells;
    if (rows <= 0 || columns <= 0) {
        return cells;
    }
    const double cellWidth = width() / double(columns);
    const double cellHeight = height() / double(rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            cells.emplace_back(column * cellWidth, row * cellHeight, cellWidth, cellHeight);
        }
    }
    return cells;
}

Card Desktop::shownCard(const std::string& symbol, bool opened) const {
    if (opened) {
        return Card(qText(symbol));
    }
    const bool hasChosen = symbol != PlayerStore::kNotChosen;
    return {QString::fromLatin1(PlayerStore::kNotChosen),
            hasChosen ? CardStatus::known : CardStatus::unknown};
}

std::vector<Desktop::Seat> Desktop::seats() {
    std::vector<std::string> names = playerStore_.allKeys();
    // std::string compares its chars as unsigned: UTF-8 byte order.
    std::sort(names.begin(), names.end());
    const std::vector<QRectF> cells = crissCross(rowsFor(names.size()), kColumns);
    const bool opened = opened_;
    std::vector<Seat> seats;
    for (std::size_t i = 0; i < names.size(); ++i) {
        // A player removed since allKeys() reads as the empty symbol.
        seats.push_back({names[i], cells[i], shownCard(playerStore_.value(names[i]), opened)});
    }
    return seats;
}

void Desktop::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QBrush background = textureBrush();
    painter.fillRect(rect(), background);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainter::CompositionMode cardMode = cardComposition(background);
    for (const Seat& seat : seats()) {
        drawSeat(painter, seat, cardMode);
    }
}

void Desktop::drawSeat(QPainter& painter, const Seat& seat, QPainter::CompositionMode cardMode) {
    const QString name = qText(seat.playerName);
    const QFontMetricsF metrics(nameFont_, this);
    const double nameWidth = metrics.horizontalAdvance(name);
    const QPointF nameTopLeft(seat.cell.x() + (seat.cell.width() - nameWidth) * 0.5,
                              seat.cell.y() + kNameTop);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(nameFont_);
    painter.setPen(Qt::black);
    painter.drawText(nameTopLeft + QPointF(0, metrics.ascent()), name);

    const double cardTop = seat.cell.y() + metrics.height() + kNameGap;
    const QRectF cardBox(seat.cell.x(), cardTop, seat.cell.width(), seat.cell.bottom() - cardTop);
    const CardImageCache::Placed card = cardImages_.fittedInto(seat.card, cardBox);
    painter.setCompositionMode(cardMode);
    painter.drawImage(card.topLeft, card.image);
}

}  // namespace tarvendo::client
