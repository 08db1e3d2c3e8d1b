#include "client/results/DealTracker.h"

#include <QDateTime>

#include "client/qt/Text.h"
#include "client/table/Desktop.h"

namespace tarvendo::client {

namespace {

std::string isoTimeNow() {
    const QDateTime now = QDateTime::currentDateTime();
    return utf8Text(now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate));
}

}  // namespace

DealTracker::DealTracker(const Desktop& desktop, QObject* parent) : QObject(parent) {
    connect(&desktop, &Desktop::tableChanged, this,
            [this](const TableModel::Snapshot& table) { tableDidChange(table); });
}

void DealTracker::tableDidChange(TableModel::Snapshot table) {
    if (!table.opened) {
        if (openDeal_) {
            openDeal_.reset();
            emit openDealChanged();
        }
        return;
    }
    std::vector<std::string> symbols;
    for (const auto& player : table.players) {
        symbols.push_back(player.second);
    }
    history_.record({table.deal, isoTimeNow(), std::move(table.title), std::move(table.players),
                     dealStatistics(symbols)});
    openDeal_ = history_.deals().back();
    emit openDealChanged();
    emit historyChanged();
}

}  // namespace tarvendo::client
