#include "convert/words.h"

namespace zif::detail {

std::uint32_t divideSlow(std::uint32_t hi, std::uint32_t lo, std::uint32_t d) {
    return static_cast<std::uint32_t>(joinHalves(hi, lo) / d);
}

std::uint64_t divideSlow(std::uint64_t hi, std::uint64_t lo, std::uint64_t d) {
#ifdef ZIF_HAVE_INT128
    __extension__ typedef unsigned __int128 Native;
    return static_cast<std::uint64_t>(((static_cast<Native>(hi) << 64) | lo) / d);
#else
    std::uint64_t quotient = 0;
    for (int bit = 63; bit >= 0; --bit) {
        const bool carry = (hi >> 63) != 0;
        hi = (hi << 1) | (lo >> 63);
        lo <<= 1;
        quotient <<= 1;
        if (carry || hi >= d) {
            hi -= d;
            quotient |= 1;
        }
    }
    return quotient;
#endif
}

}  // namespace zif::detail
