#include "client/login/LoginWindowController.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "client/ClientSession.h"
#include "client/login/LoginAlert.h"
#include "client/login/Settings.h"
#include "client/qt/Alert.h"
#include "client/qt/CharacterLimit.h"
#include "client/qt/Text.h"
#include "discovery/BonjoureBrowser.h"
#include "ui_LoginWindowController.h"

namespace tarvendo::client {

namespace {

constexpr auto kDefaultServerPort = "50000";
constexpr double kDiscoveryTimeLimit = 3.0;

std::string trimmed(const QLineEdit* field) {
    return utf8Text(trimmedText(*field));
}

void setCaptionColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

LoginWindowController::LoginWindowController(ClientSession& session, std::int32_t clientServerPort,
                                             std::optional<QString> presetAddress, QWidget* parent)
    : QDialog(parent),
      session_(session),
      ui_(std::make_unique<Ui::LoginWindowController>()),
      clientServerPort_(clientServerPort),
      presetAddress_(std::move(presetAddress)),
      loginExchange_(session),
      observers_(session.center()) {
    ui_->setupUi(this);
    setWindowTitle(qText(Shared::ApplicationName));
    limitFields();
    ui_->buttonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(ui_->buttonBox, &QDialogButtonBox::accepted, this, &LoginWindowController::okDidClick);
    connect(ui_->buttonBox, &QDialogButtonBox::rejected, this, &LoginWindowController::reject);
    connect(ui_->bonjourCheckBox, &QCheckBox::toggled, this,
            &LoginWindowController::bonjourCheckBoxStateDidChange);
    connect(ui_->adminCheckBox, &QCheckBox::toggled, this,
            &LoginWindowController::adminCheckBoxStateDidChange);
    connect(ui_->serversPopup, &QComboBox::activated, this,
            &LoginWindowController::serversPopupDidSelect);
    registerObservers();
}

void LoginWindowController::limitFields() {
    auto* notice = new QLabel(this);
    notice->setObjectName("limitNotice");
    notice->hide();
    ui_->mainLayout->insertWidget(1, notice);
    // The game server takes names of up to 64 characters.
    limitCharacters(ui_->userName, kMaxNameCharacters, notice, QStringLiteral("A name"));
    limitCharacters(ui_->gameName, kMaxGameNameCharacters, notice, QStringLiteral("A game name"));
}

LoginWindowController::~LoginWindowController() {
    observers_.removeObservers();
    stopDiscovery();
}

void LoginWindowController::registerObservers() {
    observers_.registerEvent(Event::bonjoureServerFound, [this](const Notification& notification) {
        if (auto found = notification.userInfo.get<std::vector<Address>>("addresses")) {
            serverFound(std::move(*found));
        }
    });
    observers_.registerEvent(Event::bonjoureServerNotFound,
                             [this](const Notification&) { serverNotFound(); });
}

void LoginWindowController::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    windowDidBecomeKey();
}

void LoginWindowController::windowDidBecomeKey() {
    if (!firstTime_) {
        return;
    }
    firstTime_ = false;
    capitalizeAsTyped(ui_->userName);
    capitalizeAsTyped(ui_->gameName);
    bonjourCheckBoxStateDidChange(false);
    adminCheckBoxStateDidChange(false);
    ui_->userName->setFocus();
}

void LoginWindowController::bonjourCheckBoxStateDidChange(bool discovery) {
    if (discovery) {
        enterDiscoveryMode();
    } else {
        enterManualMode();
    }
}

void LoginWindowController::enterManualMode() {
    ui_->serversPopup->setEnabled(false);
    ui_->serversPopup->hide();
    ui_->serverAddress->show();
    setCaptionsGrey(false);
    ui_->serverAddress->setText(presetAddress_.value_or(storedServerAddress()));
    ui_->serverPort->setText(kDefaultServerPort);
    ui_->serverAddress->setEnabled(true);
    ui_->serverPort->setEnabled(true);
    stopDiscovery();
}

void LoginWindowController::enterDiscoveryMode() {
    ui_->serversPopup->setEnabled(true);
    ui_->serversPopup->show();
    ui_->serverAddress->hide();
    updateServersPopup();
    setCaptionsGrey(true);
    ui_->serverAddress->clear();
    ui_->serverPort->clear();
    ui_->serverAddress->setEnabled(false);
    ui_->serverPort->setEnabled(false);
    stopDiscovery();  // one browser at a time: a replaced one must not fire later
    bonjoureBrowser_ = std::make_unique<BonjoureBrowser>(session_.center());
    bonjoureBrowser_->run(kDiscoveryTimeLimit);
}

void LoginWindowController::setCaptionsGrey(bool grey) {
    const QColor colour = grey ? QColor(Qt::lightGray) : QColor(Qt::black);
    setCaptionColour(ui_->serverAddressLabel, colour);
    setCaptionColour(ui_->serverPortLabel, colour);
}

void LoginWindowController::adminCheckBoxStateDidChange(bool admin) {
    setCaptionColour(ui_->gameNameLabel, admin ? QColor(Qt::black) : QColor(Qt::lightGray));
    ui_->gameName->clear();
    ui_->gameName->setReadOnly(!admin);
    ui_->gameName->setFocusPolicy(admin ? Qt::StrongFocus : Qt::NoFocus);
    if (admin) {
        ui_->gameName->setFocus();
    }
}

void LoginWindowController::updateServersPopup() {
    QComboBox* popup = ui_->serversPopup;
    popup->clear();
    if (addresses_.empty()) {
        popup->addItem("No data", 0);
        return;
    }
    for (const Address& address : addresses_) {
        popup->addItem(qText(address.address), address.port);
    }
}

void LoginWindowController::serversPopupDidSelect() {
    const int tag = ui_->serversPopup->currentData().toInt();
    if (!addresses_.empty() && tag > 0) {
        ui_->serverPort->setText(QString::number(tag));
    }
}

void LoginWindowController::setAddresses(std::vector<Address> addresses) {
    // The list is shown later on the main queue, after the poster has returned.
    QTimer::singleShot(0, this, [this, addresses = std::move(addresses)] {
        addresses_ = addresses;
        showAddresses(addresses_);
    });
}

void LoginWindowController::showAddresses(const std::vector<Address>& addresses) {
    if (addresses.empty()) {
        ui_->serverAddress->clear();
        ui_->serverPort->clear();
        updateServersPopup();
        return;
    }
    const QString chosen = ui_->serversPopup->currentText();
    updateServersPopup();
    // A longer list keeps the user's choice.
    ui_->serversPopup->setCurrentIndex(std::max(ui_->serversPopup->findText(chosen), 0));
    serversPopupDidSelect();
}

void LoginWindowController::serverFound(std::vector<Address> addresses) {
    // More addresses may follow until the time limit.
    setAddresses(std::move(addresses));
}

void LoginWindowController::serverNotFound() {
    setAddresses({});
    stopDiscovery();
    QTimer::singleShot(0, this, [this] {
        showAlert(this, "Server not found", "Enter data manually.");
        ui_->bonjourCheckBox->setChecked(false);  // toggled() switches to manual mode
    });
}

void LoginWindowController::stopDiscovery() {
    if (bonjoureBrowser_) {
        bonjoureBrowser_->stop();
        bonjoureBrowser_.reset();
    }
}

std::optional<Address> LoginWindowController::selectedServerAddress() const {
    if (!ui_->bonjourCheckBox->isChecked()) {
        return typedServerAddress();
    }
    const int tag = ui_->serversPopup->currentData().toInt();
    if (ui_->serversPopup->currentIndex() < 0 || tag <= 0) {
        return std::nullopt;
    }
    return Address{utf8Text(ui_->serversPopup->currentText()), tag};
}

std::optional<Address> LoginWindowController::typedServerAddress() const {
    const std::string address = trimmed(ui_->serverAddress);
    bool isNumber = false;
    const qlonglong port = ui_->serverPort->text().trimmed().toLongLong(&isNumber, 10);
    // A port the connection cannot take is as unusable as a wrong address.
    if (!validAddressIP(address) || !isNumber || port < 0 || port > 65535) {
        return std::nullopt;
    }
    return Address{address, static_cast<std::int32_t>(port)};
}

bool LoginWindowController::nameIsValid() {
    if (!trimmed(ui_->userName).empty()) {
        return true;
    }
    showAlert(this, "Player's name is empty.", "Without name you can't start to play.");
    ui_->userName->setFocus();
    return false;
}

bool LoginWindowController::gameNameIsValid() {
    if (!trimmed(ui_->gameName).empty()) {
        return true;
    }
    showAlert(this, "No game name given.", "As admin you have to enter the name of the game.");
    ui_->gameName->setFocus();
    return false;
}

void LoginWindowController::okDidClick() {
    const std::optional<Address> address = selectedServerAddress();
    if (!address) {
        showAlert(this, "Invalid server address", "Try to enter valid server address or exit.");
        return;
    }
    const bool admin = ui_->adminCheckBox->isChecked();
    if (!nameIsValid() || (admin && !gameNameIsValid())) {
        return;
    }
    if (!connectToServer(*address, admin ? RequestCode::loginAdmin : RequestCode::loginPlayer)) {
        return;
    }
    session_.shared().setPlayerName(trimmed(ui_->userName));
    session_.shared().setAdmin(admin);
    session_.center().post(Event::loginSuccess);
}

LoginForm LoginWindowController::form() const {
    return LoginForm{trimmed(ui_->userName), trimmed(ui_->gameName), clientServerPort_,
                     std::nullopt};
}

bool LoginWindowController::connectToServer(const Address& address, RequestCode requestCode) {
    const LoginOutcome outcome = loginExchange_.login(address, requestCode, form());
    if (const std::optional<LoginAlert> alert = loginAlertFor(outcome)) {
        showAlert(this, alert->message, alert->informative);
    }
    return outcome == LoginOutcome::loggedIn;
}

void LoginWindowController::cancelDidClick() {
    session_.center().post(Event::loginFailed);
}

void LoginWindowController::reject() {
    // Escape, the Cancel button and closing the window all mean Cancel; the
    // application decides what happens to the window.
    cancelDidClick();
}

}  // namespace tarvendo::client
