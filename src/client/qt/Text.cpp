#include "client/qt/Text.h"

#include <QFontDatabase>
#include <QLineEdit>
#include <QTextBoundaryFinder>

namespace tarvendo::client {

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string utf8Text(const QString& text) {
    return text.toStdString();
}

QFont uiFont(int pixelSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixelSize);
    return font;
}

QString withCapitalFirstGrapheme(const QString& text) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    const qsizetype end = graphemes.toNextBoundary();
    if (end <= 0) {
        return text;
    }
    return text.left(end).toUpper() + text.mid(end);
}

void capitalizeAsTyped(QLineEdit* field) {
    QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
        const QString capitalized = withCapitalFirstGrapheme(text);
        if (capitalized == text) {
            return;
        }
        // Upper-casing may change the length (ß becomes SS).
        const int cursor = field->cursorPosition() + int(capitalized.size() - text.size());
        field->setText(capitalized);
        field->setCursorPosition(cursor);
    });
}

QString trimmedText(const QLineEdit& field) {
    return field.text().trimmed();
}

}  // namespace tarvendo::client
