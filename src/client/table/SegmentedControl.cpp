#include "client/table/SegmentedControl.h"

#include <QPushButton>

namespace tarvendo::client {

SegmentedControl::SegmentedControl(const QStringList& labels, int segmentWidth, QWidget* parent)
    : QWidget(parent), segmentWidth_(segmentWidth) {
    for (const QString& label : labels) {
        auto* button = new QPushButton(label, this);
        const int index = int(segments_.size());
        connect(button, &QPushButton::clicked, this,
                [this, index] { emit segmentSelected(index); });
        segments_.push_back(button);
    }
}

void SegmentedControl::setSegmentEnabled(int index, bool enabled) {
    segment(index)->setEnabled(enabled);
    emit segmentEnabledChanged(index, enabled);
}

bool SegmentedControl::isSegmentEnabled(int index) const {
    return segment(index)->isEnabled();
}

void SegmentedControl::resizeEvent(QResizeEvent*) {
    // The segments side by side, the row centred in the control.
    const int rowWidth = segmentWidth_ * segmentCount();
    int left = (width() - rowWidth) / 2;
    for (QPushButton* button : segments_) {
        button->setGeometry(left, 0, segmentWidth_, height());
        left += segmentWidth_;
    }
}

}  // namespace tarvendo::client
