#include "convert/limbs.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <utility>

#include "convert/check.h"
#include "convert/limb_ops.h"

namespace zif::detail {

namespace {

#ifdef ZIF_HAVE_SSE2_PATHS
// Whether SSE2 sums the columns of a schoolbook product whose shorter operand has n limbs, or of
// n rows joined.
template <class Ops>
bool vectorColumns(const Ops& ops, std::size_t n) {
    if constexpr (std::is_same_v<Ops, PowerOps>)
        return ops.narrow() && n >= kVectorColumnsMin && useSse2();
    else
        return n >= kVectorBinaryMin && n <= kVectorBinaryMax && useSse2();
}
#endif

// Product scanning: one column of the product at a time, so that each column is reduced once.
template <class Ops>
void schoolbook(const Ops& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b,
                std::size_t nb) {
    if (na < nb) {
        std::swap(a, b);
        std::swap(na, nb);
    }
#ifdef ZIF_HAVE_SSE2_PATHS
    if (vectorColumns(ops, nb)) {
        if constexpr (std::is_same_v<Ops, PowerOps>)
            schoolbookVector(ops, r, a, na, b, nb);
        else
            schoolbookBinaryVector(r, a, na, b, nb);
        return;
    }
#endif
    // Binary limbs: a column starts from the last one's carry, and has no reduction to overlap.
    constexpr bool kBinary = std::is_same_v<Ops, BinaryOps>;
    scanProduct<kBinary>(ops, r, a, na, b, nb,
                         [&](Column& column, const Limb* x, const Limb* y, std::size_t n) {
                             addProducts<-1, !kBinary>(ops, column, x, y, n);
                         });
}

template <class Ops>
void multiply(const Ops& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
              Limb* scratch);

// r[0, total) = the Toom product of coefficients c_0 at r, the top one at r + (middle.size() + 1) k
// and the middle ones of m limbs each, c_1 first.
void addMiddleCoefficients(const BinaryOps& ops, Limb* r, std::size_t total, std::size_t k,
                           std::initializer_list<const Limb*> middle, std::size_t m) {
    std::fill(r + 2 * k, r + (middle.size() + 1) * k, Limb{0});
    std::size_t at = k;
    for (const Limb* c : middle) {
        // Limbs of c_j above the product's top are zero.
        [[maybe_unused]] const Limb carry =
            addInto(ops, r + at, total - at, c, std::min(m, total - at));
        ZIF_ASSERT(carry == 0);
        at += k;
    }
}

// r[0, n) = x[0, xn) + kFactor y[0, yn), or minus kFactor y when kSubtract, for xn, yn <= n
// (missing limbs are zero), in one pass; returns the carry out of r's top limb. r may be x or y.
template <bool kSubtract, Limb kFactor>
Limb addMultiple(const BinaryOps& ops, Limb* r, std::size_t n, const Limb* x, std::size_t xn,
                 const Limb* y, std::size_t yn) {
    Limb carry = 0, high = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Limb yi = i < yn ? y[i] : 0;
        Limb low;
        if constexpr (std::has_single_bit(kFactor)) {
            // A power of two: a shift, which takes fewer instructions than a product.
            constexpr int kShift = std::countr_zero(kFactor);
            static_assert(kShift > 0 && kShift < static_cast<int>(kLimbBits));
            low = (yi << kShift) | high;
            high = yi >> (kLimbBits - kShift);
        } else {
            low = ops.multiplyAdd(yi, kFactor, high);
        }
        r[i] = carryStep<kSubtract>(ops, i < xn ? x[i] : 0, low, carry);
    }
    return carry + high;
}

// v[0, n) /= kDivisor, where kDivisor divides v: a shift for a power of two, else from the bottom
// by the inverse of the divisor modulo the radix (a multiply per limb instead of a reciprocal
// division from the top). Binary limbs.
template <Limb kDivisor>
void divideExact(Limb* v, std::size_t n) {
    if constexpr (std::has_single_bit(kDivisor)) {
        constexpr int kShift = std::countr_zero(kDivisor);
        static_assert(kShift > 0 && kShift < static_cast<int>(kLimbBits));
        for (std::size_t i = 0; i + 1 < n; ++i)
            v[i] = (v[i] >> kShift) | (v[i + 1] << (kLimbBits - kShift));
        v[n - 1] >>= kShift;
    } else {
        // An odd divisor of the radix - 1 (3, 5): its inverse is (radix - 1) / d * (d - 1) + 1.
        constexpr Limb kInverse = ~Limb{0} / kDivisor * (kDivisor - 1) + 1;
        static_assert(~Limb{0} % kDivisor == 0 && static_cast<Limb>(kDivisor * kInverse) == 1);
        Limb borrow = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const Limb under = v[i] < borrow ? 1 : 0;
            const Limb q = (v[i] - borrow) * kInverse;
            v[i] = q;
            if constexpr (kDivisor == 3) {
                // floor(3 q / B) by two comparisons: the borrow is each limb's wait, and a
                // compare is quicker than the high half of a product.
                constexpr Limb kThird = ~Limb{0} / 3 + 1, kTwoThirds = ~Limb{0} / 3 * 2 + 1;
                borrow = (q >= kThird ? 1 : 0) + (q >= kTwoThirds ? 1 : 0) + under;
            } else {
                borrow = highHalf(productOf(q, kDivisor)) + under;
            }
        }
        ZIF_ASSERT(borrow == 0);
    }
}

