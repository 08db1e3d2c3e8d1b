#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStaticText>
#include <QWidget>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "client/table/AccessibleItems.h"
#include "client/table/Card.h"
#include "client/table/CardImageCache.h"
#include "client/table/TableModel.h"

namespace tarvendo::client {

class ClientSession;

// The table: every player's name with the card the player holds in the current
// deal, face down until the cards are opened. Keeps its own record of the
// players from the pushed events.
class Desktop : public QWidget, public AccessibleItems {
    Q_OBJECT

public:
    static constexpr int kRows = 3;
    static constexpr int kColumns = 8;
    static constexpr int kNamePixelSize = 16;

    // A player's place at the table and the card shown there.
    struct Seat {
        std::string playerName;
        QRectF cell;
        Card card;
    };

    explicit Desktop(ClientSession& session, QWidget* parent = nullptr);
    ~Desktop() override;

    // The cells of a grid over the whole view, in reading order; empty unless
    // both counts are positive.
    std::vector<QRectF> crissCross(int rows, int columns) const;
    // Every player in ascending order of the name's UTF-8 bytes, so capitals
    // come first. Three rows of eight; more players add rows of eight.
    std::vector<Seat> seats() const;
    bool isOpened() const { return table().opened; }
    TableModel::Snapshot table() const { return table_->snapshot(); }
    // Names grow with the window, from 1 at its default size up to 2.
    void setScale(double scale);
    QFont nameFont() const { return nameFont_; }

    QAccessible::Role accessibleItemRole() const override { return QAccessible::StaticText; }
    int accessibleItemCount() const override;
    // "Anna, choosing", "Anna, has chosen"; once open "Anna, 5" or "Anna, no card".
    QString accessibleItemName(int index) const override;
    QRect accessibleItemRect(int index) const override;
    QAccessible::State accessibleItemState(int index) const override;

signals:
    // On the main thread, once for each change of the table, in order, with
    // the table as that change left it.
    void tableChanged(const TableModel::Snapshot& table);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    using NameTexts = std::unordered_map<QString, QStaticText>;

    void tableDidChange(const TableModel::Snapshot& table);
    void updateChangedSeats(const TableModel::Snapshot& table);
    QStaticText& nameText(const std::string& playerName, NameTexts& shownNames);
    QRectF nameBox(const Seat& seat, const QStaticText& name) const;
    void announceChangedSeats(const TableModel::Snapshot& table);
    Card shownCard(const std::string& symbol, bool opened) const;
    void drawSeat(QPainter& painter, const Seat& seat, const QStaticText& name,
                  const QFontMetricsF& metrics, QPainter::CompositionMode cardMode);

    QFont nameFont_;
    double scale_ = 1;
    CardImageCache cardImages_;  // main thread only, like painting
    std::vector<QString> announcedSeats_;
    TableModel::Snapshot lastTable_;     // as tableDidChange last saw it
    NameTexts nameTexts_;                // main thread only, like painting
    std::unique_ptr<TableModel> table_;  // its events run on connection threads
};

}  // namespace tarvendo::client
