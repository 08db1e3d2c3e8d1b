#pragma once

#include <QStaticText>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace tarvendo::client {

// The results' lines, one under the other. Each line is laid out once when
// the results change, not at every paint and size query as a label's text
// is: the strip shows up in the same frame as the opened cards. A line too
// long for the strip ends in "…", and the tooltip shows the whole text.
class ResultsStrip : public QWidget {
public:
    explicit ResultsStrip(QWidget* parent = nullptr);

    void setLines(const QStringList& lines);
    // The lines, joined by line breaks.
    QString text() const { return lines_.join(QLatin1Char('\n')); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateToolTip();

    QStringList lines_;
    std::vector<QStaticText> laidOut_;
    int naturalWidth_ = 0;
};

}  // namespace tarvendo::client