// x[0, m) = (x - y[0, yn)) / kDivisor, which must divide the difference.
template <Limb kDivisor>
void subtractDivided(const BinaryOps& ops, Limb* x, std::size_t m, const Limb* y, std::size_t yn) {
    subtractFrom(ops, x, m, y, yn);
    divideExact<kDivisor>(x, m);
}

// a(t) and |a(-t)| into plus and minus, k + 1 limbs each, for t = 1 or 2 and a = a0 + a1 x +
// a2 x^2 + a3 x^3 (x = B^k) of `parts` parts (2 to 4; missing ones are zero), each of k limbs
// but the top one of `top`: with the even parts' sum E = a0 + t^2 a2 and the odd ones' O =
// t (a1 + t^2 a3), a(±t) = E ± O. O is a1 itself where it can be, else formed in `odd` (k + 1
// limbs). Returns whether a(-t) < 0.
template <Limb kT>
bool evaluateAtPlusMinus(const BinaryOps& ops, Limb* plus, Limb* minus, const Limb* a,
                         std::size_t k, std::size_t parts, std::size_t top, Limb* odd) {
    const auto length = [&](std::size_t i) -> std::size_t {
        return i + 1 < parts ? k : i + 1 == parts ? top : 0;
    };
    // r[0, k] = a_i + t^2 a_(i + 2), a_i of k limbs
    const auto partsSum = [&](Limb* r, std::size_t i) {
        const Limb* x = a + i * k;
        if constexpr (kT == 1)
            r[k] = addOrSubtract<false>(ops, r, x, k, x + 2 * k, length(i + 2));
        else
            r[k] = addMultiple<false, kT * kT>(ops, r, k, x, k, x + 2 * k, length(i + 2));
    };
    partsSum(plus, 0);
    const Limb* o = a + k;
    std::size_t oLength = length(1);
    if (kT != 1 || parts == 4) {
        partsSum(odd, 1);
        if constexpr (kT != 1) addMultiple<false, kT>(ops, odd, k + 1, nullptr, 0, odd, k + 1);
        o = odd;
        oLength = k + 1;
    }
    const bool negative = differenceOf(ops, minus, plus, k + 1, o, oLength);
    addInto(ops, plus, k + 1, o, oLength);
    return negative;
}

