#pragma once

#include <cstdint>

// 64x64->128 multiply and 128/64 division. Compilers for 64-bit targets offer unsigned __int128;
// 32-bit MinGW does not, so the portable path is always compiled and can be forced with
// ZIF_PORTABLE_ARITHMETIC to test it on x86-64.
#if defined(__SIZEOF_INT128__) && !defined(ZIF_PORTABLE_ARITHMETIC)
#define ZIF_HAVE_INT128 1
#endif

namespace zif::detail {

using Limb = std::uint64_t;
#ifdef ZIF_HAVE_INT128
__extension__ typedef unsigned __int128 DoubleLimb;
#endif

struct Wide {
    Limb hi;
    Limb lo;
};

inline Wide mulWide(Limb a, Limb b) {
#ifdef ZIF_HAVE_INT128
    const DoubleLimb p = static_cast<DoubleLimb>(a) * b;
    return {static_cast<Limb>(p >> 64), static_cast<Limb>(p)};
#else
    const Limb a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
    const Limb b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const Limb p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const Limb middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xFFFFFFFFu)};
#endif
}

// Divisor with its precomputed reciprocal, for division without a hardware divide
// (Moeller & Granlund, "Improved division by invariant integers", 2011). A 128/64 divide
// costs tens of cycles; the reciprocal turns it into two multiplies.
class Divisor {
public:
    explicit Divisor(Limb d);

    Limb value() const { return d_; }

    // Divides hi:lo by the divisor, where hi < value(); returns the quotient, stores the remainder.
    // Inline: it runs once per limb in the inner loops of non-binary limb arithmetic, where a
    // call costs a third of the division.
    Limb divide(Limb hi, Limb lo, Limb& remainder) const {
        if (shift_ != 0) {
            hi = (hi << shift_) | (lo >> (64 - shift_));
            lo <<= shift_;
        }
        const Wide estimate = mulWide(inverse_, hi);
        const Limb qlo = estimate.lo + lo;
        Limb qhi = estimate.hi + hi + 1 + (qlo < lo ? 1 : 0);
        Limb r = lo - qhi * normal_;
        // Taken about half the time on random limbs: a mispredicted branch here cost 30% of
        // the decimal multiplication, the mask costs two instructions.
        const Limb over = Limb{0} - static_cast<Limb>(r > qlo);
        qhi += over;
        r += normal_ & over;
        if (r >= normal_) {  // rare
            ++qhi;
            r -= normal_;
        }
        remainder = r >> shift_;
        return qhi;
    }

private:
    Limb d_;        // the divisor as given
    Limb shift_;    // leading zero bits of d_
    Limb normal_;   // d_ << shift_, top bit set
    Limb inverse_;  // floor((2^128 - 1) / normal_) - 2^64
};

}  // namespace zif::detail
