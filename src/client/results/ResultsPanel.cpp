#include "client/results/ResultsPanel.h"

#include <QLabel>
#include <QVBoxLayout>

#include "client/qt/Text.h"
#include "client/results/DealHistory.h"
#include "client/results/ResultsChart.h"
#include "client/results/ResultsStrip.h"
#include "client/results/ResultsText.h"

namespace tarvendo::client {

namespace {

constexpr int kTitlePixelSize = 16;
constexpr int kStripPixelSize = 14;

}  // namespace

ResultsPanel::ResultsPanel(QWidget* parent)
    : QFrame(parent), layout_(new QVBoxLayout(this)), strip_(new ResultsStrip) {
    setObjectName(QStringLiteral("results"));
    setAccessibleName(QStringLiteral("Results"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* title = new QLabel(QStringLiteral("Results"));
    QFont titleFont = uiFont(kTitlePixelSize);
    titleFont.setBold(true);
    title->setFont(titleFont);
    strip_->setFont(uiFont(kStripPixelSize));
    layout_->addWidget(title);
    layout_->addWidget(strip_);
    hide();
}

void ResultsPanel::showDeal(const DealRecord* deal) {
    if (deal == nullptr) {
        hide();
        return;
    }
    QStringList lines;
    for (const std::string& line : resultsLines(deal->statistics)) {
        lines << qText(line);
    }
    strip_->setLines(lines);
    // Read as one text, the way it is announced when it changes.
    setAccessibleDescription(strip_->accessibleName());
    if (chart_ == nullptr) {
        chart_ = new ResultsChart;
        layout_->addWidget(chart_, 1);
    }
    chart_->showCounts(deal->statistics);
    show();
}

}  // namespace tarvendo::client
