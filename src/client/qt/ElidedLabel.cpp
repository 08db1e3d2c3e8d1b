#include "client/qt/ElidedLabel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace tarvendo::client {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize ElidedLabel::sizeHint() const {
    return {0, QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

QString elidedInTheMiddle(const QString& text, int maxCharacters) {
    const std::u32string characters = text.toStdU32String();
    const auto limit = static_cast<std::size_t>(std::max(maxCharacters, 2));
    if (characters.size() <= limit) {
        return text;
    }
    const std::size_t head = (limit - 1) / 2;
    const std::size_t tail = limit - 1 - head;
    return QString::fromStdU32String(characters.substr(0, head)) + QStringLiteral("…") +
           QString::fromStdU32String(characters.substr(characters.size() - tail));
}

}  // namespace tarvendo::client
