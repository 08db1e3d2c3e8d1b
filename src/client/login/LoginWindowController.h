#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

#include "client/login/LoginExchange.h"
#include "session/EventObserver.h"
#include "transport/Address.h"

namespace Ui {
class LoginWindowController;
}

namespace tarvendo {
class BonjoureBrowser;
}

namespace tarvendo::client {

class ClientSession;

// The login form: server typed in or discovered, player name, admin switch
// with the game name. OK validates and logs in; Cancel gives up.
class LoginWindowController : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxNameCharacters = 64;
    static constexpr int kMaxGameNameCharacters = 128;

    // A preset server address stands in manual mode instead of the one used last.
    LoginWindowController(ClientSession& session, std::int32_t clientServerPort,
                          std::optional<QString> presetAddress = std::nullopt,
                          QWidget* parent = nullptr);
    ~LoginWindowController() override;

    const std::optional<LoginRecord>& lastLogin() const { return loginExchange_.lastLogin(); }

    void okDidClick();
    void cancelDidClick();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void limitFields();
    void windowDidBecomeKey();
    void registerObservers();
    void bonjourCheckBoxStateDidChange(bool discovery);
    void enterManualMode();
    void enterDiscoveryMode();
    void adminCheckBoxStateDidChange(bool admin);
    void serversPopupDidSelect();
    void updateServersPopup();
    void setAddresses(std::vector<Address> addresses);
    void showAddresses(const std::vector<Address>& addresses);
    void serverFound(std::vector<Address> addresses);
    void serverNotFound();
    void stopDiscovery();
    void setCaptionsGrey(bool grey);

    std::optional<Address> selectedServerAddress() const;
    std::optional<Address> typedServerAddress() const;
    bool nameIsValid();
    bool gameNameIsValid();
    bool connectToServer(const Address& address, RequestCode requestCode);
    LoginForm form() const;

    ClientSession& session_;
    std::unique_ptr<Ui::LoginWindowController> ui_;
    const std::int32_t clientServerPort_;
    const std::optional<QString> presetAddress_;
    bool firstTime_ = true;
    std::unique_ptr<BonjoureBrowser> bonjoureBrowser_;
    std::vector<Address> addresses_;  // main thread only
    LoginExchange loginExchange_;
    EventObserver observers_;  // last: removed before the members its blocks use
};

}  // namespace tarvendo::client
