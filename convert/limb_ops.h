#pragma once

// The arithmetic under the products of limbs.cpp: a limb radix's additions and column sums
// (BinaryOps for 2^kLimbBits, PowerOps for a power of a base), and the products of a power radix
// formed in unreduced columns (column_products.cpp).

#include <algorithm>
#include <cstddef>
#include <type_traits>

#include "convert/check.h"
#include "convert/limbs.h"
#include "convert/sse2.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define ZIF_HAVE_ADDCARRY 1
#endif

namespace zif::detail {

// A column sum of limb products: up to three limbs. Products are summed unreduced and split
// into a limb and a carry once per column, which keeps the reduction by a non-binary radix
// (two reciprocal divisions) out of the inner loop: the loop costs one multiply and three adds.
struct Column {
    DoubleLimb low = 0;
    Limb top = 0;

    void add(Limb a, Limb b) { add(productOf(a, b)); }
    void add(DoubleLimb sum) {
        low += sum;
        top += low < sum ? 1 : 0;
    }
    void merge(const Column& other) {
        low += other.low;
        top += other.top + (low < other.low ? 1 : 0);
    }
    // Modulo 2^(3 kLimbBits), as a signed column of a power-radix product may need.
    void subtract(const Column& other) {
        top -= other.top + (low < other.low ? 1 : 0);
        low -= other.low;
    }
    Limb l0() const { return lowHalf(low); }
    Limb l1() const { return highHalf(low); }
    // The column l1:l0, high limb first as in joinHalves().
    void setHalves(Limb l1, Limb l0) {
        low = joinHalves(l1, l0);
        top = 0;
    }
};

// Limbs of 2^kLimbBits: carries are the machine's.
struct BinaryOps {
    static constexpr std::size_t kSchoolbookThreshold = kKaratsubaThresholdBinary;

    // A limb product can take the whole double limb.
    static constexpr bool narrow() { return false; }

    // The double-limb sum compiles to add/adc; comparisons take twice the instructions.
    Limb add(Limb a, Limb b, Limb& carry) const {
        const DoubleLimb s = DoubleLimb{a} + b + carry;
        carry = highHalf(s);
        return lowHalf(s);
    }
    Limb subtract(Limb a, Limb b, Limb& borrow) const {
        const DoubleLimb d = DoubleLimb{a} - b - borrow;
        borrow = highHalf(d) & 1;
        return lowHalf(d);
    }
    // Takes the column's low limb; the rest carries into the next column.
    Limb reduce(Column& column) const {
        const Limb digit = column.l0();
        column.setHalves(column.top, column.l1());
        return digit;
    }
    Limb multiplyAdd(Limb a, Limb factor, Limb& carry) const {
        const DoubleLimb p = productOf(a, factor) + carry;
        carry = highHalf(p);
        return lowHalf(p);
    }
};

// Limbs of a power of a base that fits a limb (10^19 exceeds 2^63, so a + b can wrap: compare
// before adding).
struct PowerOps {
    static constexpr std::size_t kSchoolbookThreshold = kColumnsThresholdPower;

    Limb base;
    const Divisor* divisor;

    // Whether limbs are below 2^(kLimbBits - 2), as 10^9 in 32-bit limbs: then sixteen limb
    // products sum to a double limb without overflow, and a column needs no third limb until
    // sixteen are summed.
    bool narrow() const { return base - 1 < Limb{1} << (kLimbBits - 2); }

