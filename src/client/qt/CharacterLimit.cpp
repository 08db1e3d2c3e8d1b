#include "client/qt/CharacterLimit.h"

#include <QLabel>
#include <QLineEdit>

#include <string>

namespace tarvendo::client {

namespace {

// Cuts what was typed or pasted back to the limit and says so at the limit.
void keepWithin(QLineEdit* field, std::size_t limit, QLabel* notice, const QString& what) {
    const std::u32string characters = field->text().toStdU32String();
    if (characters.size() > limit) {
        field->setText(QString::fromStdU32String(characters.substr(0, limit)));
    }
    notice->setText(QStringLiteral("%1 has at most %2 characters.").arg(what).arg(limit));
    notice->setVisible(characters.size() >= limit);
}

}  // namespace

void limitCharacters(QLineEdit* field, int maxCharacters, QLabel* notice, const QString& what) {
    field->setMaxLength(32767);  // QLineEdit's default: no limit of its own
    const auto limit = static_cast<std::size_t>(maxCharacters);
    QObject::connect(field, &QLineEdit::textEdited, field,
                     [=](const QString&) { keepWithin(field, limit, notice, what); });
}

}  // namespace tarvendo::client
