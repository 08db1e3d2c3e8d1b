#pragma once

#include <QLabel>

namespace tarvendo::client {

// A one-line label that never asks for more width than it is given: it draws
// its text elided in the middle to its width, so a long text cannot widen the
// window. text() stays the whole text.
class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as it is drawn at the present width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The text cut in the middle to at most maxCharacters characters, with "…".
QString elidedInTheMiddle(const QString& text, int maxCharacters);

}  // namespace tarvendo::client
