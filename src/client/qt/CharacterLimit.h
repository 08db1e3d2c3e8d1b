#pragma once

#include <QString>

class QLabel;
class QLineEdit;

namespace tarvendo::client {

// Keeps a field within a number of characters, counted as the game server
// counts them (code points, not UTF-16 units: an emoji is one), and shows the
// notice while typing or pasting runs into the limit, instead of dropping
// keystrokes without a word. Replaces the field's own maxLength.
void limitCharacters(QLineEdit* field, int maxCharacters, QLabel* notice, const QString& what);

}  // namespace tarvendo::client
