// libFuzzer target for ConvertBase on the longest numerals: every input is in the repeat mode,
// which makes numerals from past the fast target's reach up to just past the length limit,
// where the long products and their thresholds are.

#include <cstddef>
#include <cstdint>

#include "fuzz/convert_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zif::fuzz::checkLong(data, size);
    return 0;
}