// From a product's values v(t) and |v(-t)| (negative: v(-t) < 0), m limbs each, in place: the
// sum of its even terms, (v(t) + v(-t)) / 2 = c0 + c2 t^2 + ..., and of its odd ones over t,
// (v(t) - v(-t)) / 2t = c1 + c3 t^2 + ... Kept out of line, where its callers' own passes
// compile better.
template <Limb kT>
[[gnu::noinline]] std::pair<Limb*, Limb*> evenAndOddTerms(const BinaryOps& ops, Limb* plus,
                                                          Limb* minus, bool negative,
                                                          std::size_t m) {
    Limb carry = 0, borrow = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const Limb p = plus[i], q = minus[i];  // v(t) >= |v(-t)|
        plus[i] = ops.add(p, q, carry);
        minus[i] = ops.subtract(p, q, borrow);
    }
    if (negative) std::swap(plus, minus);
    divideExact<2>(plus, m);
    divideExact<2 * kT>(minus, m);
    return {plus, minus};
}

// r[0, xn) = x - y when subtract, else x + y, for y of yn <= xn limbs; returns the carry out.
Limb addOrSubtract(const BinaryOps& ops, bool subtract, Limb* r, const Limb* x, std::size_t xn,
                   const Limb* y, std::size_t yn) {
    return subtract ? addOrSubtract<true>(ops, r, x, xn, y, yn)
                    : addOrSubtract<false>(ops, r, x, xn, y, yn);
}

// The scratch that each method takes for itself, before the products it calls take theirs; each
// layout below asserts that it ends there. Karatsuba, for halves of h limbs: the middle product,
// then the differences, the second with room for the outer products' carry (a slice of an
// unbalanced product, b of nb <= h limbs, takes less). The Toom methods, for parts of k limbs:
// their evaluations (k + 1 limbs), then their products of two evaluations (2 k + 2 limbs),
// Toom-4's with one more of that length for the interpolation; Toom-32 leaves Toom-3's third
// product unused.
constexpr std::size_t karatsubaScratch(std::size_t h) {
    return 2 * h + h + (h + 1);
}
constexpr std::size_t toom3Scratch(std::size_t k) {
    return 4 * (k + 1) + 3 * (2 * k + 2);
}
constexpr std::size_t toom4Scratch(std::size_t k) {
    return 10 * (k + 1) + 6 * (2 * k + 2);
}

