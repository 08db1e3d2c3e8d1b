#pragma once

#include <QDialog>

#include <memory>

class QLineEdit;

namespace Ui {
class CardDealTitle;
}

namespace tarvendo::client {

class CardDealTitleDelegate;

// Asks the admin for the title of a new deal. Accept hands a non-empty,
// trimmed title to the delegate and closes; Cancel, Escape and closing the
// window tell the delegate that no title came.
class CardDealTitle : public QDialog {
public:
    explicit CardDealTitle(QWidget* parent = nullptr);
    ~CardDealTitle() override;

    // Not owned; a dialog without a delegate drops the title.
    void setDelegate(CardDealTitleDelegate* delegate) { delegate_ = delegate; }
    QLineEdit* gameTitle() const;
    QPushButton* acceptButton() const;
    QPushButton* cancelButton() const;

    void acceptButtonDidClick();

private:
    void dialogDidClose();

    std::unique_ptr<Ui::CardDealTitle> ui_;
    CardDealTitleDelegate* delegate_ = nullptr;
};

}  // namespace tarvendo::client
