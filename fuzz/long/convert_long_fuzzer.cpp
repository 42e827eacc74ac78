// libFuzzer target for ConvertBase on the longest numerals: every input is in the repeat mode,
// which makes numerals from past the fast target's reach up to just past the length limit,
// where the long products and their thresholds are.

#include <cstddef>
#include <cstdint>

#include "convert/convert_base.h"
#include "fuzz/convert_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr zif::fuzz::Lengths kLengths{2 * zif::kMaxNumeralLength, 2000,
                                                 zif::kMaxNumeralLength + 16, true};
    const zif::fuzz::Input input = zif::fuzz::decode(data, size, kLengths);
    zif::fuzz::check(input.number, input.from, input.to);
    return 0;
}
