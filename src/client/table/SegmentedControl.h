#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

class QPushButton;

namespace tarvendo::client {

// A row of momentary segments: a segment is highlighted only while pressed,
// and a click on an enabled one reports its index.
class SegmentedControl : public QWidget {
    Q_OBJECT

public:
    SegmentedControl(const QStringList& labels, int segmentWidth, QWidget* parent = nullptr);

    int segmentCount() const { return int(segments_.size()); }
    QPushButton* segment(int index) const { return segments_.at(std::size_t(index)); }
    void setSegmentEnabled(int index, bool enabled);
    bool isSegmentEnabled(int index) const;

signals:
    void segmentSelected(int index);
    void segmentEnabledChanged(int index, bool enabled);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    const int segmentWidth_;
    std::vector<QPushButton*> segments_;
};

}  // namespace tarvendo::client
