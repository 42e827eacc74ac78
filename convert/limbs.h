#pragma once

// Arithmetic on natural numbers held as little-endian limb arrays (pointer + size). A limb is a
// machine word and a digit of the radix: 2^kLimbBits for binary numbers, or the largest power
// of a small base below it (10^19 or 10^9 for decimal) so that a number can be written out digit
// by digit without dividing the whole number.

#include <cstddef>

#include "convert/thresholds.h"
#include "convert/words.h"

namespace zif::detail {

// The radix of a limb array: 2^kLimbBits, or a power of a base that fits a limb.
class Radix {
public:
    // Limbs of 2^kLimbBits.
    static Radix binary() { return Radix(); }
    // Limbs of `base`, which must be at least 2.
    static Radix power(Limb base) { return Radix(base); }

    bool isBinary() const { return base_ == 0; }
    // The radix, or 0 for 2^kLimbBits.
    Limb base() const { return base_; }
    const Divisor& divisor() const { return divisor_; }

private:
    Radix() : base_(0), divisor_(1) {}
    explicit Radix(Limb base) : base_(base), divisor_(base) {}

    Limb base_;
    Divisor divisor_;
};

// From this many limbs in the smaller operand on, multiply() leaves the schoolbook product.
inline std::size_t schoolbookThreshold(const Radix& radix) {
    return radix.isBinary() ? kKaratsubaThresholdBinary : kColumnsThresholdPower;
}

// Limbs of scratch that multiply() needs when the larger operand has n limbs.
std::size_t multiplyScratch(std::size_t n);

// r[0, na + nb) = a * b by the schoolbook method; r must not overlap a or b; na, nb >= 1.
void multiplySchoolbook(const Radix& radix, Limb* r, const Limb* a, std::size_t na, const Limb* b,
                        std::size_t nb);

// r[0, na + nb) = a * b: from schoolbookThreshold(radix) on, binary limbs by Karatsuba, Toom-32,
// Toom-3 and Toom-4 (from their thresholds), a power radix in unreduced columns. r must not
// overlap a, b or scratch; scratch holds multiplyScratch(max(na, nb)) limbs; na, nb >= 1.
void multiply(const Radix& radix, Limb* r, const Limb* a, std::size_t na, const Limb* b,
              std::size_t nb, Limb* scratch);

// v[0, n) = v * factor + addend; returns the limb carried out. factor and addend below the radix.
Limb multiplyAddSmall(const Radix& radix, Limb* v, std::size_t n, Limb factor, Limb addend);

// r[0, n) = the sum of factors[i] * x^i for i < n, where x is a number below the radix and
// powers holds its powers limb-major: limb k of x^i at powers[k * stride + i] (zero for k > i),
// so that the products of a column lie side by side. Each limb of the sum is reduced once,
// where n multiply-adds of one limb by x would reduce every limb n times. The sum must be below
// radix^n.
void combineRows(const Radix& radix, Limb* r, const Limb* factors, std::size_t n,
                 const Limb* powers, std::size_t stride);

// v[0, n) /= divisor, from the top limb down; returns the remainder. divisor below 2^32 and
// not above the radix.
Limb divideSmall(const Radix& radix, Limb* v, std::size_t n, Limb divisor);

// r[0, rn) += x[0, xn) with xn <= rn; returns the carry out of r's top limb.
Limb addInto(const Radix& radix, Limb* r, std::size_t rn, const Limb* x, std::size_t xn);

// r[0, rn) -= x[0, xn) with xn <= rn; returns the borrow out of r's top limb.
Limb subtractFrom(const Radix& radix, Limb* r, std::size_t rn, const Limb* x, std::size_t xn);

// Number of limbs without the zero limbs on top (at least 1).
inline std::size_t significantLimbs(const Limb* v, std::size_t n) {
    while (n > 1 && v[n - 1] == 0) --n;
    return n;
}

}  // namespace zif::detail