// Toom-3 with a = a0 + a1 x + a2 x^2 (x = B^k), b likewise, and c = a b = c0 + ... + c4 x^4,
// evaluated at 0, 1, -1, 2 and infinity, the value at -1 carried as a magnitude with a sign, and
// interpolated by Bodrato's sequence (seven additive steps, one exact division by 3 and two by
// 2). Binary limbs only: in a power radix the exact divisions cost a radix division per limb.
// Done over unreduced columns instead (six times each coefficient, one division by 6 of the
// reduced product), the interpolation over three-limb columns and the longer reduction take what
// the products save, even at a thousand limbs. a2 and b2 must be non-empty (nb > 2k).
//
// With kPartsB = 2, Toom-32 for operands of about 3:2, as the powers of ten in binary limbs make
// them (their low zero limbs left out): b = b0 + b1 x, and the product c0 + c1 x + c2 x^2 + c3 x^3
// from its values at 0, 1, -1 and infinity. That is four products of k limbs, where Karatsuba,
// halving a, leaves two of its three products longer than b's halves. a2 and b1 must be
// non-empty.
template <std::size_t kPartsB>
void toom3(const BinaryOps& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b,
           std::size_t nb, Limb* scratch) {
    const std::size_t k = kPartsB == 3 ? (na + 2) / 3 : std::max((na + 2) / 3, (nb + 1) / 2);
    const std::size_t na2 = na - 2 * k, nbTop = nb - (kPartsB - 1) * k, nTop = na2 + nbTop;
    const std::size_t m = 2 * k + 2;  // limbs of a product of two evaluations
    Limb* plusA = scratch;            // a(1), then a1 + 2 a2
    Limb* plusB = plusA + (k + 1);
    Limb* minusA = plusB + (k + 1);  // |a(-1)|, then a(2)
    Limb* minusB = minusA + (k + 1);
    Limb* v1 = minusB + (k + 1);
    Limb* vm1 = v1 + m;
    Limb* v2 = vm1 + m;
    Limb* rest = v2 + m;
    ZIF_ASSERT(rest == scratch + toom3Scratch(k));

    const bool vm1Negative =
        evaluateAtPlusMinus<1>(ops, plusA, minusA, a, k, 3, na2, nullptr) !=
        evaluateAtPlusMinus<1>(ops, plusB, minusB, b, k, kPartsB, nbTop, nullptr);
    multiply(ops, vm1, minusA, k + 1, minusB, k + 1, rest);
    multiply(ops, v1, plusA, k + 1, plusB, k + 1, rest);
    Limb* c0 = r;
    Limb* top = r + (kPartsB + 1) * k;
    multiply(ops, c0, a, k, b, k, rest);
    multiply(ops, top, a + 2 * k, na2, b + (kPartsB - 1) * k, nbTop, rest);
    if constexpr (kPartsB == 2) {
        // even = c0 + c2, odd = c1 + c3
        const auto [even, odd] = evenAndOddTerms<1>(ops, v1, vm1, vm1Negative, m);
        subtractFrom(ops, even, m, c0, 2 * k);
        subtractFrom(ops, odd, m, top, nTop);
        addMiddleCoefficients(ops, r, na + nb, k, {odd, even}, m);
        return;
    }
    // a(2) = a0 + 2 (a1 + 2 a2), below 7 x.
    plusA[k] = addMultiple<false, 2>(ops, plusA, k, a + k, k, a + 2 * k, na2);
    addMultiple<false, 2>(ops, minusA, k + 1, a, k, plusA, k + 1);
    plusB[k] = addMultiple<false, 2>(ops, plusB, k, b + k, k, b + 2 * k, nbTop);
    addMultiple<false, 2>(ops, minusB, k + 1, b, k, plusB, k + 1);
    multiply(ops, v2, minusA, k + 1, minusB, k + 1, rest);

    // v2 = (v2 - v(-1)) / 3 = c1 + c2 + 3 c3 + 5 c4
    addOrSubtract(ops, !vm1Negative, v2, v2, m, vm1, m);
    divideExact<3>(v2, m);
    // vm1 = (v1 - v(-1)) / 2 = c1 + c3
    addOrSubtract(ops, !vm1Negative, vm1, v1, m, vm1, m);
    divideExact<2>(vm1, m);
    // v1 = v1 - c0 = c1 + c2 + c3 + c4
    subtractFrom(ops, v1, m, c0, 2 * k);
    // v2 = (v2 - v1) / 2 - 2 c4 = c3
    subtractDivided<2>(ops, v2, m, v1, m);
    addMultiple<true, 2>(ops, v2, m, v2, m, top, nTop);
    // v1 = v1 - vm1 - c4 = c2, vm1 = vm1 - c3 = c1
    subtractFrom(ops, v1, m, vm1, m);
    subtractFrom(ops, v1, m, top, nTop);
    subtractFrom(ops, vm1, m, v2, m);
    addMiddleCoefficients(ops, r, na + nb, k, {vm1, v1, v2}, m);
}

// a(1), |a(-1)|, a(2), |a(-2)| and 8 a(1/2) into values[0, 5), k + 1 limbs each, for
// a = a0 + a1 x + a2 x^2 + a3 x^3 with a3 of n3 limbs; returns in bit 0 whether a(-1) < 0, in
// bit 1 whether a(-2) < 0. odd is k + 1 limbs of scratch.
unsigned toom4Evaluate(const BinaryOps& ops, Limb* const values[5], const Limb* a, std::size_t k,
                       std::size_t n3, Limb* odd) {
    const unsigned signs = evaluateAtPlusMinus<1>(ops, values[0], values[1], a, k, 4, n3, odd) |
                           evaluateAtPlusMinus<2>(ops, values[2], values[3], a, k, 4, n3, odd) << 1;
    // 8 a(1/2) = a3 + 2 (a2 + 2 (a1 + 2 a0)), below 15 x.
    values[4][k] = addMultiple<false, 2>(ops, values[4], k, a + k, k, a, k);
    addMultiple<false, 2>(ops, values[4], k + 1, a + 2 * k, k, values[4], k + 1);
    addMultiple<false, 2>(ops, values[4], k + 1, a + 3 * k, n3, values[4], k + 1);
    return signs;
}

