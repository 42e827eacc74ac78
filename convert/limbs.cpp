#include "convert/limbs.h"

#include <algorithm>
#include <bit>
#include <cstring>
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
    if constexpr (std::is_same_v<Ops, BinaryOps>) {
        scanProduct<true>(ops, r, a, na, b, nb,
                          [&](Column& column, const Limb* x, const Limb* y, std::size_t n) {
                              addProducts<-1, false>(ops, column, x, y, n);
                          });
    } else {
        scanProduct<false>(ops, r, a, na, b, nb,
                           [&](Column& column, const Limb* x, const Limb* y, std::size_t n) {
                               addProducts<-1, true>(ops, column, x, y, n);
                           });
    }
}

// r[0, n] = x0 + f1 x1 + f2 x2, each x_i of n limbs or fewer (missing limbs are zero).
template <class Ops>
void combine(const Ops& ops, Limb* r, std::size_t n, const Limb* x0, std::size_t n0, Limb f1,
             const Limb* x1, std::size_t n1, Limb f2, const Limb* x2, std::size_t n2) {
    Column column;
    for (std::size_t i = 0; i < n; ++i) {
        if (i < n0) column.add(x0[i], 1);
        if (i < n1) column.add(x1[i], f1);
        if (i < n2) column.add(x2[i], f2);
        r[i] = ops.reduce(column);
    }
    r[n] = column.l0();
}

// r[0, n] = x[0, n) * factor.
template <class Ops>
void multiplySmallTo(const Ops& ops, Limb* r, const Limb* x, std::size_t n, Limb factor) {
    Limb carry = 0;
    for (std::size_t i = 0; i < n; ++i) r[i] = ops.multiplyAdd(x[i], factor, carry);
    r[n] = carry;
}

template <class Ops>
void multiply(const Ops& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
              Limb* scratch);

// Adds the middle coefficients c_1 .. c_count of a Toom product, m limbs each, at r + j k, where
// r[0, total) holds c_0 and the top coefficient with zeros between them.
template <class Ops>
void addMiddleCoefficients(const Ops& ops, Limb* r, std::size_t total, std::size_t k,
                           const Limb* const* middle, std::size_t count, std::size_t m) {
    for (std::size_t j = 1; j <= count; ++j) {
        // Limbs of c_j above the product's top are zero.
        [[maybe_unused]] const Limb carry =
            addInto(ops, r + j * k, total - j * k, middle[j - 1], std::min(m, total - j * k));
        ZIF_ASSERT(carry == 0);
    }
}

// r[0, n] = x[0, xn) + 2 y[0, yn) for xn, yn <= n, in one pass.
void addDoubled(const BinaryOps& ops, Limb* r, std::size_t n, const Limb* x, std::size_t xn,
                const Limb* y, std::size_t yn) {
    Limb carry = 0, shiftedOut = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Limb yi = i < yn ? y[i] : 0;
        r[i] = ops.add(i < xn ? x[i] : 0, (yi << 1) | shiftedOut, carry);
        shiftedOut = yi >> (kLimbBits - 1);
    }
    r[n] = carry + shiftedOut;
}

// r[0, rn) -= 2 y[0, yn) for yn < rn, in one pass; the difference must not be negative.
void subtractDoubled(const BinaryOps& ops, Limb* r, std::size_t rn, const Limb* y, std::size_t yn) {
    Limb borrow = 0, shiftedOut = 0;
    std::size_t i = 0;
    for (; i < yn; ++i) {
        r[i] = ops.subtract(r[i], (y[i] << 1) | shiftedOut, borrow);
        shiftedOut = y[i] >> (kLimbBits - 1);
    }
    for (; i < rn && (borrow | shiftedOut) != 0; ++i, shiftedOut = 0)
        r[i] = ops.subtract(r[i], shiftedOut, borrow);
}

