#include <cstdio>
#include <cstdlib>

#include "fuzz/FuzzTargets.h"

// One libFuzzer program per target; the build names the target.
namespace {

const tarvendo::fuzz::FuzzTarget& namedTarget() {
    const tarvendo::fuzz::FuzzTarget* target = tarvendo::fuzz::findFuzzTarget(TARVENDO_FUZZ_TARGET);
    if (target == nullptr) {
        std::fprintf(stderr, "no fuzz target named %s\n", TARVENDO_FUZZ_TARGET);
        std::abort();
    }
    return *target;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tarvendo::fuzz::FuzzTarget& target = namedTarget();
    target.entry(data, size);
    return 0;
}
