#pragma once

#include <QString>

namespace tarvendo::client {

// The last game server address used.
QString storedServerAddress();
void storeServerAddress(const QString& address);

}  // namespace tarvendo::client
