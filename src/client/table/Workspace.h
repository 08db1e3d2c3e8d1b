#pragma once

#include <QSplitter>

namespace tarvendo::client {

class ClientSession;
class DealTracker;
class Deck;
class Desktop;
class ResultsPanel;

// The desktop stacked above the deck, split 70 : 30 by a divider the user can
// drag; while a deal's cards are open its results stand beside the desktop.
class Workspace : public QSplitter {
public:
    static constexpr int kDesktopShare = 7;  // of ten
    static constexpr int kDeckShare = 3;
    // Of the table's width, while they show.
    static constexpr int kResultsShare = 3;
    static constexpr int kDividerThickness = 1;
    static const QColor kDividerColor;

    explicit Workspace(ClientSession& session, QWidget* parent = nullptr);

    Desktop* desktop() const { return desktop_; }
    Deck* deck() const { return deck_; }
    ResultsPanel* resultsPanel() const { return resultsPanel_; }
    DealTracker* dealTracker() const { return dealTracker_; }
    // Cards and names grow with the window, from 1 at its default size up to 2.
    void setScale(double scale);

private:
    QWidget* tableWithResults();

    Desktop* desktop_;
    Deck* deck_;
    ResultsPanel* resultsPanel_;
    DealTracker* dealTracker_;
};

}  // namespace tarvendo::client
