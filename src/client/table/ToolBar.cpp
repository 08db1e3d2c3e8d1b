#include "client/table/ToolBar.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "client/ClientSession.h"
#include "client/qt/Alert.h"
#include "client/qt/RefusalText.h"
#include "client/qt/Text.h"
#include "client/table/AutoOpen.h"
#include "client/table/SegmentedControl.h"
#include "client/table/Texture.h"

namespace tarvendo::client {

namespace {

// The Init segment's rectangle is the control's, less this at the bottom.
constexpr int kPopoverAnchorInset = 7;
constexpr int kCheckBoxMargin = 8;  // from the strip's right edge

struct SegmentCommand {
    const char* name;
    const char* menuText;
    const char* purpose;
    QKeyCombination shortcut;
};

constexpr std::array<SegmentCommand, 3> kCommands{{
    {"init", "&Init…", "Start a new deal", Qt::CTRL | Qt::Key_I},
    {"play", "&Play", "Let the players choose", Qt::CTRL | Qt::Key_P},
    {"open", "&Open", "Open the cards", Qt::CTRL | Qt::Key_O},
}};

}  // namespace

ToolBar::ToolBar(ClientSession& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      segmentedControl_(new SegmentedControl(
          {QStringLiteral("Init"), QStringLiteral("Play"), QStringLiteral("Open")}, kSegmentWidth,
          this)),
      autoOpen_(new AutoOpen([this] { return segmentedControl_->isSegmentEnabled(openSegment); },
                             [this] { openDidClick(); }, this)),
      observers_(session.center()) {
    makeActions();
    segmentedControl_->setSegmentEnabled(playSegment, false);
    segmentedControl_->setSegmentEnabled(openSegment, false);
    connect(segmentedControl_, &SegmentedControl::segmentSelected, this,
            [this](int segment) { segmentDidSelect(segment); });
    registerObservers();
    resize(10, 10);
    placeAlongTop();
}

ToolBar::~ToolBar() {
    // Before any member goes: a block may be running on a connection thread.
    observers_.removeObservers();
    if (dealTitleViewController_) {
        dealTitleViewController_->setDelegate(nullptr);
    }
}

void ToolBar::makeActions() {
    for (std::size_t segment = 0; segment < kCommands.size(); ++segment) {
        const SegmentCommand& command = kCommands[segment];
        auto* action = new QAction(QString::fromUtf8(command.menuText), this);
        action->setObjectName(QString::fromLatin1(command.name));
        action->setShortcut(QKeySequence(command.shortcut));
        action->setVisible(false);
        connect(action, &QAction::triggered, this,
                [this, segment] { segmentDidSelect(int(segment)); });
        actions_[segment] = action;
        addAction(action);
        segmentedControl_->segment(int(segment))
            ->setToolTip(QStringLiteral("%1 (%2)").arg(
                QString::fromUtf8(command.purpose),
                action->shortcut().toString(QKeySequence::NativeText)));
    }
    connect(segmentedControl_, &SegmentedControl::segmentEnabledChanged, this,
            [this](int segment, bool enabled) { action(Segment(segment))->setEnabled(enabled); });
}

void ToolBar::setVisible(bool visible) {
    QWidget::setVisible(visible);
    // A player has no toolbar, and no shortcuts for it either.
    for (QAction* action : actions_) {
        action->setVisible(visible);
    }
    autoOpen_->action()->setVisible(visible);
}

void ToolBar::registerObservers() {
    const auto onMainThread = [this](Event event, void (ToolBar::*task)()) {
        observers_.registerEvent(event, [this, task](const Notification&) {
            QMetaObject::invokeMethod(
                this, [this, task] { (this->*task)(); }, Qt::QueuedConnection);
        });
    };
    onMainThread(Event::cardsReadyToOpen, &ToolBar::cardsDidBecomeReady);
    onMainThread(Event::openCards, &ToolBar::cardsDidOpen);
    onMainThread(Event::initNewDeal, &ToolBar::dealDidBegin);
}

void ToolBar::cardsDidBecomeReady() {
    // The cards shown at the opening, and late votes after it, leave
    // everyone with a card again: the deal is open already.
    if (cardsOpen_) {
        return;
    }
    segmentedControl_->setSegmentEnabled(openSegment, true);
    autoOpen_->cardsDidBecomeReady();
}

void ToolBar::cardsDidOpen() {
    cardsOpen_ = true;
    segmentedControl_->setSegmentEnabled(openSegment, false);
}

void ToolBar::dealDidBegin() {
    cardsOpen_ = false;
}

void ToolBar::placeAlongTop() {
    if (parentWidget()) {
        setGeometry(0, 0, parentWidget()->width(), kDefaultHeight);
    }
}

bool ToolBar::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) {
        placeAlongTop();
    }
    return QWidget::event(event);
}

