#pragma once

#include <stdexcept>
#include <string>

namespace tarvendo::fuzz {

// A property that every input must keep was broken. Uncaught, it ends a
// libFuzzer run as a crash (and the input is kept); the regression test
// catches it and names the input.
class InvariantBroken : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

void require(bool holds, const std::string& what);

}  // namespace tarvendo::fuzz
