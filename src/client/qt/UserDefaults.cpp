#include "client/qt/UserDefaults.h"

#include <QSettings>

namespace tarvendo::client {

namespace {

constexpr auto kOrganisation = "Tarvendo";
constexpr auto kApplication = "Tarvendo Base";

}  // namespace

QVariant userDefault(const QString& key, const QVariant& fallback) {
    const QSettings userDefaults(kOrganisation, kApplication);
    return userDefaults.value(key, fallback);
}

void setUserDefault(const QString& key, const QVariant& value) {
    QSettings userDefaults(kOrganisation, kApplication);
    userDefaults.setValue(key, value);
}

}  // namespace tarvendo::client
