#pragma once

#include <string>

namespace tarvendo {

// A DNS-SD service as the game server advertises it and the client looks for
// it. The instance name is compared exactly: a renamed server ("Tarvendo #2")
// is somebody else's.
struct ServiceIdentity {
    std::string type = "_tarvendo._tcp";
    std::string domain = "local.";
    std::string name = "Tarvendo";
};

}  // namespace tarvendo