// Toom-4 with a = a0 + a1 x + a2 x^2 + a3 x^3 (x = B^k), b likewise, and c = a b =
// c0 + ... + c6 x^6, evaluated at 0, 1, -1, 2, -2, 1/2 (scaled by 2^6) and infinity. The two
// negative points are carried as magnitudes with a sign; every other quantity of the
// interpolation is a non-negative combination of the c_i. Binary limbs only; a3 and b3 must be
// non-empty (nb > 3k).
void toom4(const BinaryOps& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b,
           std::size_t nb, Limb* scratch) {
    const std::size_t k = (na + 3) / 4;
    const std::size_t na3 = na - 3 * k, nb3 = nb - 3 * k, n6 = na3 + nb3;
    const std::size_t m = 2 * k + 2;  // limbs of a product of two evaluations
    Limb* valuesA[5];
    Limb* valuesB[5];
    Limb* v[5];
    for (std::size_t i = 0; i < 5; ++i) {
        valuesA[i] = scratch + i * (k + 1);
        valuesB[i] = valuesA[i] + 5 * (k + 1);
        v[i] = scratch + 10 * (k + 1) + i * m;
    }
    Limb* c3 = v[4] + m;
    Limb* rest = c3 + m;
    ZIF_ASSERT(rest == scratch + toom4Scratch(k));
    const unsigned signs =
        toom4Evaluate(ops, valuesA, a, k, na3, v[0]) ^ toom4Evaluate(ops, valuesB, b, k, nb3, v[0]);
    for (std::size_t i = 0; i < 5; ++i)
        multiply(ops, v[i], valuesA[i], k + 1, valuesB[i], k + 1, rest);
    Limb* c0 = r;
    Limb* c6 = r + 6 * k;
    multiply(ops, c0, a, k, b, k, rest);
    multiply(ops, c6, a + 3 * k, na3, b + 3 * k, nb3, rest);

    // e1 = c0 + c2 + c4 + c6, o1 = c1 + c3 + c5; e2 = c0 + 4 c2 + 16 c4 + 64 c6,
    // o2 = c1 + 4 c3 + 16 c5.
    const auto [e1, o1] = evenAndOddTerms<1>(ops, v[0], v[1], (signs & 1) != 0, m);
    const auto [e2, o2] = evenAndOddTerms<2>(ops, v[2], v[3], (signs & 2) != 0, m);
    // e1 = c2 + c4; e2 = c2 + 4 c4; then c4 = (e2 - e1) / 3 in e2, c2 = e1 - c4 in e1.
    subtractFrom(ops, e1, m, c0, 2 * k);
    subtractFrom(ops, e1, m, c6, n6);
    subtractFrom(ops, e2, m, c0, 2 * k);
    addMultiple<true, 64>(ops, e2, m, e2, m, c6, n6);
    divideExact<4>(e2, m);
    subtractDivided<3>(ops, e2, m, e1, m);
    subtractFrom(ops, e1, m, e2, m);
    Limb* c2 = e1;
    Limb* c4 = e2;
    // h = (v(1/2) - 64 c0 - 16 c2 - 4 c4 - c6) / 2 = 16 c1 + 4 c3 + c5.
    Limb* h = v[4];
    addMultiple<true, 64>(ops, h, m, h, m, c0, 2 * k);
    addMultiple<true, 16>(ops, h, m, h, m, c2, m);
    addMultiple<true, 4>(ops, h, m, h, m, c4, m);
    subtractDivided<2>(ops, h, m, c6, n6);
    // p = (h - o1) / 3 = 5 c1 + c3, q = (o2 - o1) / 3 = c3 + 5 c5, c3 = (5 o1 - p - q) / 3.
    subtractDivided<3>(ops, h, m, o1, m);
    subtractDivided<3>(ops, o2, m, o1, m);
    addMultiple<false, 5>(ops, c3, m, nullptr, 0, o1, m);
    subtractFrom(ops, c3, m, h, m);
    subtractDivided<3>(ops, c3, m, o2, m);
    // c1 = (p - c3) / 5, c5 = (q - c3) / 5.
    subtractDivided<5>(ops, h, m, c3, m);
    subtractDivided<5>(ops, o2, m, c3, m);
    addMiddleCoefficients(ops, r, na + nb, k, {h, c2, c3, c4, o2}, m);
}

