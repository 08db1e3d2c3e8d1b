#pragma once

#include <QRect>
#include <QString>

#include <ostream>

// How the test frameworks print the Qt types the client tests compare.
QT_BEGIN_NAMESPACE
void PrintTo(const QRectF& rect, std::ostream* out);
void PrintTo(const QRect& rect, std::ostream* out);
void PrintTo(const QString& text, std::ostream* out);
QT_END_NAMESPACE
