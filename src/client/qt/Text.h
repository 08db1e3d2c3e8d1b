#pragma once

#include <QFont>
#include <QString>

#include <string>
#include <string_view>

class QLineEdit;

namespace tarvendo::client {

// The core's UTF-8 text as a QString, and back.
QString qText(std::string_view utf8);
std::string utf8Text(const QString& text);

// The platform's standard user-interface font, sized in pixels: a point of
// the table's layout is one logical pixel whatever the screen's DPI.
QFont uiFont(int pixelSize);

// The text with its first grapheme upper-cased and the rest unchanged.
QString withCapitalFirstGrapheme(const QString& text);

// Capitalises the field's first grapheme while the user types, keeping the
// cursor where it was.
void capitalizeAsTyped(QLineEdit* field);

// A form field's text as it is checked and sent: without white space and line
// breaks at either end.
QString trimmedText(const QLineEdit& field);

}  // namespace tarvendo::client
