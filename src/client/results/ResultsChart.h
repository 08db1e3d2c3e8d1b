#pragma once

#include <QChartView>
#include <QList>

#include "client/results/DealStatistics.h"

class QBarSet;
class QValueAxis;

namespace tarvendo::client {

// How many players chose each card: one bar per deck card in deck order,
// empty slots too, the most chosen card(s) in a colour that stands out. Its
// accessible description reads the counts.
class ResultsChart : public QChartView {
public:
    explicit ResultsChart(QWidget* parent = nullptr);

    void showCounts(const DealStatistics& statistics);
    // The bars' heights, in deck order.
    QList<qreal> counts() const;
    // The deck positions of the bars that stand out.
    QList<int> highlighted() const;

private:
    void showCountsUpTo(int most);

    QBarSet* bars_;
    QValueAxis* countAxis_;
};

}  // namespace tarvendo::client
