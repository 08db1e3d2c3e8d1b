#include "client/results/ResultsStrip.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tarvendo::client {

ResultsStrip::ResultsStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ResultsStrip::setLines(const QStringList& lines) {
    lines_ = lines;
    laidOut_.clear();
    naturalWidth_ = 0;
    for (const QString& line : lines_) {
        QStaticText text(line);
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font());
        naturalWidth_ = std::max(naturalWidth_, int(std::ceil(text.size().width())));
        laidOut_.push_back(std::move(text));
    }
    setAccessibleName(lines_.join(QStringLiteral("; ")));
    updateToolTip();
    updateGeometry();
    update();
}

QSize ResultsStrip::sizeHint() const {
    const int lineHeight = int(std::ceil(QFontMetricsF(font()).lineSpacing()));
    return {naturalWidth_, lineHeight * int(lines_.size())};
}

// As narrow as the panel's share: a long line is cut rather than the table.
QSize ResultsStrip::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void ResultsStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetricsF metrics(font());
    QPointF topLeft(0, 0);
    for (std::size_t i = 0; i < laidOut_.size(); ++i, topLeft.ry() += metrics.lineSpacing()) {
        if (laidOut_[i].size().width() <= width()) {
            painter.drawStaticText(topLeft, laidOut_[i]);
        } else {
            painter.drawText(topLeft + QPointF(0, metrics.ascent()),
                             metrics.elidedText(lines_[int(i)], Qt::ElideRight, width()));
        }
    }
}

void ResultsStrip::resizeEvent(QResizeEvent*) {
    updateToolTip();
}

void ResultsStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        setLines(lines_);  // laid out in the old font
    }
    QWidget::changeEvent(event);
}

void ResultsStrip::updateToolTip() {
    setToolTip(naturalWidth_ > width() ? text() : QString());
}

}  // namespace tarvendo::client
