#include "client/login/Settings.h"

#include <QSettings>

namespace tarvendo::client {

namespace {

constexpr auto kServerAddressKey = "serverAddress";

constexpr auto kOrganisation = "Tarvendo";
constexpr auto kApplication = "Tarvendo Base";

}  // namespace

QString storedServerAddress() {
    const QSettings userDefaults(kOrganisation, kApplication);
    return userDefaults.value(kServerAddressKey).toString();
}

void storeServerAddress(const QString& address) {
    QSettings userDefaults(kOrganisation, kApplication);
    userDefaults.setValue(kServerAddressKey, address);
}

}  // namespace tarvendo::client
