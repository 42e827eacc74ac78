// The fuzzers' committed corpora run through their checks without libFuzzer, so that every
// build of the conversion, its 32-bit arithmetic and the Windows programs included, meets the
// inputs that the fuzzers found reaching its carries and thresholds. A failed check prints the
// input's bases and units and ends the program.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/convert_harness.h"

namespace zif {
namespace {

// Runs `check` on every file of the corpus folder `name`; returns how many there were.
template <class Check>
std::size_t replay(const char* name, Check check) {
    std::size_t count = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(ZIF_FUZZ_CORPUS) / name)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
        check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++count;
    }
    return count;
}

TEST(ConvertCorpus, FastTargetsInputsPassItsChecks) {
    EXPECT_GT(replay("fast", fuzz::checkFast), 0u);
    EXPECT_GT(replay("seeds", fuzz::checkFast), 0u);
}

TEST(ConvertCorpus, LongTargetsInputsPassItsChecks) {
    EXPECT_GT(replay("long", fuzz::checkLong), 0u);
    EXPECT_GT(replay("seeds", fuzz::checkLong), 0u);
}

}  // namespace
}  // namespace zif
