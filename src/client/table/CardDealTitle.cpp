#include "client/table/CardDealTitle.h"

#include "client/qt/Alert.h"
#include "client/qt/Text.h"
#include "client/table/CardDealTitleDelegate.h"
#include "ui_CardDealTitle.h"

namespace tarvendo::client {

CardDealTitle::CardDealTitle(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CardDealTitle>()) {
    ui_->setupUi(this);
    capitalizeAsTyped(ui_->gameTitle);
    connect(ui_->acceptButton, &QPushButton::clicked, this, [this] { acceptButtonDidClick(); });
    connect(ui_->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { dialogDidClose(); });
}

CardDealTitle::~CardDealTitle() = default;

QLineEdit* CardDealTitle::gameTitle() const {
    return ui_->gameTitle;
}
QPushButton* CardDealTitle::acceptButton() const {
    return ui_->acceptButton;
}
QPushButton* CardDealTitle::cancelButton() const {
    return ui_->cancelButton;
}

void CardDealTitle::acceptButtonDidClick() {
    const QString title = trimmedText(*ui_->gameTitle);
    if (title.isEmpty()) {
        showAlert(this, QStringLiteral("The deal name can't by empty!"),
                  QStringLiteral("Type the name"));
        ui_->gameTitle->setFocus();
        return;
    }
    if (delegate_) {
        delegate_->cardDealTitleDidAccept(Json{{"title", utf8Text(title)}});
    }
    accept();
}

void CardDealTitle::dialogDidClose() {
    if (delegate_) {
        delegate_->cardDealTitleDidCancel();
    }
}

}  // namespace tarvendo::client
