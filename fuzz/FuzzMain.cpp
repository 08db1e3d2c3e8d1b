#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>

#include "fuzz/Fuzz.h"

// One program per target, named by the build: libFuzzer drives it, or (in
// the normal build) it replays the files it is given.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarvendo::fuzz::TARVENDO_FUZZ_ENTRY({reinterpret_cast<const char*>(data), size});
    return 0;
}

#ifdef TARVENDO_FUZZ_REPLAY
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::cerr << "replaying " << argv[i] << '\n';  // the last one named failed
        std::ifstream in(argv[i], std::ios::binary);
        tarvendo::fuzz::TARVENDO_FUZZ_ENTRY(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    return argc > 1 ? 0 : 1;  // no inputs at all: a seed folder was renamed
}
#endif
