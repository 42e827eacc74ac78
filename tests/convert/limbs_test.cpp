#include "convert/limbs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "convert/limb_ops.h"

namespace zif::detail {
namespace {

using Limbs = std::vector<Limb>;

struct RadixCase {
    const char* name;
    Radix radix;
    Limb top;  // the largest limb: radix - 1
};

// The largest power of base that fits a Word: 10^19 and 36^12 in 64 bits, 10^9 and 36^6 in 32.
template <class Word>
Word largestPower(Word base) {
    Word power = 1;
    while (power <= static_cast<Word>(~Word{0}) / base) power = static_cast<Word>(power * base);
    return power;
}

std::vector<RadixCase> radixCases() {
    const Limb ten = largestPower<Limb>(10), thirtySix = largestPower<Limb>(36);
    return {{"binary", Radix::binary(), ~Limb{0}},
            {"largest power of 10", Radix::power(ten), ten - 1},
            {"largest power of 36", Radix::power(thirtySix), thirtySix - 1}};
}

Limbs randomLimbs(std::mt19937_64& rng, std::size_t n, Limb top) {
    static_assert(sizeof(Limb) == 4 || sizeof(Limb) == 8);
    std::uniform_int_distribution<Limb> limb(0, top);
    Limbs out(n);
    for (Limb& l : out) l = limb(rng);
    return out;
}

Limbs karatsuba(const Radix& radix, const Limbs& a, const Limbs& b) {
    Limbs r(a.size() + b.size());
    // Scratch left dirty, as the conversion leaves it: a product must not count on zeros there.
    Limbs scratch(multiplyScratch(std::max(a.size(), b.size())), ~Limb{0});
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
        const std::size_t t = schoolbookThreshold(c.radix);
        const std::vector<std::pair<std::size_t, std::size_t>> sizes = {
            {t - 1, t - 1},    {t, t},         {t + 1, t},         {t + 1, t + 1},
            {2 * t, t},        {2 * t + 1, t}, {2 * t - 1, t + 3}, {3 * t + 5, t},
            {5 * t, 2 * t},    {4 * t, 4 * t}, {9 * t + 7, 8 * t}, {17 * t, 3},
            {2 * t - 1, t + 1}};
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
// unbalanced for it; Toom-32 at its crossover and across the ratios it takes (5/4 to 2); Toom-4
// at its crossover and just balanced enough to cut both operands into four. With
// random limbs, all-maximum limbs (every evaluation and interpolation step carries or borrows)
// and operands with long zero runs (zero middle coefficients).
TEST(Multiply, ToomAgreesWithSchoolbook) {
    std::mt19937_64 rng(7);
    for (const RadixCase& c : radixCases()) {
        if (!c.radix.isBinary()) continue;  // Toom serves binary limbs only
        const std::size_t t = kToom3ThresholdBinary, u = kToom32ThresholdBinary,
                          v = kToom4ThresholdBinary;
        const std::vector<std::pair<std::size_t, std::size_t>> sizes = {
            {t - 1, t - 1},         {t, t},         {t + 1, t + 1},     {t + 2, t},
            {t + 3, t + 2},         {3 * t / 2, t}, {3 * t, 3 * t},     {3 * t + 1, 2 * t + 2},
            {3 * t + 2, 2 * t + 1}, {2 * t, t},     {7 * t, 7 * t - 5}, {5 * u / 4, u},
            {5 * u / 4 - 1, u},     {7 * u / 5, u}, {2 * u - 2, u},     {3 * u / 2, u - 1},
            {7 * t / 5, t + 5},     {v, v},         {v + 3, v + 1},     {4 * v, 3 * v + 4}};
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

#ifdef ZIF_HAVE_SSE2_PATHS
// A 32-bit x86 build sums its columns with SSE2 where the processor has it, so the other tests
// reach the portable sums only in short columns: both must give the same products, down to the
// longest columns of all-maximum limbs.
TEST(Multiply, PortableColumnSumsAgreeWithVectorOnes) {
    if (!useSse2()) GTEST_SKIP() << "the processor has no SSE2";
    struct Portable {
        Portable() { setUseSse2(false); }
        ~Portable() { setUseSse2(true); }
    };
    std::mt19937_64 rng(11);
    for (const RadixCase& c : radixCases()) {
        const std::size_t t = schoolbookThreshold(c.radix);
        const std::size_t least = c.radix.isBinary() ? kVectorBinaryMin : kVectorColumnsMin;
        for (auto [na, nb] : std::vector<std::pair<std::size_t, std::size_t>>{{least - 1, 40},
                                                                              {least, least},
                                                                              {37, 35},
                                                                              {t - 1, t - 2},
                                                                              {t + 1, t},
                                                                              {5 * t, t - 1},
                                                                              {3 * t, 3 * t - 1}}) {
            for (bool allMax : {false, true}) {
                const Limbs a = allMax ? Limbs(na, c.top) : randomLimbs(rng, na, c.top);
                const Limbs b = allMax ? Limbs(nb, c.top) : randomLimbs(rng, nb, c.top);
                const Limbs vector = karatsuba(c.radix, a, b);
                const Portable portable;
                EXPECT_EQ(karatsuba(c.radix, a, b), vector)
                    << c.name << " " << na << "x" << nb << (allMax ? " all max" : "");
            }
        }
    }
}
#endif

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
void expectRowsJoinedAsByHorner(std::mt19937_64& rng) {
    for (const RadixCase& c : radixCases()) {
        for (std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{32},
                              std::size_t{64}, std::size_t{256}}) {
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
                Limbs limbMajor(n * n);
                for (std::size_t i = 0; i < n; ++i)
                    for (std::size_t k = 0; k < n; ++k) limbMajor[k * n + i] = rows[i * n + k];
                Limbs combined(n);
                combineRows(c.radix, combined.data(), chunks.data(), n, limbMajor.data(), n);
                EXPECT_EQ(combined, horner) << c.name << " n=" << n << (allMax ? " all max" : "");
            }
        }
    }
}

TEST(CombineRows, AgreesWithJoiningOneChunkAtATime) {
    std::mt19937_64 rng(5);
    expectRowsJoinedAsByHorner(rng);
#ifdef ZIF_HAVE_SSE2_PATHS
    // The portable sums too, where SSE2 takes the rows otherwise.
    setUseSse2(false);
    expectRowsJoinedAsByHorner(rng);
    setUseSse2(true);
#endif
}

// q d + r must give back hi:lo with r < d; the quotient correction steps are taken only for
// some dividends, so the table holds the extremes of both halves for divisors with and without
// the top bit set. Limbs use the divisor of their width, 64-bit values the 64-bit one.
template <class Word>
void checkDivisor() {
    const Word max = static_cast<Word>(~Word{0});
    for (Word d :
         {Word{1}, Word{3}, Word{10}, Word{36},
          static_cast<Word>(Word{1} << (sizeof(Word) * 8 - 1)), max, static_cast<Word>(max - 1),
          largestPower<Word>(10), largestPower<Word>(36), largestPower<Word>(3)}) {
        const BasicDivisor<Word> divisor(d);
        std::mt19937_64 rng(d);
        std::vector<std::pair<Word, Word>> dividends = {
            {0, 0},
            {0, static_cast<Word>(d - 1)},
            {0, d},
            {0, max},
            {static_cast<Word>(d - 1), 0},
            {static_cast<Word>(d - 1), max},
            {static_cast<Word>(d / 2), static_cast<Word>(d / 2)}};
        for (int i = 0; i < 200; ++i)
            dividends.push_back({static_cast<Word>(rng() % d), static_cast<Word>(rng())});
        for (auto [hi, lo] : dividends) {
            Word r = max;
            const Word q = divisor.divide(hi, lo, r);
            const auto back = productOf(q, d) + r;
            EXPECT_LT(r, d) << d << " " << hi << ":" << lo;
            EXPECT_EQ(lowHalf(back), lo) << d << " " << hi << ":" << lo;
            EXPECT_EQ(highHalf(back), hi) << d << " " << hi << ":" << lo;
        }
    }
}

TEST(Divisor, QuotientAndRemainderGiveBackTheDividend) {
    checkDivisor<std::uint32_t>();
    checkDivisor<std::uint64_t>();
}

// Against products, sums and differences worked out by hand in halves of 2^64; a comparison
// must look at the high halves first.
TEST(Uint128, ProductsSumsAndDifferencesCarryBetweenHalves) {
    const std::uint64_t max = ~std::uint64_t{0};
    struct Case {
        Uint128 value;
        std::uint64_t high, low;
    };
    for (const Case& c : std::vector<Case>{
             // (2^64 - 1)^2 = (2^64 - 2) 2^64 + 1
             {Uint128::product(max, max), max - 1, 1},
             // (2^32 + 3)(2^33 + 5) = 2^65 + 11 * 2^32 + 15
             {Uint128::product((std::uint64_t{1} << 32) + 3, (std::uint64_t{1} << 33) + 5), 2,
              (std::uint64_t{11} << 32) + 15},
             {Uint128(max) + Uint128(1), 1, 0},
             {Uint128::fromHalves(max, max) + Uint128::fromHalves(0, 2), 0, 1},
             {Uint128::fromHalves(1, 0) - Uint128(1), 0, max},
             {Uint128(0) - Uint128(1), max, max}}) {
        EXPECT_EQ(c.value.high(), c.high);
        EXPECT_EQ(c.value.low(), c.low);
    }
    EXPECT_TRUE(Uint128(max) < Uint128::fromHalves(1, 0));
    EXPECT_FALSE(Uint128::fromHalves(1, 0) < Uint128(max));
}

TEST(AddSubtract, CarryAndBorrowRunToTheTop) {
    for (const RadixCase& c : radixCases()) {
        Limbs r(4, c.top);
        const Limbs one{1};
        EXPECT_EQ(addInto(c.radix, r.data(), r.size(), one.data(), one.size()), 1u) << c.name;
        EXPECT_EQ(r, Limbs(4, 0)) << c.name;
        EXPECT_EQ(subtractFrom(c.radix, r.data(), r.size(), one.data(), one.size()), 1u) << c.name;
        EXPECT_EQ(r, Limbs(4, c.top)) << c.name;

        // Limbs near half the radix: their sum wraps the limb when the radix exceeds half of
        // 2^kLimbBits.
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
