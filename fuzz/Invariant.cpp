#include "fuzz/Invariant.h"

namespace tarvendo::fuzz {

void require(bool holds, const std::string& what) {
    if (!holds) {
        throw InvariantBroken(what);
    }
}

}  // namespace tarvendo::fuzz
