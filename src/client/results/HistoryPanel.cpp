#include "client/results/HistoryPanel.h"

#include <QDateTime>
#include <QHeaderView>
#include <QTreeWidget>

#include "client/qt/Text.h"
#include "client/results/DealTracker.h"
#include "client/results/ResultsText.h"

namespace tarvendo::client {

namespace {

QString cardsText(const DealRecord& deal) {
    QStringList cards;
    for (const auto& [name, symbol] : deal.players) {
        cards << qText(name) + QLatin1Char(' ') +
                     (isDeckSymbol(symbol) ? qText(symbol) : QStringLiteral("–"));
    }
    return cards.join(QStringLiteral(", "));
}

QString numberText(const std::optional<double>& value) {
    return value ? qText(formattedNumber(*value)) : QString();
}

QStringList columnsOf(const DealRecord& deal) {
    const QDateTime time = QDateTime::fromString(qText(deal.time), Qt::ISODate);
    return {time.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
            qText(deal.title),
            cardsText(deal),
            numberText(deal.statistics.average),
            numberText(deal.statistics.median),
            deal.statistics.consensus ? QStringLiteral("Yes") : QStringLiteral("No")};
}

}  // namespace

HistoryPanel::HistoryPanel(const DealTracker& tracker, QWidget* parent)
    : QDockWidget(QStringLiteral("History"), parent), tracker_(tracker), list_(new QTreeWidget) {
    setObjectName(QStringLiteral("history"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Title"),
                            QStringLiteral("Cards"), QStringLiteral("Average"),
                            QStringLiteral("Median"), QStringLiteral("Consensus")});
    list_->setAccessibleName(QStringLiteral("Opened deals, the latest first"));
    setWidget(list_);
    connect(&tracker_, &DealTracker::historyChanged, this, [this] { refill(); });
    hide();
}

void HistoryPanel::refill() {
    list_->clear();
    // Each later deal goes above the ones before: the latest first.
    for (const DealRecord& deal : tracker_.history().deals()) {
        list_->insertTopLevelItem(0, new QTreeWidgetItem(columnsOf(deal)));
    }
    list_->header()->resizeSections(QHeaderView::ResizeToContents);
}

}  // namespace tarvendo::client
