#include <algorithm>
#include <bit>
#include <type_traits>
#include <utility>

#include "convert/limb_ops.h"

namespace zif::detail::columns {

namespace {
Column load(const Limb* c, std::size_t k) {
    return {joinHalves(c[kWidth * k + 1], c[kWidth * k]), c[kWidth * k + 2]};
}

void store(Limb* c, std::size_t k, const Column& column) {
    c[kWidth * k] = column.l0();
    c[kWidth * k + 1] = column.l1();
    c[kWidth * k + 2] = column.top;
}

// c[0, n) += x[0, n), column by column, modulo 2^(3 kLimbBits).
void addInto(Limb* c, const Limb* x, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        Column sum = load(c, k);
        sum.merge(load(x, k));
        store(c, k, sum);
    }
}

// Karatsuba's middle term added in place: c holds the outer products, p0 = L0 + H0 x^h in
// columns [0, 2h) (the last one zero) and p2 = L2 + H2 x^h in [2h, total); c[h, 3h - 1) +=
// p0 + p2 + middle, or minus middle when subtractMiddle. Column h + k takes L0 + H0 + L2 and
// column 2h + k takes H0 + L2 + H2: the sum H0 + L2 serves both, and each column is read and
// written once.
void addMiddleTerm(Limb* c, std::size_t h, std::size_t total, const Limb* middle,
                   bool subtractMiddle) {
    const auto addMiddle = [&](Column& sum, std::size_t k) {
        if (subtractMiddle)
            sum.subtract(load(middle, k));
        else
            sum.merge(load(middle, k));
    };
    for (std::size_t k = 0; k < h; ++k) {
        Column shared = load(c, h + k);
        if (2 * h + k < total) shared.merge(load(c, 2 * h + k));
        Column low = shared;
        low.merge(load(c, k));
        addMiddle(low, k);
        if (k + 1 < h) {
            Column high = shared;
            if (3 * h + k < total) high.merge(load(c, 3 * h + k));
            addMiddle(high, h + k);
            store(c, 2 * h + k, high);
        }
        store(c, h + k, low);
    }
}

}  // namespace

std::size_t scratch(std::size_t n) {
    if (n < kColumnsKaratsubaThreshold) return 0;
    // Karatsuba's own for halves of h limbs, the two differences and the middle product's
    // columns, then the halves' products'. A slice of an unbalanced product (b of nb <= h
    // limbs) takes less.
    const std::size_t h = (n + 1) / 2;
    return 2 * h + kWidth * (2 * h - 1) + scratch(h);
}

void multiply(const PowerOps& ops, Limb* c, const Limb* a, std::size_t na, const Limb* b,
              std::size_t nb, Limb* scratch) {
    if (na < nb) {
        std::swap(a, b);
        std::swap(na, nb);
    }
    if (nb < kColumnsKaratsubaThreshold) {
        static_assert(kWidth == 3);
#ifdef ZIF_HAVE_SSE2_PATHS
        if (ops.narrow() && useSse2()) {
            columnsVector(c, a, na, b, nb);
            return;
        }
#endif
        scanColumns(c, a, na, b, nb,
                    [&](Column& column, const Limb* x, const Limb* y, std::size_t n) {
                        addProducts<-1, false>(ops, column, x, y, n);
                    });
        return;
    }
    const std::size_t h = (na + 1) / 2;
    const std::size_t total = na + nb - 1;
    if (nb <= h) {
        // Too unbalanced to split both: b times slices of a as long as b.
        std::fill(c, c + kWidth * total, Limb{0});
        Limb* slice = scratch;
        for (std::size_t at = 0; at < na; at += nb) {
            const std::size_t length = std::min(nb, na - at);
            multiply(ops, slice, a + at, length, b, nb, scratch + kWidth * (2 * nb - 1));
            addInto(c + kWidth * at, slice, length + nb - 1);
        }
        return;
    }
    // a0 b0 + (a0 b0 + a1 b1 + (a0 - a1)(b1 - b0)) x + a1 b1 x^2 for x = radix^h: the
    // differences, unlike sums, stay within h limbs, so the middle term needs no more columns
    // than the others.
    Limb* differenceA = scratch;
    Limb* differenceB = differenceA + h;
    Limb* middle = differenceB + h;
    Limb* rest = middle + kWidth * (2 * h - 1);
    ZIF_ASSERT(rest + columns::scratch(h) == scratch + columns::scratch(na));
    const bool a0BelowA1 = differenceOf(ops, differenceA, a, h, a + h, na - h);
    const bool b0BelowB1 = differenceOf(ops, differenceB, b, h, b + h, nb - h);
    multiply(ops, middle, differenceA, h, differenceB, h, rest);
    multiply(ops, c, a, h, b, h, rest);
    store(c, 2 * h - 1, Column{});
    multiply(ops, c + kWidth * 2 * h, a + h, na - h, b + h, nb - h, rest);
    // (a0 - a1)(b1 - b0) is negative (or zero) when a0 < a1 and b0 < b1, or neither.
    addMiddleTerm(c, h, total, middle, a0BelowA1 == b0BelowB1);
}

