#pragma once

#include <QObject>

#include <optional>

#include "client/results/DealHistory.h"
#include "client/table/TableModel.h"

namespace tarvendo::client {

class Desktop;

// Follows the table, change by change: while a deal's cards are open it
// keeps that deal's record current (late votes included) and in the history. The history lives
// as long as the window, across a renewed login. Main thread only.
class DealTracker : public QObject {
    Q_OBJECT

public:
    explicit DealTracker(const Desktop& desktop, QObject* parent = nullptr);

    const DealHistory& history() const { return history_; }
    // The deal whose cards are open now; absent while they are closed.
    const std::optional<DealRecord>& openDeal() const { return openDeal_; }

signals:
    void openDealChanged();
    void historyChanged();

private:
    void tableDidChange(TableModel::Snapshot table);

    DealHistory history_;
    std::optional<DealRecord> openDeal_;
};

}  // namespace tarvendo::client