// x, y = x + y, x - y, in one pass, for x >= y of n limbs.
void sumAndDifference(const BinaryOps& ops, Limb* x, Limb* y, std::size_t n) {
    Limb carry = 0, borrow = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Limb xi = x[i], yi = y[i];
        x[i] = ops.add(xi, yi, carry);
        y[i] = ops.subtract(xi, yi, borrow);
    }
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
// their evaluations (k + 1 limbs; Toom-3's and Toom-4's with room for a carry, Toom-4's with two
// intermediate sums), then their products of two evaluations (2 k + 2 limbs), Toom-4's with two
// more of that length for the interpolation.
constexpr std::size_t karatsubaScratch(std::size_t h) {
    return 2 * h + h + (h + 1);
}
constexpr std::size_t toom32Scratch(std::size_t k) {
    return 4 * (k + 1) + 2 * (2 * k + 2);
}
constexpr std::size_t toom3Scratch(std::size_t k) {
    return 4 * (k + 2) + 3 * (2 * k + 2);
}
constexpr std::size_t toom4Scratch(std::size_t k) {
    return 12 * (k + 2) + 7 * (2 * k + 2);
}

// Toom-3 with a = a0 + a1 x + a2 x^2 (x = B^k), b likewise, and c = a b = c0 + ... + c4 x^4,
// evaluated at 0, 1, -1, 2 and infinity, the value at -1 carried as a magnitude with a sign, and
// interpolated by Bodrato's sequence (seven additive steps, one exact division by 3 and two by
// 2). Binary limbs only: in a power radix the exact divisions cost a radix division per limb.
// Done over unreduced columns instead (six times each coefficient, one division by 6 of the
// reduced product), the interpolation over three-limb columns and the longer reduction take what
// the products save, even at a thousand limbs. a2 and b2 must be non-empty (nb > 2k).
void toom3(const BinaryOps& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b,
           std::size_t nb, Limb* scratch) {
    const std::size_t k = (na + 2) / 3;
    const std::size_t na2 = na - 2 * k, nb2 = nb - 2 * k, n4 = na2 + nb2;
    const std::size_t m = 2 * k + 2;  // limbs of a product of two evaluations
    Limb* evenA = scratch;            // a0 + a2, then a(1), then a1 + 2 a2
    Limb* evenB = evenA + (k + 2);
    Limb* otherA = evenB + (k + 2);  // |a(-1)|, then a(2)
    Limb* otherB = otherA + (k + 2);
    Limb* v1 = otherB + (k + 2);
    Limb* vm1 = v1 + m;
    Limb* v2 = vm1 + m;
    Limb* rest = v2 + m;
    ZIF_ASSERT(rest == scratch + toom3Scratch(k));
    const Limb *a0 = a, *a1 = a + k, *a2 = a + 2 * k;
    const Limb *b0 = b, *b1 = b + k, *b2 = b + 2 * k;

    sum(ops, evenA, a0, k, a2, na2);
    sum(ops, evenB, b0, k, b2, nb2);
    const bool minusA = differenceOf(ops, otherA, evenA, k + 1, a1, k);
    const bool minusB = differenceOf(ops, otherB, evenB, k + 1, b1, k);
    const bool vm1Negative = minusA != minusB;
    multiply(ops, vm1, otherA, k + 1, otherB, k + 1, rest);
    addInto(ops, evenA, k + 1, a1, k);
    addInto(ops, evenB, k + 1, b1, k);
    multiply(ops, v1, evenA, k + 1, evenB, k + 1, rest);
    addDoubled(ops, evenA, k, a1, k, a2, na2);
    addDoubled(ops, otherA, k + 1, a0, k, evenA, k + 1);
    addDoubled(ops, evenB, k, b1, k, b2, nb2);
    addDoubled(ops, otherB, k + 1, b0, k, evenB, k + 1);
    multiply(ops, v2, otherA, k + 1, otherB, k + 1, rest);
    Limb* c0 = r;
    Limb* c4 = r + 4 * k;
    multiply(ops, c0, a0, k, b0, k, rest);
    multiply(ops, c4, a2, na2, b2, nb2, rest);

    // v2 = (v2 - v(-1)) / 3 = c1 + c2 + 3 c3 + 5 c4
    addOrSubtract(ops, !vm1Negative, v2, v2, m, vm1, m);
    ops.divideExact(v2, m, 3);
    // vm1 = (v1 - v(-1)) / 2 = c1 + c3
    addOrSubtract(ops, !vm1Negative, vm1, v1, m, vm1, m);
    ops.divideExact(vm1, m, 2);
    // v1 = v1 - c0 = c1 + c2 + c3 + c4
    subtractFrom(ops, v1, m, c0, 2 * k);
    // v2 = (v2 - v1) / 2 - 2 c4 = c3
    subtractFrom(ops, v2, m, v1, m);
    ops.divideExact(v2, m, 2);
    subtractDoubled(ops, v2, m, c4, n4);
    // v1 = v1 - vm1 - c4 = c2, vm1 = vm1 - c3 = c1
    subtractFrom(ops, v1, m, vm1, m);
    subtractFrom(ops, v1, m, c4, n4);
    subtractFrom(ops, vm1, m, v2, m);

    std::fill(r + 2 * k, r + 4 * k, Limb{0});
    const Limb* middle[3] = {vm1, v1, v2};
    addMiddleCoefficients(ops, r, na + nb, k, middle, 3, m);
}

