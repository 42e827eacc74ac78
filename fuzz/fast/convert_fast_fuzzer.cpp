// libFuzzer target for ConvertBase on numerals of up to a few thousand units, where most carries
// and thresholds of the arithmetic live and every check, the naive reference included, is cheap.

#include <cstddef>
#include <cstdint>

#include "fuzz/convert_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr zif::fuzz::Lengths kLengths{zif::fuzz::kNaiveLimit, 0, zif::fuzz::kNaiveLimit,
                                                 false};
    const zif::fuzz::Input input = zif::fuzz::decode(data, size, kLengths);
    zif::fuzz::check(input.number, input.from, input.to);
    zif::fuzz::checkEdits(input.number, input.from, input.to);
    return 0;
}
