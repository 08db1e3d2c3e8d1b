#include "client/login/Settings.h"

#include "client/qt/UserDefaults.h"

namespace tarvendo::client {

namespace {

constexpr auto kServerAddressKey = "serverAddress";

}  // namespace

QString storedServerAddress() {
    return userDefault(kServerAddressKey).toString();
}

void storeServerAddress(const QString& address) {
    setUserDefault(kServerAddressKey, address);
}

}  // namespace tarvendo::client