// Toom-32 for operands of about 3:2, as the powers of ten in binary limbs make them (their low
// zero limbs left out): a = a0 + a1 x + a2 x^2, b = b0 + b1 x (x = B^k), and the product
// c0 + c1 x + c2 x^2 + c3 x^3 from its values at 0, 1, -1 (a magnitude and a sign) and infinity.
// That is four products of k limbs, where Karatsuba, halving a, leaves two of its three products
// longer than b's halves. Binary limbs; a2 and b1 must be non-empty.
void toom32(const BinaryOps& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b,
            std::size_t nb, Limb* scratch) {
    const std::size_t k = std::max((na + 2) / 3, (nb + 1) / 2);
    const std::size_t na2 = na - 2 * k, nb1 = nb - k, n3 = na2 + nb1;
    const std::size_t m = 2 * k + 2;  // limbs of a product of two evaluations
    Limb* evenA = scratch;            // a0 + a2, then a(1)
    Limb* evalB = evenA + (k + 1);
    Limb* minusA = evalB + (k + 1);  // |a(-1)|
    Limb* minusB = minusA + (k + 1);
    Limb* v1 = minusB + (k + 1);
    Limb* vm1 = v1 + m;
    Limb* rest = vm1 + m;
    ZIF_ASSERT(rest == scratch + toom32Scratch(k));
    const Limb *a0 = a, *a1 = a + k, *a2 = a + 2 * k;
    const Limb *b0 = b, *b1 = b + k;

    sum(ops, evenA, a0, k, a2, na2);
    const bool vm1Negative =
        differenceOf(ops, minusA, evenA, k + 1, a1, k) != differenceOf(ops, minusB, b0, k, b1, nb1);
    minusB[k] = 0;  // |b(-1)| has k limbs
    multiply(ops, vm1, minusA, k + 1, minusB, k + 1, rest);
    addInto(ops, evenA, k + 1, a1, k);
    sum(ops, evalB, b0, k, b1, nb1);
    multiply(ops, v1, evenA, k + 1, evalB, k + 1, rest);
    Limb* c0 = r;
    Limb* c3 = r + 3 * k;
    multiply(ops, c0, a0, k, b0, k, rest);
    multiply(ops, c3, a2, na2, b1, nb1, rest);

    // (v1 + v(-1)) / 2 = c0 + c2, (v1 - v(-1)) / 2 = c1 + c3
    sumAndDifference(ops, v1, vm1, m);
    Limb* even = vm1Negative ? vm1 : v1;
    Limb* odd = vm1Negative ? v1 : vm1;
    ops.divideExact(even, m, 2);
    ops.divideExact(odd, m, 2);
    subtractFrom(ops, even, m, c0, 2 * k);
    subtractFrom(ops, odd, m, c3, n3);

    std::fill(r + 2 * k, r + 3 * k, Limb{0});
    const Limb* middle[2] = {odd, even};
    addMiddleCoefficients(ops, r, na + nb, k, middle, 2, m);
}

