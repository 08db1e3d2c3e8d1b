#include "client/table/Workspace.h"

#include <QHBoxLayout>

#include "client/results/DealTracker.h"
#include "client/results/ResultsPanel.h"
#include "client/table/Deck.h"
#include "client/table/Desktop.h"

namespace tarvendo::client {

const QColor Workspace::kDividerColor = QColor::fromRgbF(2.0f / 3, 2.0f / 3, 2.0f / 3);

namespace {

// The desktop and the results side by side. Like the desktop alone, it asks
// for no size, so the splitter shares the height by the stretch factors.
class TablePane : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {}; }
};

}  // namespace

Workspace::Workspace(ClientSession& session, QWidget* parent)
    : QSplitter(Qt::Vertical, parent),
      desktop_(new Desktop(session)),
      deck_(new Deck(session, this)),
      resultsPanel_(new ResultsPanel),
      dealTracker_(new DealTracker(*desktop_, this)) {
    addWidget(tableWithResults());
    addWidget(deck_);
    setChildrenCollapsible(false);
    // The panes start at 70 % and 30 % and share every change of height in
    // the same proportion.
    setStretchFactor(0, kDesktopShare);
    setStretchFactor(1, kDeckShare);
    setHandleWidth(kDividerThickness);
    setStyleSheet(
        QStringLiteral("QSplitter::handle { background-color: %1; }").arg(kDividerColor.name()));
    connect(dealTracker_, &DealTracker::openDealChanged, this, [this] {
        const auto& deal = dealTracker_->openDeal();
        resultsPanel_->showDeal(deal ? &*deal : nullptr);
    });
}

QWidget* Workspace::tableWithResults() {
    auto* table = new TablePane(this);
    auto* layout = new QHBoxLayout(table);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(desktop_, kDesktopShare);
    layout->addWidget(resultsPanel_, kResultsShare);
    return table;
}

void Workspace::setScale(double scale) {
    desktop_->setScale(scale);
    deck_->setScale(scale);
}

}  // namespace tarvendo::client
