#pragma once

#include <QPointer>
#include <QWidget>

#include <array>

#include "client/table/CardDealTitle.h"
#include "client/table/CardDealTitleDelegate.h"
#include "protocol/Answer.h"
#include "protocol/RequestCode.h"
#include "session/EventObserver.h"

namespace tarvendo::client {

class AutoOpen;
class ClientSession;
class SegmentedControl;

// The admin's strip along the top of the main view: Init asks for a deal
// title and starts the deal, Play lets the players play, Open opens the
// cards. The game server's answers switch Play and Open on and off.
class ToolBar : public QWidget, public CardDealTitleDelegate {
public:
    enum Segment { initSegment, playSegment, openSegment };

    static constexpr int kDefaultHeight = 40;
    static constexpr int kSegmentWidth = 80;
    static constexpr QSize kControlSize{246, 34};
    static constexpr int kControlTop = 3;
    // The dialog's reference is kept this long after an accepted title, so
    // Init cannot open a second dialog while the first one is closing.
    static constexpr int kDialogReleaseDelayMs = 500;

    explicit ToolBar(ClientSession& session, QWidget* parent = nullptr);
    ~ToolBar() override;

    SegmentedControl* segmentedControl() const { return segmentedControl_; }
    // The segment as a menu command with its shortcut (Ctrl+I, Ctrl+P,
    // Ctrl+O), enabled with the segment; only there while the strip shows.
    QAction* action(Segment segment) const { return actions_.at(std::size_t(segment)); }
    AutoOpen* autoOpen() const { return autoOpen_; }
    void setVisible(bool visible) override;
    CardDealTitle* dealTitleViewController() const { return dealTitleViewController_; }
    // Across the top of the parent, kDefaultHeight high; nothing without one.
    void placeAlongTop();
    // Where the deal title dialog hangs from, in this view's coordinates.
    QRect initSegmentRect() const;

    void segmentDidSelect(int segment);
    void initDidClick();
    void playDidClick();
    void openDidClick();
    void cardDealTitleDidAccept(const Json& dictionary) override;
    void cardDealTitleDidCancel() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Sends the request; an OK answer switches the segment off.
    void sendAndSwitchOff(RequestCode code, Segment segment, const QString& failure);
    // True for an OK answer; any other answer is shown to the admin.
    bool isAccepted(const std::optional<Answer>& answer, const QString& failure);
    void releaseDealTitle();
    void makeActions();
    void registerObservers();
    void cardsDidBecomeReady();
    void cardsDidOpen();
    void dealDidBegin();
    // Under the Init segment, and on the screen.
    void placeDealTitle();

    ClientSession& session_;
    SegmentedControl* segmentedControl_;
    std::array<QAction*, 3> actions_{};
    AutoOpen* autoOpen_;
    bool cardsOpen_ = false;  // from the opening's push until the next deal's
    QPointer<CardDealTitle> dealTitleViewController_;
    EventObserver observers_;
};

}  // namespace tarvendo::client
