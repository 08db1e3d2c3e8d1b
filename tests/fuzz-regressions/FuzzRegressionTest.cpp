#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzTargets.h"
#include "fuzz/Invariant.h"

namespace tarvendo::fuzz {

void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Feeds every file of the folder, if there is one, to the target; how many
// there were.
std::size_t replay(const FuzzTarget& target, const fs::path& folder) {
    std::size_t count = 0;
    if (!fs::exists(folder)) {
        return count;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::vector<std::uint8_t> input = contentsOf(entry.path());
        try {
            target.entry(input.data(), input.size());
        } catch (const InvariantBroken& broken) {
            ADD_FAILURE() << entry.path() << ": " << broken.what();
        }
        ++count;
    }
    return count;
}

class FuzzReplayTest : public ::testing::TestWithParam<FuzzTarget> {};

// Former failures live in a folder named after their target.
TEST_P(FuzzReplayTest, SeedsAndFormerFailuresKeepEveryInvariant) {
    const FuzzTarget& target = GetParam();
    EXPECT_GT(replay(target, fs::path(TARVENDO_FUZZ_SEEDS) / target.name), 0u)
        << "every target has committed seeds";
    replay(target, fs::path(TARVENDO_FUZZ_REGRESSIONS) / target.name);
}

INSTANTIATE_TEST_SUITE_P(AllTargets, FuzzReplayTest,
                         ::testing::ValuesIn(fuzzTargets().begin(), fuzzTargets().end()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvendo::fuzz
