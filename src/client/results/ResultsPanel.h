#pragma once

#include <QFrame>

class QVBoxLayout;

namespace tarvendo::client {

class ResultsChart;
class ResultsStrip;
struct DealRecord;

// Beside the table while a deal's cards are open: the numbers of the deal
// (cards shown, average, median, consensus or spread, suggested estimate)
// over the chart of the cards chosen. The chart is made the first time the
// cards open, so a client that never opens them never builds one.
class ResultsPanel : public QFrame {
public:
    explicit ResultsPanel(QWidget* parent = nullptr);

    // Shows the deal's results, or hides the panel without one.
    void showDeal(const DealRecord* deal);
    ResultsStrip* strip() const { return strip_; }
    // Absent until the cards first open.
    ResultsChart* chart() const { return chart_; }

private:
    QVBoxLayout* layout_;
    ResultsStrip* strip_;
    ResultsChart* chart_ = nullptr;
};

}  // namespace tarvendo::client
