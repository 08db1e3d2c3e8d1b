#include "client/results/ResultsChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QGraphicsLayout>
#include <QValueAxis>

#include <algorithm>

#include "client/qt/Text.h"
#include "client/results/ResultsText.h"

namespace tarvendo::client {

namespace {

const QColor kBarColor(0x5b, 0x7d, 0x9a);
const QColor kMostChosenColor(0xd9, 0x6c, 0x1e);
constexpr int kMargin = 2;
constexpr int kLabelPixelSize = 11;  // "13", "20" and "40" under narrow bars
constexpr qreal kBarWidth = 0.8;     // of a card's slot
constexpr int kTicksOfOne = 8;       // counts up to this get a tick each

QStringList deckCategories() {
    QStringList categories;
    for (const std::string_view symbol : kDeckSymbols) {
        categories << qText(symbol);
    }
    return categories;
}

// A pen of width 0 draws one pixel as the theme's pen of width 1 does, and
// Qt finds a line item's bounds without stroking its outline.
void useHairlines(QAbstractAxis& axis) {
    QPen line = axis.linePen();
    line.setWidth(0);
    axis.setLinePen(line);
    QPen grid = axis.gridLinePen();
    grid.setWidth(0);
    axis.setGridLinePen(grid);
}

}  // namespace

ResultsChart::ResultsChart(QWidget* parent)
    : QChartView(parent),
      bars_(new QBarSet(QStringLiteral("Players"))),
      countAxis_(new QValueAxis) {
    // The view's own chart: one set in its place would be left to leak.
    QChart* chart = this->chart();
    auto* series = new QBarSeries;
    bars_->setColor(kBarColor);
    bars_->setBorderColor(kBarColor);
    bars_->setSelectedColor(kMostChosenColor);
    for (std::size_t position = 0; position < kDeckSymbols.size(); ++position) {
        bars_->append(0);
    }
    series->append(bars_);
    series->setBarWidth(kBarWidth);
    chart->addSeries(series);
    auto* cards = new QBarCategoryAxis;
    cards->append(deckCategories());
    cards->setLabelsFont(uiFont(kLabelPixelSize));
    cards->setTruncateLabels(false);
    cards->setGridLineVisible(false);  // the bars mark the slots; lines would cost paint time
    countAxis_->setLabelsFont(uiFont(kLabelPixelSize));
    chart->addAxis(cards, Qt::AlignBottom);
    series->attachAxis(cards);
    countAxis_->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(countAxis_, Qt::AlignLeft);
    series->attachAxis(countAxis_);
    useHairlines(*cards);
    useHairlines(*countAxis_);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    // Bars and grid lines lie on whole pixels: antialiasing would only double the paint time.
    setRenderHint(QPainter::Antialiasing, false);
    setAccessibleName(QStringLiteral("Cards chosen"));
}

// Each change re-lays the chart out, which costs more than the paint: only
// what differs from the last deal shown is set.
void ResultsChart::showCounts(const DealStatistics& statistics) {
    QList<int> mostChosen;
    std::size_t highest = 0;
    for (std::size_t position = 0; position < kDeckSymbols.size(); ++position) {
        const std::size_t count = statistics.counts[position];
        if (bars_->at(int(position)) != qreal(count)) {
            bars_->replace(int(position), qreal(count));
        }
        highest = std::max(highest, count);
        if (std::find(statistics.mostChosen.begin(), statistics.mostChosen.end(),
                      kDeckSymbols[position]) != statistics.mostChosen.end()) {
            mostChosen << int(position);
        }
    }
    if (bars_->selectedBars() != mostChosen) {
        bars_->deselectAllBars();
        bars_->selectBars(mostChosen);
    }
    showCountsUpTo(int(std::max<std::size_t>(highest, 1)));
    setAccessibleDescription(qText(countsText(statistics)));
}

// Whole players only: a tick per count, or per few counts on a big table.
void ResultsChart::showCountsUpTo(int most) {
    const int step = most <= kTicksOfOne ? 1 : (most + kTicksOfOne - 1) / kTicksOfOne;
    const int top = (most + step - 1) / step * step;
    if (countAxis_->max() != top || countAxis_->tickCount() != top / step + 1) {
        countAxis_->setRange(0, top);
        countAxis_->setTickCount(top / step + 1);
    }
}

QList<qreal> ResultsChart::counts() const {
    QList<qreal> counts;
    for (int position = 0; position < bars_->count(); ++position) {
        counts << bars_->at(position);
    }
    return counts;
}

QList<int> ResultsChart::highlighted() const {
    return bars_->selectedBars();
}

}  // namespace tarvendo::client
