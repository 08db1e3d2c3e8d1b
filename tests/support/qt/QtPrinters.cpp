#include "support/qt/QtPrinters.h"

QT_BEGIN_NAMESPACE
void PrintTo(const QRectF& rect, std::ostream* out) {
    *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height()
         << ")";
}

void PrintTo(const QRect& rect, std::ostream* out) {
    PrintTo(QRectF(rect), out);
}

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
