#include "convert/limbs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace zif::detail {
namespace {

using Limbs = std::vector<Limb>;

struct RadixCase {
    const char* name;
    Radix radix;
    Limb top;  // the largest limb: radix - 1
};

std::vector<RadixCase> radixCases() {
    return {{"binary", Radix::binary(), ~Limb{0}},
            {"ten to the 19", Radix::power(10000000000000000000u), 9999999999999999999u},
            {"36 to the 12", Radix::power(4738381338321616896u), 4738381338321616895u}};
}

Limbs randomLimbs(std::mt19937_64& rng, std::size_t n, Limb top) {
    std::uniform_int_distribution<Limb> limb(0, top);
    Limbs out(n);
    for (Limb& l : out) l = limb(rng);
    return out;
}

Limbs karatsuba(const Radix& radix, const Limbs& a, const Limbs& b) {
    Limbs r(a.size() + b.size());
    Limbs scratch(multiplyScratch(std::max(a.size(), b.size())) + 1);
    multiply(radix, r.data(), a.data(), a.size(), b.data(), b.size(), scratch.data());
    return r;
}

Limbs schoolbook(const Radix& radix, const Limbs& a, const Limbs& b) {
    Limbs r(a.size() + b.size());
    multiplySchoolbook(radix, r.data(), a.data(), a.size(), b.data(), b.size());
    return r;
}

// Sizes on both sides of the crossover, balanced and unbalanced (the sliced path), with random
// limbs and with every limb at its maximum, where every column and addition carries.
TEST(Multiply, KaratsubaAgreesWithSchoolbook) {
    std::mt19937_64 rng(99);
    for (const RadixCase& c : radixCases()) {
        const std::size_t t = karatsubaThreshold(c.radix);
        const std::vector<std::pair<std::size_t, std::size_t>> sizes = {
            {t - 1, t - 1}, {t, t},         {t + 1, t},         {t + 1, t + 1},
            {2 * t, t},     {2 * t + 1, t}, {2 * t - 1, t + 3}, {3 * t + 5, t},
            {5 * t, 2 * t}, {4 * t, 4 * t}, {9 * t + 7, 8 * t}, {17 * t, 3}};
        for (auto [na, nb] : sizes) {
            for (bool allMax : {false, true}) {
                const Limbs a = allMax ? Limbs(na, c.top) : randomLimbs(rng, na, c.top);
                const Limbs b = allMax ? Limbs(nb, c.top) : randomLimbs(rng, nb, c.top);
                ASSERT_EQ(karatsuba(c.radix, a, b), schoolbook(c.radix, a, b))
                    << c.name << " " << na << "x" << nb << (allMax ? " all max" : "");
                ASSERT_EQ(karatsuba(c.radix, b, a), schoolbook(c.radix, a, b))
                    << c.name << " " << nb << "x" << na;
            }
        }
    }
}

// Toom-3 around its crossover and far above it: balanced, just balanced enough to cut both
// operands into three (the smaller one a little above two thirds of the larger), and too
// unbalanced for it, with random limbs, all-maximum limbs (every evaluation and interpolation
// step carries or borrows) and operands with long zero runs (zero middle coefficients).
TEST(Multiply, Toom3AgreesWithSchoolbook) {
    std::mt19937_64 rng(7);
    for (const RadixCase& c : radixCases()) {
        if (!c.radix.isBinary()) continue;  // Toom-3 serves binary limbs only
        const std::size_t t = kToom3ThresholdBinary;
        const std::vector<std::pair<std::size_t, std::size_t>> sizes = {
            {t - 1, t - 1},         {t, t},         {t + 1, t + 1},    {t + 2, t},
            {t + 3, t + 2},         {3 * t / 2, t}, {3 * t, 3 * t},    {3 * t + 1, 2 * t + 2},
            {3 * t + 2, 2 * t + 1}, {2 * t, t},     {7 * t, 7 * t - 5}};
        for (auto [na, nb] : sizes) {
            for (int kind = 0; kind < 3; ++kind) {
                Limbs a = kind == 1 ? Limbs(na, c.top) : randomLimbs(rng, na, c.top);
                Limbs b = kind == 1 ? Limbs(nb, c.top) : randomLimbs(rng, nb, c.top);
                if (kind == 2) {
                    std::fill(a.begin() + na / 3, a.begin() + 2 * na / 3, 0);
                    std::fill(b.begin(), b.begin() + nb / 2, 0);
                }
                ASSERT_EQ(karatsuba(c.radix, a, b), schoolbook(c.radix, a, b))
                    << c.name << " " << na << "x" << nb << " kind " << kind;
                ASSERT_EQ(karatsuba(c.radix, b, a), schoolbook(c.radix, a, b))
                    << c.name << " " << nb << "x" << na << " kind " << kind;
            }
        }
    }
}

// (B^n - 1)^2 = B^2n - 2 B^n + 1: limbs 1, 0..., B - 2, B - 1...
TEST(Multiply, SquareOfAllMaxLimbsHasKnownLimbs) {
    for (const RadixCase& c : radixCases()) {
        for (std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{40}, std::size_t{130},
                              std::size_t{700}}) {
            Limbs expected(2 * n, 0);
            expected[0] = 1;
            expected[n] = c.top - 1;
            for (std::size_t i = n + 1; i < 2 * n; ++i) expected[i] = c.top;
            const Limbs all(n, c.top);
            EXPECT_EQ(karatsuba(c.radix, all, all), expected) << c.name << " n=" << n;
        }
    }
}

