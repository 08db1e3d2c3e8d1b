#include "client/table/Desktop.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "client/ClientSession.h"
#include "client/qt/Text.h"
#include "client/table/Texture.h"
#include "protocol/DeckSymbols.h"

namespace tarvendo::client {

namespace {

constexpr double kNameTop = 2;  // from the top of the cell
constexpr double kNameGap = 4;  // between the name's box and the card

int rowsFor(std::size_t playerCount) {
    const int rowsNeeded = int((playerCount + Desktop::kColumns - 1) / Desktop::kColumns);
    return std::max(Desktop::kRows, rowsNeeded);
}

bool hasChosen(const std::string& symbol) {
    return symbol != PlayerStore::kNotChosen;
}

QString seatName(const TableModel::Snapshot& table, std::size_t index) {
    const auto& [name, symbol] = table.players[index];
    QString state;
    if (!table.opened) {
        state = hasChosen(symbol) ? QStringLiteral("has chosen") : QStringLiteral("choosing");
    } else {
        state = isDeckSymbol(symbol) ? qText(symbol) : QStringLiteral("no card");
    }
    return qText(name) + QStringLiteral(", ") + state;
}

}  // namespace

Desktop::Desktop(ClientSession& session, QWidget* parent)
    : QWidget(parent),
      nameFont_(uiFont(kNamePixelSize)),
      table_(std::make_unique<TableModel>(
          session.center(), session.shared(), [this](TableModel::Snapshot table) {
              QMetaObject::invokeMethod(
                  this, [this, table = std::move(table)] { tableDidChange(table); },
                  Qt::QueuedConnection);
          })) {
    installAccessibleItems();
}

Desktop::~Desktop() {
    // Before any member goes: a block may be running on a connection thread.
    table_.reset();
}

void Desktop::tableDidChange(const TableModel::Snapshot& table) {
    updateChangedSeats(table);
    announceChangedSeats(table);
    emit tableChanged(table);
}

// A vote changes one seat: only its cell is painted again. Anything else
// (a player comes or goes, the cards open) repaints the whole table.
void Desktop::updateChangedSeats(const TableModel::Snapshot& table) {
    const auto sameSeat = [](const auto& one, const auto& other) {
        return one.first == other.first;
    };
    if (table.opened != lastTable_.opened ||
        !std::ranges::equal(table.players, lastTable_.players, sameSeat)) {
        update();
    } else {
        const std::vector<QRectF> cells = crissCross(rowsFor(table.players.size()), kColumns);
        for (std::size_t i = 0; i < table.players.size(); ++i) {
            if (table.players[i].second != lastTable_.players[i].second) {
                update(cells[i].toAlignedRect());
            }
        }
    }
    lastTable_ = table;
}

void Desktop::setScale(double scale) {
    scale_ = scale;
    nameFont_ = uiFont(int(std::lround(kNamePixelSize * scale)));
    nameTexts_.clear();
    update();
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
    return {QString::fromLatin1(PlayerStore::kNotChosen),
            hasChosen(symbol) ? CardStatus::known : CardStatus::unknown};
}

std::vector<Desktop::Seat> Desktop::seats() const {
    const TableModel::Snapshot table = this->table();
    const std::vector<QRectF> cells = crissCross(rowsFor(table.players.size()), kColumns);
    std::vector<Seat> seats;
    for (std::size_t i = 0; i < table.players.size(); ++i) {
        const auto& [name, symbol] = table.players[i];
        seats.push_back({name, cells[i], shownCard(symbol, table.opened)});
    }
    return seats;
}

void Desktop::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QBrush background = textureBrush();
    painter.fillRect(event->rect(), background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(nameFont_);
    const QPainter::CompositionMode cardMode = cardComposition(background);
    const QFontMetricsF metrics(nameFont_, this);
    NameTexts shownNames;
    for (const Seat& seat : seats()) {
        QStaticText& name = nameText(seat.playerName, shownNames);
        // A long name reaches into the next cells, whose repaint covers it.
        if (seat.cell.united(nameBox(seat, name)).intersects(event->rect())) {
            drawSeat(painter, seat, name, metrics, cardMode);
        }
    }
    nameTexts_ = std::move(shownNames);  // the names of players gone go with them
}

// Shaping a name costs more than drawing it: each is laid out once per font.
QStaticText& Desktop::nameText(const std::string& playerName, NameTexts& shownNames) {
    const QString name = qText(playerName);
    const auto known = nameTexts_.find(name);
    QStaticText text = known != nameTexts_.end() ? known->second : QStaticText(name);
    if (known == nameTexts_.end()) {
        text.setTextFormat(Qt::PlainText);
        text.setPerformanceHint(QStaticText::AggressiveCaching);
        text.prepare(QTransform(), nameFont_);
    }
    return shownNames.insert_or_assign(name, std::move(text)).first->second;
}

// Centred at the top of the seat's cell.
QRectF Desktop::nameBox(const Seat& seat, const QStaticText& name) const {
    return {QPointF(seat.cell.x() + (seat.cell.width() - name.size().width()) * 0.5,
                    seat.cell.y() + kNameTop * scale_),
            name.size()};
}

void Desktop::drawSeat(QPainter& painter, const Seat& seat, const QStaticText& name,
                       const QFontMetricsF& metrics, QPainter::CompositionMode cardMode) {
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(Qt::black);
    painter.drawStaticText(nameBox(seat, name).topLeft(), name);

    const double cardTop = seat.cell.y() + metrics.height() + kNameGap * scale_;
    const QRectF cardBox(seat.cell.x(), cardTop, seat.cell.width(), seat.cell.bottom() - cardTop);
    const CardImageCache::Placed card =
        cardImages_.fittedInto(seat.card, cardBox, devicePixelRatioF());
    painter.setCompositionMode(cardMode);
    painter.drawImage(card.topLeft, card.image);
}

int Desktop::accessibleItemCount() const {
    return int(table().players.size());
}

QString Desktop::accessibleItemName(int index) const {
    const TableModel::Snapshot table = this->table();
    const bool seated = index >= 0 && std::size_t(index) < table.players.size();
    return seated ? seatName(table, std::size_t(index)) : QString();
}

QRect Desktop::accessibleItemRect(int index) const {
    const std::vector<Seat> seats = this->seats();
    return index >= 0 && std::size_t(index) < seats.size()
               ? seats[std::size_t(index)].cell.toAlignedRect()
               : QRect();
}

QAccessible::State Desktop::accessibleItemState(int) const {
    QAccessible::State state;
    state.readOnly = true;
    return state;
}

void Desktop::announceChangedSeats(const TableModel::Snapshot& table) {
    if (!isAnnouncing()) {
        return;
    }
    announcedSeats_.resize(table.players.size());
    for (std::size_t index = 0; index < table.players.size(); ++index) {
        QString name = seatName(table, index);
        if (name != announcedSeats_[index]) {
            announcedSeats_[index] = std::move(name);
            announceItem(this, int(index), QAccessible::NameChanged);
        }
    }
}

}  // namespace tarvendo::client
