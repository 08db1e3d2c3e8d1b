#pragma once

#include <QDockWidget>

class QTreeWidget;

namespace tarvendo::client {

class DealTracker;

// Every opened deal of this session, the latest first: time, title, each
// player's card, average, median and consensus. Hidden until asked for.
class HistoryPanel : public QDockWidget {
public:
    HistoryPanel(const DealTracker& tracker, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }

private:
    void refill();

    const DealTracker& tracker_;
    QTreeWidget* list_;
};

}  // namespace tarvendo::client