    // Branch-free: carries of random limbs are unpredictable, and a mispredicted branch per limb
    // costs more than the addition.
    Limb add(Limb a, Limb b, Limb& carry) const {
        const Limb s = a + carry;  // <= base, no wrap
        const Limb c = s >= base - b ? 1 : 0;
        carry = c;
        return s + b - (base & (Limb{0} - c));
    }
    Limb subtract(Limb a, Limb b, Limb& borrow) const {
        const Limb s = b + borrow;  // <= base
        const Limb c = a < s ? 1 : 0;
        borrow = c;
        return a - s + (base & (Limb{0} - c));
    }
    // The column sum is below (products + 1) * base^2, so its top limb is below base and two
    // divisions of a double limb by the base split it.
    Limb reduce(Column& column) const {
        Limb r1, r0;
        const Limb q1 = divisor->divide(column.top, column.l1(), r1);
        const Limb q0 = divisor->divide(r1, column.l0(), r0);
        column.setHalves(q1, q0);
        return r0;
    }
    Limb multiplyAdd(Limb a, Limb factor, Limb& carry) const {
        const DoubleLimb p = productOf(a, factor) + carry;
        Limb digit;
        carry = divisor->divide(highHalf(p), lowHalf(p), digit);
        return digit;
    }
};

// a + b + carry, or a - b - carry when kSubtract; carries in and out are 0 or 1.
template <bool kSubtract, class Ops>
[[gnu::always_inline]] inline Limb carryStep(const Ops& ops, Limb a, Limb b, Limb& carry) {
    if constexpr (kSubtract)
        return ops.subtract(a, b, carry);
    else
        return ops.add(a, b, carry);
}

#ifdef ZIF_HAVE_ADDCARRY
// For binary limbs the carry intrinsics keep the carry in the flags: one adc per limb, where
// the double-limb sums of BinaryOps round-trip it through a register.
template <bool kSubtract>
[[gnu::always_inline]] inline unsigned char carryFlagStep(unsigned char c, Limb a, Limb b,
                                                          Limb* out) {
#if defined(__x86_64__) && !defined(ZIF_PORTABLE_ARITHMETIC)
    static_assert(sizeof(unsigned long long) == sizeof(Limb));
    auto* word = reinterpret_cast<unsigned long long*>(out);
    return kSubtract ? _subborrow_u64(c, a, b, word) : _addcarry_u64(c, a, b, word);
#else
    return kSubtract ? _subborrow_u32(c, a, b, out) : _addcarry_u32(c, a, b, out);
#endif
}
#endif

// r[0, xn) = x + y, or x - y when kSubtract, for y of yn <= xn limbs; returns the carry out of
// r's top limb. In place (r == x), the pass ends where the carry does.
template <bool kSubtract, class Ops>
Limb addOrSubtract(const Ops& ops, Limb* r, const Limb* x, std::size_t xn, const Limb* y,
                   std::size_t yn) {
    Limb carry = 0;
    std::size_t i = 0;
#ifdef ZIF_HAVE_ADDCARRY
    if constexpr (std::is_same_v<Ops, BinaryOps>) {
        unsigned char c = 0;
        for (; i + 4 <= yn; i += 4) {
            c = carryFlagStep<kSubtract>(c, x[i], y[i], r + i);
            c = carryFlagStep<kSubtract>(c, x[i + 1], y[i + 1], r + i + 1);
            c = carryFlagStep<kSubtract>(c, x[i + 2], y[i + 2], r + i + 2);
            c = carryFlagStep<kSubtract>(c, x[i + 3], y[i + 3], r + i + 3);
        }
        for (; i < yn; ++i) c = carryFlagStep<kSubtract>(c, x[i], y[i], r + i);
        carry = c;
    }
#endif
    for (; i < yn; ++i) r[i] = carryStep<kSubtract>(ops, x[i], y[i], carry);
    for (; carry != 0 && i < xn; ++i) r[i] = carryStep<kSubtract>(ops, x[i], 0, carry);
    if (r != x) std::copy(x + i, x + xn, r + i);
    return carry;
}

template <class Ops>
Limb addInto(const Ops& ops, Limb* r, std::size_t rn, const Limb* x, std::size_t xn) {
    return addOrSubtract<false>(ops, r, r, rn, x, xn);
}

template <class Ops>
Limb subtractFrom(const Ops& ops, Limb* r, std::size_t rn, const Limb* x, std::size_t xn) {
    return addOrSubtract<true>(ops, r, r, rn, x, xn);
}

#ifdef ZIF_HAVE_SSE2_PATHS
// The product-scanning loops of a power radix by SSE2, for limbs below 2^30: r[0, na + nb) =
// a * b reduced; r[0, n) = the rows joined as combineRows() joins them; c[3 k, 3 k + 3) =
// column k of a * b for k < na + nb - 1.
[[ZIF_SSE2_ENTRY]] void schoolbookVector(const PowerOps& ops, Limb* r, const Limb* a,
                                         std::size_t na, const Limb* b, std::size_t nb);
[[ZIF_SSE2_ENTRY]] void combineRowsVector(const PowerOps& ops, Limb* r, const Limb* factors,
                                          std::size_t n, const Limb* powers, std::size_t stride);
[[ZIF_SSE2_ENTRY]] void columnsVector(Limb* c, const Limb* a, std::size_t na, const Limb* b,
                                      std::size_t nb);
// The schoolbook product of binary limbs by SSE2, for kVectorBinaryMin <= nb <= na and nb <=
// kVectorBinaryMax: r[0, na + nb) = a * b; and binary rows joined as combineRows() joins them,
// for kVectorBinaryMin <= n <= kVectorBinaryMax.
[[ZIF_SSE2_ENTRY]] void schoolbookBinaryVector(Limb* r, const Limb* a, std::size_t na,
                                               const Limb* b, std::size_t nb);
[[ZIF_SSE2_ENTRY]] void combineRowsBinaryVector(Limb* r, const Limb* factors, std::size_t n,
                                                const Limb* powers, std::size_t stride);
#endif

// Adds x[i] * y[i * kYStep] for i < n to column. kSideBySide: two column sums side by side
// where registers allow (64-bit targets), for the long columns of a power radix, whose
// reduction each column must wait for: the second sum, joined last, lets the previous column's
// reduction overlap this column's products. A 32-bit target has registers for one sum only: the
// second would live in memory, each carry a load and a store.
template <std::ptrdiff_t kYStep, bool kSideBySide, class Ops>
[[gnu::always_inline]] inline void addProducts(const Ops& ops, Column& column, const Limb* x,
                                               const Limb* y, std::size_t n) {
    if constexpr (kLimbBits == 64 && kSideBySide) {
        Column second;
        std::size_t i = 0;
        for (; i + 2 <= n; i += 2) {
            column.add(x[i], y[static_cast<std::ptrdiff_t>(i) * kYStep]);
            second.add(x[i + 1], y[static_cast<std::ptrdiff_t>(i + 1) * kYStep]);
        }
        if (i < n) column.add(x[i], y[static_cast<std::ptrdiff_t>(i) * kYStep]);
        column.merge(second);
    } else {
        const Limb* const end = x + n;
        if (kLimbBits == 32 && ops.narrow()) {
            // A multiply and two adds a product, in registers a 32-bit target has.
            constexpr std::ptrdiff_t kBlock = 16;
            for (; end - x >= kBlock; x += kBlock, y += kBlock * kYStep) {
                DoubleLimb sum = 0;
                for (std::ptrdiff_t j = 0; j < kBlock; ++j) sum += productOf(x[j], y[j * kYStep]);
                column.add(sum);
            }
            DoubleLimb sum = 0;
            for (; end - x >= 4; x += 4, y += 4 * kYStep) {
                sum += productOf(x[0], y[0]);
                sum += productOf(x[1], y[kYStep]);
                sum += productOf(x[2], y[2 * kYStep]);
                sum += productOf(x[3], y[3 * kYStep]);
            }
            for (; x != end; ++x, y += kYStep) sum += productOf(*x, *y);
            column.add(sum);
            return;
        }
        // Four products per round: the loop's own count and branch are a third of a product's
        // instructions.
        const auto addFour = [&] {
            column.add(x[0], y[0]);
            column.add(x[1], y[kYStep]);
            column.add(x[2], y[2 * kYStep]);
            column.add(x[3], y[3 * kYStep]);
            x += 4;
            y += 4 * kYStep;
        };
        if constexpr (kYStep < 0) {
            // A product's column takes its odd products first, so that it has one loop to leave.
            if (n % 2 != 0) {
                column.add(x[0], y[0]);
                x += 1;
                y += kYStep;
            }
            if (n % 4 >= 2) {
                column.add(x[0], y[0]);
                column.add(x[1], y[kYStep]);
                x += 2;
                y += 2 * kYStep;
            }
            while (x != end) addFour();
        } else {
            // Joined rows take them last, which measured faster there.
            while (end - x >= 4) addFour();
            for (; x != end; ++x, y += kYStep) column.add(*x, *y);
        }
    }
}

// Calls column(x, y, n) for the columns of a * b in order, na >= nb: x[i] * y[-i] for i < n are
// the products of a column (y steps through b, or through a vector of b's limbs). The columns
// grow by a product while they start at a[0], hold nb products while they start at b[nb - 1],
// then shrink: each phase steps its pointers and count by one, where working out each column's
// first and last product cost a tenth of a short product.
template <class Y, class PerColumn>
[[gnu::always_inline]] inline void forEachColumn(const Limb* a, std::size_t na, const Y* b,
                                                 std::size_t nb, PerColumn column) {
    std::size_t k = 0;
    for (; k + 1 < nb; ++k) column(a, b + k, k + 1);
    for (; k < na; ++k) column(a + (k + 1 - nb), b + nb - 1, nb);
    for (; k < na + nb - 1; ++k) column(a + (k + 1 - nb), b + nb - 1, na + nb - 1 - k);
}

// The product-scanning loops, one column at a time, each column reduced once. Each takes
// sum(column, x, y, n), which adds x[i] * y[i * step] for i < n to a column: the portable sums or
// the SSE2 ones, which pass a lambda compiled for SSE2 from a function that flattens its calls.

// r[0, na + nb) = a * b reduced, na >= nb. kCarryFirst: a column starts from the last one's
// carry (binary limbs, where the carry is a shift); otherwise the carry joins last, so that the
// previous column's reduction overlaps this column's products instead of delaying them.
template <bool kCarryFirst, class Ops, class Sum>
[[gnu::always_inline]] inline void scanProduct(const Ops& ops, Limb* r, const Limb* a,
                                               std::size_t na, const Limb* b, std::size_t nb,
                                               Sum sum) {
    Column carry;
    std::size_t k = 0;
    forEachColumn(a, na, b, nb, [&](const Limb* x, const Limb* y, std::size_t n) {
        Column column;
        if constexpr (kCarryFirst) column = carry;
        sum(column, x, y, n);
        if constexpr (!kCarryFirst) column.merge(carry);
        r[k++] = ops.reduce(column);
        carry = column;
    });
    r[k] = carry.l0();
}

// r[0, n) = the rows joined as combineRows() joins them.
template <class Ops, class Sum>
[[gnu::always_inline]] inline void scanRows(const Ops& ops, Limb* r, const Limb* factors,
                                            std::size_t n, const Limb* powers, std::size_t stride,
                                            Sum sum) {
    Column carry;
    for (std::size_t k = 0; k < n; ++k) {
        Column column;
        sum(column, factors + k, powers + k * stride + k, n - k);
        column.merge(carry);
        r[k] = ops.reduce(column);
        carry = column;
    }
    ZIF_ASSERT(carry.l0() == 0 && carry.l1() == 0);
}

// c[3 k, 3 k + 3) = column k of a * b, unreduced, for k < na + nb - 1, na >= nb.
template <class Sum>
[[gnu::always_inline]] inline void scanColumns(Limb* c, const Limb* a, std::size_t na,
                                               const Limb* b, std::size_t nb, Sum sum) {
    forEachColumn(a, na, b, nb, [&](const Limb* x, const Limb* y, std::size_t n) {
        Column column;
        sum(column, x, y, n);
        c[0] = column.l0();
        c[1] = column.l1();
        c[2] = column.top;
        c += 3;
    });
}

// r[0, xn) = |x - y| for y of yn <= xn limbs (missing limbs are zero); returns whether x < y.
// The limbs where x and y agree from the top down are zero, the rest one subtraction.
template <class Ops>
bool differenceOf(const Ops& ops, Limb* r, const Limb* x, std::size_t xn, const Limb* y,
                  std::size_t yn) {
    std::size_t top = xn;
    while (top > 0 && x[top - 1] == (top > yn ? 0 : y[top - 1])) r[--top] = 0;
    const bool negative = top > 0 && top <= yn && x[top - 1] < y[top - 1];
    if (negative)
        addOrSubtract<true>(ops, r, y, top, x, top);
    else
        addOrSubtract<true>(ops, r, x, top, y, std::min(top, yn));
    return negative;
}

// Products in a power radix whose columns are reduced once, when the whole product is done,
// instead of at the end of every schoolbook product below Karatsuba: the reduction costs two
// radix divisions a column, about a fifth of a schoolbook product's time. A column is the sum
// of its limb products, kept as a signed three-limb number (two's complement) at c + 3 k; the
// columns of Karatsuba's middle term, taken from products of carried sums, can be negative. The
// product is the columns' value, sum of c_k radix^k.
namespace columns {

inline constexpr std::size_t kWidth = 3;  // limbs a column

// Limbs of scratch that multiply() needs when the larger operand has n limbs.
std::size_t scratch(std::size_t n);

// c[0, na + nb - 1) = the columns of a * b, limbs below the radix; scratch holds scratch(max(na,
// nb)) limbs.
void multiply(const PowerOps& ops, Limb* c, const Limb* a, std::size_t na, const Limb* b,
              std::size_t nb, Limb* scratch);

// r[0, n) = the value of the columns c[0, count), which must be below radix^n.
void normalize(const PowerOps& ops, Limb* r, std::size_t n, const Limb* c, std::size_t count);

}  // namespace columns

}  // namespace zif::detail
