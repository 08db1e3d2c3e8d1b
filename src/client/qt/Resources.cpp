#include "client/qt/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerTarvendoResources() {
    Q_INIT_RESOURCE(tarvendo);
}

namespace tarvendo::client {

void ensureResources() {
    static const bool registered = (registerTarvendoResources(), true);
    (void)registered;
}

}  // namespace tarvendo::client
