#include "fuzz/FuzzTargets.h"

#include <algorithm>
#include <array>

namespace tarvendo::fuzz {

namespace {

constexpr std::array kTargets = {
    FuzzTarget{"frame_reader", fuzzFrameReader},
    FuzzTarget{"request", fuzzRequest},
    FuzzTarget{"answer", fuzzAnswer},
    FuzzTarget{"base64", fuzzBase64},
    FuzzTarget{"address", fuzzAddress},
    FuzzTarget{"client_server", fuzzClientServer},
    FuzzTarget{"game", fuzzGame},
};

}  // namespace

std::span<const FuzzTarget> fuzzTargets() {
    return kTargets;
}

const FuzzTarget* findFuzzTarget(std::string_view name) {
    const auto found =
        std::find_if(kTargets.begin(), kTargets.end(),
                     [name](const FuzzTarget& target) { return target.name == name; });
    return found == kTargets.end() ? nullptr : &*found;
}

}  // namespace tarvendo::fuzz