// a(2) and |a(-2)| (returns whether a(-2) < 0), a(1) and |a(-1)|, and 8 a(1/2) of
// a = a0 + a1 x + a2 x^2 + a3 x^3, each into k + 1 limbs (k + 2 of room) in `values`;
// `even` and `odd` are k + 2 limbs of scratch each.
struct Toom4Signs {
    bool minus1, minus2;
};
Toom4Signs toom4Evaluate(const BinaryOps& ops, Limb* const values[5], const Limb* a, std::size_t k,
                         std::size_t n3, Limb* even, Limb* odd) {
    const Limb *a0 = a, *a1 = a + k, *a2 = a + 2 * k, *a3 = a + 3 * k;
    Toom4Signs signs{};
    combine(ops, even, k, a0, k, 1, a2, k, 0, a2, 0);
    combine(ops, odd, k, a1, k, 1, a3, n3, 0, a3, 0);
    addOrSubtractN<false>(ops, values[0], even, odd, k + 1, 0);
    signs.minus1 = differenceOf(ops, values[1], even, k + 1, odd, k + 1);
    combine(ops, even, k, a0, k, 4, a2, k, 0, a2, 0);
    combine(ops, odd, k, a0, 0, 2, a1, k, 8, a3, n3);
    addOrSubtractN<false>(ops, values[2], even, odd, k + 1, 0);
    signs.minus2 = differenceOf(ops, values[3], even, k + 1, odd, k + 1);
    combine(ops, even, k, a2, k, 2, a1, k, 4, a0, k);
    combine(ops, values[4], k + 1, a3, n3, 2, even, k + 1, 0, even, 0);
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
    Limb* evalA = scratch;
    Limb* evalB = evalA + 5 * (k + 2);
    Limb* even = evalB + 5 * (k + 2);
    Limb* odd = even + (k + 2);
    Limb* v[5];
    for (std::size_t i = 0; i < 5; ++i) v[i] = odd + (k + 2) + i * m;
    Limb* tmp = v[4] + m;
    Limb* tmp2 = tmp + m;
    Limb* rest = tmp2 + m;
    ZIF_ASSERT(rest == scratch + toom4Scratch(k));
    Limb* valuesA[5];
    Limb* valuesB[5];
    for (std::size_t i = 0; i < 5; ++i) {
        valuesA[i] = evalA + i * (k + 2);
        valuesB[i] = evalB + i * (k + 2);
    }
    const Toom4Signs signsA = toom4Evaluate(ops, valuesA, a, k, na3, even, odd);
    const Toom4Signs signsB = toom4Evaluate(ops, valuesB, b, k, nb3, even, odd);
    for (std::size_t i = 0; i < 5; ++i)
        multiply(ops, v[i], valuesA[i], k + 1, valuesB[i], k + 1, rest);
    const bool minus1 = signsA.minus1 != signsB.minus1, minus2 = signsA.minus2 != signsB.minus2;
    Limb* c0 = r;
    Limb* c6 = r + 6 * k;
    multiply(ops, c0, a, k, b, k, rest);
    multiply(ops, c6, a + 3 * k, na3, b + 3 * k, nb3, rest);

    // Even and odd parts at 1: e1 = c0 + c2 + c4 + c6, o1 = c1 + c3 + c5.
    addOrSubtractN<false>(ops, tmp, v[0], v[1], m, 0);
    addOrSubtractN<true>(ops, v[0], v[0], v[1], m, 0);
    Limb* e1 = minus1 ? v[0] : tmp;
    Limb* o1 = minus1 ? tmp : v[0];
    ops.divideExact(e1, m, 2);
    ops.divideExact(o1, m, 2);
    // At 2: e2 = c0 + 4 c2 + 16 c4 + 64 c6, o2 = c1 + 4 c3 + 16 c5.
    addOrSubtractN<false>(ops, v[1], v[2], v[3], m, 0);
    addOrSubtractN<true>(ops, v[2], v[2], v[3], m, 0);
    Limb* e2 = minus2 ? v[2] : v[1];
    Limb* o2 = minus2 ? v[1] : v[2];
    ops.divideExact(e2, m, 2);
    ops.divideExact(o2, m, 2);
    ops.divideExact(o2, m, 2);
    // e1 = c2 + c4; e2 = c2 + 4 c4; then c4 = (e2 - e1) / 3 in e2, c2 = e1 - c4 in e1.
    subtractFrom(ops, e1, m, c0, 2 * k);
    subtractFrom(ops, e1, m, c6, n6);
    subtractFrom(ops, e2, m, c0, 2 * k);
    multiplySmallTo(ops, v[3], c6, n6, 64);
    subtractFrom(ops, e2, m, v[3], n6 + 1);
    ops.divideExact(e2, m, 2);
    ops.divideExact(e2, m, 2);
    subtractFrom(ops, e2, m, e1, m);
    ops.divideExact(e2, m, 3);
    subtractFrom(ops, e1, m, e2, m);
    Limb* c2 = e1;
    Limb* c4 = e2;
    // h = (v(1/2) - 64 c0 - 16 c2 - 4 c4 - c6) / 2 = 16 c1 + 4 c3 + c5.
    Limb* h = v[4];
    multiplySmallTo(ops, v[3], c0, 2 * k, 64);
    subtractFrom(ops, h, m, v[3], 2 * k + 1);
    multiplySmallTo(ops, v[3], c2, m - 1, 16);
    subtractFrom(ops, h, m, v[3], m);
    multiplySmallTo(ops, v[3], c4, m - 1, 4);
    subtractFrom(ops, h, m, v[3], m);
    subtractFrom(ops, h, m, c6, n6);
    ops.divideExact(h, m, 2);
    // p = (h - o1) / 3 = 5 c1 + c3, q = (o2 - o1) / 3 = c3 + 5 c5, c3 = (5 o1 - p - q) / 3.
    subtractFrom(ops, h, m, o1, m);
    ops.divideExact(h, m, 3);
    subtractFrom(ops, o2, m, o1, m);
    ops.divideExact(o2, m, 3);
    multiplySmallTo(ops, tmp2, o1, m - 1, 5);
    subtractFrom(ops, tmp2, m, h, m);
    subtractFrom(ops, tmp2, m, o2, m);
    ops.divideExact(tmp2, m, 3);
    Limb* c3 = tmp2;
    // c1 = (p - c3) / 5, c5 = (q - c3) / 5.
    subtractFrom(ops, h, m, c3, m);
    ops.divideExact(h, m, 5);
    subtractFrom(ops, o2, m, c3, m);
    ops.divideExact(o2, m, 5);

    std::fill(r + 2 * k, r + 6 * k, Limb{0});
    const Limb* middle[5] = {h, c2, c3, c4, o2};
    addMiddleCoefficients(ops, r, na + nb, k, middle, 5, m);
}

