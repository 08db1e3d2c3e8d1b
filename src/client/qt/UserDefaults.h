#pragma once

#include <QString>
#include <QVariant>

namespace tarvendo::client {

// What the client remembers between runs, under the platform's place for
// the organisation "Tarvendo" and the application "Tarvendo Base".
QVariant userDefault(const QString& key, const QVariant& fallback = {});
void setUserDefault(const QString& key, const QVariant& value);

}  // namespace tarvendo::client
