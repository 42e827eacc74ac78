#include "convert/wide_mul.h"

#include <bit>

namespace zif::detail {

namespace {

// floor((hi:lo) / d) for hi < d, d with its top bit set; only used to set up a Divisor.
Limb divideSlow(Limb hi, Limb lo, Limb d) {
#ifdef ZIF_HAVE_INT128
    return static_cast<Limb>(((static_cast<DoubleLimb>(hi) << 64) | lo) / d);
#else
    Limb quotient = 0;
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

}  // namespace

Divisor::Divisor(Limb d)
    : d_(d),
      shift_(static_cast<Limb>(std::countl_zero(d))),
      normal_(d << shift_),
      inverse_(divideSlow(~normal_, ~Limb{0}, normal_)) {}

}  // namespace zif::detail