// multiply() for binary limbs from the Karatsuba threshold on, na >= nb.
void multiplyBinary(const BinaryOps& ops, Limb* r, const Limb* a, std::size_t na, const Limb* b,
                    std::size_t nb, Limb* scratch) {
    if (nb >= kToom4ThresholdBinary && nb > 3 * ((na + 3) / 4)) {
        toom4(ops, r, a, na, b, nb, scratch);
        return;
    }
    if (nb >= kToom3ThresholdBinary && nb > 2 * ((na + 2) / 3)) {
        toom3(ops, r, a, na, b, nb, scratch);
        return;
    }
    if (nb >= kToom32ThresholdBinary && 4 * na >= 5 * nb && 2 * nb > na + 1) {
        toom32(ops, r, a, na, b, nb, scratch);
        return;
    }
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
    sum(ops, outer, r, 2 * h, r + 2 * h, na + nb - 2 * h);
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
        return;
    }
    if constexpr (std::is_same_v<Ops, PowerOps>) {
        Limb* c = scratch;
        columns::multiply(ops, c, a, na, b, nb, c + columns::kWidth * (na + nb - 1));
        columns::normalize(ops, r, na + nb, c, na + nb - 1);
    } else {
        multiplyBinary(ops, r, a, na, b, nb, scratch);
    }
}

template <class F>
decltype(auto) withOps(const Radix& radix, F&& f) {
    if (radix.isBinary()) return f(BinaryOps{});
    return f(PowerOps{radix.base(), &radix.divisor()});
}

// Every product below multiplyBinary() has at most as many limbs as the parts it is called
// with, plus one, and a part's scratch grows with its length: the largest method that n reaches
// sets the size.
std::size_t binaryScratch(std::size_t n) {
    if (n < kKaratsubaThresholdBinary) return 0;
    const std::size_t h = (n + 1) / 2;
    std::size_t size = karatsubaScratch(h) + binaryScratch(h);
    // Toom-32's parts are at most h limbs.
    if (n >= kToom32ThresholdBinary) size = std::max(size, toom32Scratch(h) + binaryScratch(h + 1));
    const std::size_t third = (n + 2) / 3;
    if (n >= kToom3ThresholdBinary)
        size = std::max(size, toom3Scratch(third) + binaryScratch(third + 1));
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