// Karatsuba for binary limbs, na >= nb, or slices of a as long as b where b is too short for it.
void karatsuba(const BinaryOps& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b,
               std::size_t nb, Limb* scratch) {
    const std::size_t h = (na + 1) / 2;
    if (nb <= h) {
        // Too unbalanced to split both: multiply b by slices of a as long as b.
        std::fill(r, r + na + nb, Limb{0});
        Limb* slice = scratch;
        for (std::size_t at = 0; at < na; at += nb) {
            const std::size_t length = std::min(nb, na - at);
            multiply(ops, slice, a + at, length, b, nb, scratch + 2 * nb);
            addInto(ops, r + at, na + nb - at, slice, length + nb);
        }
        return;
    }
    // Karatsuba: a0 b0 + (a0 b0 + a1 b1 + (a0 - a1)(b1 - b0)) B^h + a1 b1 B^2h. The differences,
    // unlike the sums, stay within h limbs, so the middle product is no longer than the others.
    Limb* middle = scratch;
    Limb* differenceA = middle + 2 * h;
    Limb* differenceB = differenceA + h;
    Limb* rest = differenceB + h + 1;
    ZIF_ASSERT(rest == scratch + karatsubaScratch(h));
    const bool a0BelowA1 = differenceOf(ops, differenceA, a, h, a + h, na - h);
    const bool b0BelowB1 = differenceOf(ops, differenceB, b, h, b + h, nb - h);
    multiply(ops, middle, differenceA, h, differenceB, h, rest);
    multiply(ops, r, a, h, b, h, rest);
    multiply(ops, r + 2 * h, a + h, na - h, b + h, nb - h, rest);
    // The sum of the outer products takes the differences' place.
    Limb* outer = differenceA;
    outer[2 * h] = addOrSubtract<false>(ops, outer, r, 2 * h, r + 2 * h, na + nb - 2 * h);
    // (a0 - a1)(b1 - b0) is negative (or zero) when a0 < a1 and b0 < b1, or neither.
    addOrSubtract(ops, a0BelowA1 == b0BelowB1, outer, outer, 2 * h + 1, middle, 2 * h);
    // a0 b1 + a1 b0 ends below r's top; its higher limbs are zero.
    [[maybe_unused]] const Limb carry =
        addInto(ops, r + h, na + nb - h, outer, std::min(2 * h + 1, na + nb - h));
    ZIF_ASSERT(carry == 0);
}

template <class Ops>
void multiply(const Ops& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
              Limb* scratch) {
    if (na < nb) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    if (nb < Ops::kSchoolbookThreshold) {
        schoolbook(ops, r, a, na, b, nb);
    } else if constexpr (std::is_same_v<Ops, PowerOps>) {
        Limb* c = scratch;
        columns::multiply(ops, c, a, na, b, nb, c + columns::kWidth * (na + nb - 1));
        columns::normalize(ops, r, na + nb, c, na + nb - 1);
    } else if (nb >= kToom4ThresholdBinary && nb > 3 * ((na + 3) / 4)) {
        toom4(ops, r, a, na, b, nb, scratch);
    } else if (nb >= kToom3ThresholdBinary && nb > 2 * ((na + 2) / 3)) {
        toom3<3>(ops, r, a, na, b, nb, scratch);
    } else if (nb >= kToom32ThresholdBinary && 4 * na >= 5 * nb && 2 * nb > na + 1) {
        toom3<2>(ops, r, a, na, b, nb, scratch);
    } else {
        karatsuba(ops, r, a, na, b, nb, scratch);
    }
}

template <class F>
decltype(auto) withOps(const Radix& radix, F&& f) {
    if (radix.isBinary()) return f(BinaryOps{});
    return f(PowerOps{radix.base(), &radix.divisor()});
}

