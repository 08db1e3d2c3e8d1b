#pragma once

#include <QSplitter>

namespace tarvendo::client {

class ClientSession;
class Deck;
class Desktop;

// The desktop stacked above the deck, split 70 : 30 by a divider the user can
// drag.
class Workspace : public QSplitter {
public:
    static constexpr int kDesktopShare = 7;  // of ten
    static constexpr int kDeckShare = 3;
    static constexpr int kDividerThickness = 1;
    static const QColor kDividerColor;

    explicit Workspace(ClientSession& session, QWidget* parent = nullptr);

    Desktop* desktop() const { return desktop_; }
    Deck* deck() const { return deck_; }

private:
    Desktop* desktop_;
    Deck* deck_;
};

}  // namespace tarvendo::client