// (B^n - 1)(B - 1) + (B - 1) = (B - 1) B^n: every limb carries, the carry out is B - 1.
TEST(MultiplyAddSmall, CarriesThroughEveryLimb) {
    for (const RadixCase& c : radixCases()) {
        Limbs v(5, c.top);
        EXPECT_EQ(multiplyAddSmall(c.radix, v.data(), v.size(), c.top, c.top), c.top) << c.name;
        EXPECT_EQ(v, Limbs(5, 0)) << c.name;

        Limbs w{3, 0};
        EXPECT_EQ(multiplyAddSmall(c.radix, w.data(), w.size(), 7, 1), 0u) << c.name;
        EXPECT_EQ(w, (Limbs{22, 0})) << c.name;
    }
}

// Chunks times the powers of x, summed a column at a time, against Horner's rule one chunk at a
// time; the largest x and chunks make every column carry.
TEST(CombineRows, AgreesWithJoiningOneChunkAtATime) {
    std::mt19937_64 rng(5);
    for (const RadixCase& c : radixCases()) {
        for (std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{32}}) {
            for (bool allMax : {false, true}) {
                const Limb x = allMax ? c.top : randomLimbs(rng, 1, c.top)[0] | 2;
                const Limbs chunks = allMax ? Limbs(n, x - 1) : randomLimbs(rng, n, x - 1);
                Limbs rows(n * n, 0);
                rows[0] = 1;
                for (std::size_t i = 1; i < n; ++i) {
                    std::copy(rows.begin() + (i - 1) * n, rows.begin() + (i - 1) * n + i,
                              rows.begin() + i * n);
                    rows[i * n + i] = multiplyAddSmall(c.radix, &rows[i * n], i, x, 0);
                }
                Limbs horner(n, 0);
                std::size_t used = 1;
                horner[0] = chunks[n - 1];
                for (std::size_t i = n - 1; i-- > 0;) {
                    const Limb carry = multiplyAddSmall(c.radix, horner.data(), used, x, chunks[i]);
                    if (carry != 0) horner[used++] = carry;
                }
                Limbs combined(n);
                combineRows(c.radix, combined.data(), chunks.data(), n, rows.data(), n);
                EXPECT_EQ(combined, horner) << c.name << " n=" << n << (allMax ? " all max" : "");
            }
        }
    }
}

// q d + r must give back hi:lo with r < d; the quotient correction steps are taken only for
// some dividends, so the table holds the extremes of both halves for divisors with and without
// the top bit set.
TEST(Divisor, QuotientAndRemainderGiveBackTheDividend) {
    const Limb max = ~Limb{0};
    for (Limb d :
         {Limb{1}, Limb{3}, Limb{10}, Limb{36}, Limb{1} << 63, max, max - 1,
          Limb{10000000000000000000u}, Limb{4738381338321616896u}, Limb{12157665459056928801u}}) {
        const Divisor divisor(d);
        std::mt19937_64 rng(d);
        std::vector<std::pair<Limb, Limb>> dividends = {
            {0, 0}, {0, d - 1}, {0, d}, {0, max}, {d - 1, 0}, {d - 1, max}, {d / 2, d / 2}};
        for (int i = 0; i < 200; ++i) dividends.push_back({rng() % d, rng()});
        for (auto [hi, lo] : dividends) {
            Limb r = max;
            const Limb q = divisor.divide(hi, lo, r);
            const Wide p = mulWide(q, d);
            const Limb low = p.lo + r;
            const Limb high = p.hi + (low < r ? 1 : 0);
            EXPECT_LT(r, d) << d << " " << hi << ":" << lo;
            EXPECT_EQ(low, lo) << d << " " << hi << ":" << lo;
            EXPECT_EQ(high, hi) << d << " " << hi << ":" << lo;
        }
    }
}

TEST(AddSubtract, CarryAndBorrowRunToTheTop) {
    for (const RadixCase& c : radixCases()) {
        Limbs r(4, c.top);
        const Limbs one{1};
        EXPECT_EQ(addInto(c.radix, r.data(), r.size(), one.data(), one.size()), 1u) << c.name;
        EXPECT_EQ(r, Limbs(4, 0)) << c.name;
        EXPECT_EQ(subtractFrom(c.radix, r.data(), r.size(), one.data(), one.size()), 1u) << c.name;
        EXPECT_EQ(r, Limbs(4, c.top)) << c.name;

        // Limbs near half the radix: their sum wraps a 64-bit word when the radix exceeds 2^63.
        const Limb half = c.top / 2 + 1;
        Limbs x{half, half, 0};
        const Limbs y{half, half};
        EXPECT_EQ(addInto(c.radix, x.data(), x.size(), y.data(), y.size()), 0u) << c.name;
        const Limb twice = 2 * half - c.top - 1;  // 2 half - B, computed without wrapping
        EXPECT_EQ(x, (Limbs{twice, twice + 1, 1})) << c.name;
        EXPECT_EQ(subtractFrom(c.radix, x.data(), x.size(), y.data(), y.size()), 0u) << c.name;
        EXPECT_EQ(x, (Limbs{half, half, 0})) << c.name;
    }
}

}  // namespace
}  // namespace zif::detail