void ToolBar::resizeEvent(QResizeEvent*) {
    segmentedControl_->setGeometry((width() - kControlSize.width()) / 2, kControlTop,
                                   kControlSize.width(), kControlSize.height());
    QCheckBox* checkBox = autoOpen_->checkBox();
    const QSize hint = checkBox->sizeHint();
    checkBox->setGeometry(width() - kCheckBoxMargin - hint.width(), (height() - hint.height()) / 2,
                          hint.width(), hint.height());
}

void ToolBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), textureBrush());
}

QRect ToolBar::initSegmentRect() const {
    const QRect control = segmentedControl_->geometry();
    return {control.x(), control.y(), kSegmentWidth, control.height() - kPopoverAnchorInset};
}

void ToolBar::segmentDidSelect(int segment) {
    switch (segment) {
        case initSegment:
            initDidClick();
            break;
        case playSegment:
            playDidClick();
            break;
        case openSegment:
            openDidClick();
            break;
        default:
            break;
    }
}

void ToolBar::initDidClick() {
    if (dealTitleViewController_ || !parentWidget()) {
        return;
    }
    dealTitleViewController_ = new CardDealTitle(this);
    dealTitleViewController_->setDelegate(this);
    // Like a popover: centred under the Init segment, without a frame.
    dealTitleViewController_->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dealTitleViewController_->adjustSize();
    placeDealTitle();
    // It follows the main window while it is open.
    window()->installEventFilter(this);
    dealTitleViewController_->show();
    dealTitleViewController_->activateWindow();
}

void ToolBar::placeDealTitle() {
    CardDealTitle* dialog = dealTitleViewController_;
    const QRect anchor = initSegmentRect();
    const QPoint below = mapToGlobal(QPoint(anchor.center().x(), anchor.bottom() + 1));
    QRect frame(QPoint(below.x() - dialog->width() / 2, below.y()), dialog->size());
    if (const QScreen* screen = window()->screen()) {
        const QRect room = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), room.left(),
                                  std::max(room.left(), room.right() + 1 - frame.width())));
        frame.moveTop(std::clamp(frame.top(), room.top(),
                                 std::max(room.top(), room.bottom() + 1 - frame.height())));
    }
    dialog->move(frame.topLeft());
}

bool ToolBar::eventFilter(QObject* watched, QEvent* event) {
    const bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (watched == window() && moved && dealTitleViewController_) {
        placeDealTitle();
    }
    return QWidget::eventFilter(watched, event);
}

void ToolBar::cardDealTitleDidAccept(const Json& dictionary) {
    const std::optional<Answer> answer = session_.send(RequestCode::initNewDeal, dictionary);
    if (isAccepted(answer, QStringLiteral("Error: can't initialize new game"))) {
        segmentedControl_->setSegmentEnabled(playSegment, true);
        // Nobody has voted in the new deal: an Open left on from the last one
        // would show every vote face up as it is cast.
        segmentedControl_->setSegmentEnabled(openSegment, false);
    }
    QTimer::singleShot(kDialogReleaseDelayMs, this, [this] { releaseDealTitle(); });
}

void ToolBar::cardDealTitleDidCancel() {
    releaseDealTitle();
}

void ToolBar::releaseDealTitle() {
    window()->removeEventFilter(this);
    if (dealTitleViewController_) {
        dealTitleViewController_->deleteLater();
        dealTitleViewController_ = nullptr;
    }
}

void ToolBar::playDidClick() {
    sendAndSwitchOff(RequestCode::play, playSegment, QStringLiteral("Error: can't play"));
}

void ToolBar::openDidClick() {
    sendAndSwitchOff(RequestCode::openCards, openSegment, QStringLiteral("Error: can'open cards"));
}

void ToolBar::sendAndSwitchOff(RequestCode code, Segment segment, const QString& failure) {
    if (isAccepted(session_.send(code), failure)) {
        segmentedControl_->setSegmentEnabled(segment, false);
    }
}

bool ToolBar::isAccepted(const std::optional<Answer>& answer, const QString& failure) {
    if (!answer) {
        return false;
    }
    if (answer->message != AnswerMessage::OK) {
        showAlert(window(), failure, refusalText(*answer));
        return false;
    }
    return true;
}

}  // namespace tarvendo::client