// Every product below multiply() for binary limbs has at most as many limbs as the parts it is
// called with, plus one, and a part's scratch grows with its length: the largest method that n
// reaches sets the size.
std::size_t binaryScratch(std::size_t n) {
    if (n < kKaratsubaThresholdBinary) return 0;
    const std::size_t h = (n + 1) / 2;
    std::size_t size = karatsubaScratch(h) + binaryScratch(h);
    // Toom-32 (toom3() with b in two parts) has parts of at most h limbs, Toom-3 of a third: from
    // its threshold on, Toom-32's layout covers Toom-3's.
    static_assert(kToom3ThresholdBinary >= kToom32ThresholdBinary);
    if (n >= kToom32ThresholdBinary) size = std::max(size, toom3Scratch(h) + binaryScratch(h + 1));
    const std::size_t quarter = (n + 3) / 4;
    if (n >= kToom4ThresholdBinary)
        size = std::max(size, toom4Scratch(quarter) + binaryScratch(quarter + 1));
    return size;
}

}  // namespace

std::size_t multiplyScratch(std::size_t n) {
    // Power radix: the product's columns, then theirs.
    const std::size_t power =
        n < kColumnsThresholdPower ? 0 : columns::kWidth * (2 * n - 1) + columns::scratch(n);
    return std::max(power, binaryScratch(n));
}

void multiplySchoolbook(const Radix& radix, Limb* r, const Limb* a, std::size_t na, const Limb* b,
                        std::size_t nb) {
    withOps(radix, [&](const auto& ops) { schoolbook(ops, r, a, na, b, nb); });
}

void multiply(const Radix& radix, Limb* r, const Limb* a, std::size_t na, const Limb* b,
              std::size_t nb, Limb* scratch) {
    withOps(radix, [&](const auto& ops) { multiply(ops, r, a, na, b, nb, scratch); });
}

Limb multiplyAddSmall(const Radix& radix, Limb* v, std::size_t n, Limb factor, Limb addend) {
    return withOps(radix, [&](const auto& ops) {
        Limb carry = addend;
        for (std::size_t i = 0; i < n; ++i) v[i] = ops.multiplyAdd(v[i], factor, carry);
        return carry;
    });
}

void combineRows(const Radix& radix, Limb* r, const Limb* factors, std::size_t n,
                 const Limb* powers, std::size_t stride) {
    withOps(radix, [&](const auto& ops) {
#ifdef ZIF_HAVE_SSE2_PATHS
        if (vectorColumns(ops, n)) {
            if constexpr (std::is_same_v<std::decay_t<decltype(ops)>, PowerOps>)
                combineRowsVector(ops, r, factors, n, powers, stride);
            else
                combineRowsBinaryVector(r, factors, n, powers, stride);
            return;
        }
#endif
        scanRows(ops, r, factors, n, powers, stride,
                 [&](Column& column, const Limb* x, const Limb* y, std::size_t count) {
                     addProducts<1, false>(ops, column, x, y, count);
                 });
    });
}

Limb divideSmall(const Radix& radix, Limb* v, std::size_t n, Limb divisor) {
    const Divisor by(divisor);
    Limb remainder = 0;
    for (std::size_t i = n; i-- > 0;) {
        // remainder * radix + v[i] < divisor * radix: its high limb stays below the divisor.
        const DoubleLimb dividend = radix.isBinary() ? joinHalves(remainder, v[i])
                                                     : productOf(remainder, radix.base()) + v[i];
        v[i] = by.divide(highHalf(dividend), lowHalf(dividend), remainder);
    }
    return remainder;
}

Limb addInto(const Radix& radix, Limb* r, std::size_t rn, const Limb* x, std::size_t xn) {
    return withOps(radix, [&](const auto& ops) { return addInto(ops, r, rn, x, xn); });
}

Limb subtractFrom(const Radix& radix, Limb* r, std::size_t rn, const Limb* x, std::size_t xn) {
    return withOps(radix, [&](const auto& ops) { return subtractFrom(ops, r, rn, x, xn); });
}

}  // namespace zif::detail