// r[0, n) = the value of the columns c[0, count), which must be below radix^n. A carry from
// column to column through two radix divisions would make each column wait for the last;
// instead each column is divided on its own, c_k = q_k radix + d_k, then d_k + q_(k-1) likewise
// into f_k radix + e_k, and only the small carries of e_k + f_(k-1) run from column to column.
// Quotients are signed: the columns of Karatsuba's middle term can be negative. They are split
// through a bias that makes them non-negative without changing them modulo the radix. Columns
// may reach radix 2^bits in magnitude: for a radix of 2^p to 2^(p+1), bits = min(2p - 2,
// kLimbBits + p - 3) (124 for 10^19 in 64-bit limbs, 56 for 10^9 in 32-bit ones), far above what
// Karatsuba's sums of products reach, and low enough that the quotients q split again with one
// division into a small part that carries at most one unit.
void normalize(const PowerOps& ops, Limb* r, std::size_t n, const Limb* c, std::size_t count) {
    using Signed = std::make_signed_t<Limb>;
    const unsigned p = static_cast<unsigned>(std::bit_width(ops.base)) - 1;
    const unsigned bits = std::min(2 * p - 2, kLimbBits + p - 3);
    const unsigned shift = bits - kLimbBits;  // of the bias's middle limb
    const Column bias{joinHalves(static_cast<Limb>(ops.base << shift), Limb{0}),
                      shift == 0 ? Limb{0} : ops.base >> (kLimbBits - shift)};  // radix 2^bits
    const Column excess{joinHalves(Limb{1} << shift, Limb{0}), 0};              // 2^bits
    const unsigned quotientShift = bits - p;
    const DoubleLimb quotientBias = productOf(ops.base, Limb{1} << quotientShift);  // >= 2^bits
    Column quotient;                                                                // q_(k-1)
    Signed small = 0;  // f_(k-1), below a quarter of the radix in magnitude
    Signed carry = 0;  // -1, 0 or 1
    for (std::size_t k = 0; k < n; ++k) {
        // c_k + radix 2^bits = (q_k + 2^bits) radix + d_k
        Column value = k < count ? load(c, k) : Column{};
        value.merge(bias);
        ZIF_ASSERT(value.top < ops.base);
        const Limb d = ops.reduce(value);
        value.subtract(excess);
        // q_(k-1) + d_k + radix 2^quotientShift = (f_k + 2^quotientShift) radix + e_k
        const DoubleLimb sum = quotient.low + DoubleLimb{d} + quotientBias;
        quotient = value;
        ZIF_ASSERT(highHalf(sum) < ops.base);
        Limb digit;
        const auto f = static_cast<Signed>(ops.divisor->divide(highHalf(sum), lowHalf(sum), digit) -
                                           (Limb{1} << quotientShift));
        const Signed adjustment = small + carry;
        small = f;
        // |adjustment| is below the radix: one correction at most.
        Limb t = digit + static_cast<Limb>(adjustment);
        carry = 0;
        if (adjustment < 0 && digit < static_cast<Limb>(-adjustment)) {
            t += ops.base;
            carry = -1;
        } else if (adjustment > 0 && t >= ops.base) {
            t -= ops.base;
            carry = 1;
        }
        r[k] = t;
    }
    ZIF_ASSERT(quotient.l0() == 0 && quotient.l1() == 0 && quotient.top == 0 && small + carry == 0);
}

}  // namespace zif::detail::columns
