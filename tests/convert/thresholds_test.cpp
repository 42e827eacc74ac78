#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "convert/convert_base.h"
#include "convert/limbs.h"
#include "convert/numeral.h"
#include "convert/sse2.h"
#include "tests/convert/reference.h"

namespace zif {
namespace {

using detail::Limb;
using testing::canonical;
using testing::randomNumeral;
using testing::referenceConvert;
using testing::residue;

// Longer numerals are checked by residues and the round trip instead of the naive reference.
constexpr std::size_t kReferenceLimit = 3000;

// The radix the conversion into `to` works in: limbs of 2^bits for a power of two, else limbs
// of the largest power of `to` that fits one.
detail::Radix radixOf(int to) {
    return detail::bitsPerDigit(static_cast<unsigned>(to)) != 0
               ? detail::Radix::binary()
               : detail::Radix::power(detail::limbChunk(static_cast<unsigned>(to)).power);
}

// Digits of `from` that make a value of `limbs` limbs in the radix of `to`.
std::size_t digitsForLimbs(int from, int to, std::size_t limbs) {
    const double limbBits =
        detail::bitsPerDigit(static_cast<unsigned>(to)) != 0
            ? 8.0 * sizeof(Limb)
            : detail::limbChunk(static_cast<unsigned>(to)).digits * std::log2(to);
    return static_cast<std::size_t>(
        std::ceil(static_cast<double>(limbs) * limbBits / std::log2(from)));
}

// Runs the conversion on a thread of its own, whose scratch limbs are fresh and exactly as long
// as this numeral needs, so that AddressSanitizer sees any overrun past them.
std::u16string convertOnFreshThread(const std::u16string& number, int from, int to) {
    std::u16string result;
    std::thread([&] {
        result =
            ConvertBase(number, static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to));
    }).join();
    return result;
}

// n limbs up to top: random, or all top, where every column and addition carries.
std::vector<Limb> limbsOf(std::mt19937_64& rng, std::size_t n, Limb top, bool allMax) {
    std::uniform_int_distribution<Limb> limb(0, top);
    std::vector<Limb> out(n, top);
    if (!allMax)
        for (Limb& l : out) l = limb(rng);
    return out;
}

void expectConverts(const std::u16string& number, int from, int to, const std::string& what) {
    for (bool fresh : {true, false}) {
        const std::u16string result = fresh ? convertOnFreshThread(number, from, to)
                                            : ConvertBase(number, static_cast<std::uint8_t>(from),
                                                          static_cast<std::uint8_t>(to));
        const char* thread = fresh ? " (fresh thread)" : " (after longer numerals)";
        if (number.size() <= kReferenceLimit) {
            ASSERT_EQ(result, referenceConvert(number, from, to)) << what << thread;
            continue;
        }
        for (std::uint64_t prime : {4294967291u, 2147483647u})
            ASSERT_EQ(residue(result, to, prime), residue(number, from, prime)) << what << thread;
        if (result.size() > kMaxNumeralLength) continue;
        ASSERT_EQ(
            ConvertBase(result, static_cast<std::uint8_t>(to), static_cast<std::uint8_t>(from)),
            canonical(number))
            << what << thread << ": round trip";
    }
}

// Lengths on both sides of each switch between algorithms: every size of up to 70 limbs (the
// direct joins of chunks and the first splits), and two and three times the limb counts at which
// the products switch to Karatsuba, Toom-3, Toom-32 and Toom-4, where the halves of the top
// split straddle them.
// Source and target bases cover limbs of 2^64 with and without zero limbs in the powers,
// limbs of powers of 10 and 36, chunks of bits cut from hex and base-32 digits (a base-32 digit
// can straddle two limbs) and the conversion between powers of two. Random digits and
// all-maximum digits, which carry through every column.
TEST(ConvertBaseThresholds, LengthsAroundEverySwitchOnAFreshThread) {
    std::mt19937_64 rng(1208);
    const std::vector<std::pair<int, int>> pairs = {{10, 16}, {35, 16}, {36, 2},  {16, 10},
                                                    {32, 10}, {36, 10}, {10, 36}, {2, 16}};
    for (auto [from, to] : pairs) {
        const detail::Radix radix = radixOf(to);
        std::vector<std::size_t> limbs;
        for (std::size_t n = 1; n <= 70; ++n) limbs.push_back(n);
        std::vector<std::size_t> switches = {detail::schoolbookThreshold(radix)};
        if (radix.isBinary()) {
            switches.push_back(detail::kToom3ThresholdBinary);
            switches.push_back(detail::kToom32ThresholdBinary);
            switches.push_back(detail::kToom4ThresholdBinary);
        }
        for (std::size_t t : switches)
            for (std::size_t n : {2 * t - 1, 2 * t, 2 * t + 1, 3 * t}) limbs.push_back(n);
        const char16_t top = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[from - 1];
        for (std::size_t n : limbs) {
            const std::size_t length = digitsForLimbs(from, to, n);
            if (length > kMaxNumeralLength) continue;
            const std::string what = "from " + std::to_string(from) + " to " + std::to_string(to) +
                                     ", " + std::to_string(length) + " digits";
            std::u16string numeral(1, u'1');
            numeral += randomNumeral(rng, from, length - 1);
            expectConverts(numeral, from, to, what);
            if (n > 70 || n % 8 == 0)
                expectConverts(std::u16string(length, top), from, to, what + " all max");
        }
    }
}

// Every length from one chunk below to one chunk above each switch of the joins: to column sums
// of chunks (kJoinedRows*) and from them to joining by halves (kLeafChunks*). A chunk takes at
// least the whole digits of `from` in a limb of the radix and at most one more.
TEST(ConvertBaseThresholds, EveryLengthAroundTheJoinsOfChunks) {
    std::mt19937_64 rng(28);
    for (auto [from, to] : std::vector<std::pair<int, int>>{
             {10, 16}, {36, 2}, {16, 10}, {32, 10}, {10, 36}, {36, 10}}) {
        const bool binary = radixOf(to).isBinary();
        const double digitsPerLimb =
            (binary ? detail::kLimbBits : std::log2(detail::limbChunk(to).power)) / std::log2(from);
        const auto fewest = static_cast<std::size_t>(digitsPerLimb);
        for (std::size_t chunks :
             {binary ? detail::kJoinedRowsMinBinary : detail::kJoinedRowsMinPower,
              binary ? detail::kLeafChunksBinary : detail::kLeafChunksPower}) {
            for (std::size_t length = (chunks - 1) * fewest; length <= (chunks + 1) * (fewest + 1);
                 ++length) {
                std::u16string number(1, u'1');
                number += randomNumeral(rng, from, length - 1);
                ASSERT_EQ(ConvertBase(number, static_cast<std::uint8_t>(from),
                                      static_cast<std::uint8_t>(to)),
                          referenceConvert(number, from, to))
                    << "from " << from << " to " << to << ", " << length << " digits";
            }
        }
    }
}

// Products at each switch between methods and one limb either side, in both operand orders,
// against the schoolbook product, with scratch exactly as large as asked for. The switch inside the
// columns' Karatsuba is reached from the halves of the smallest products in columns.
TEST(MultiplyThresholds, ProductsAtEverySwitch) {
    std::mt19937_64 rng(29);
    using Sizes = std::vector<std::pair<std::size_t, std::size_t>>;
    const auto around = [](std::size_t t, std::size_t num, std::size_t den) {
        Sizes sizes;
        for (std::size_t nb : {t - 1, t, t + 1}) sizes.push_back({(nb * num + den - 1) / den, nb});
        return sizes;
    };
    const std::size_t k = detail::kColumnsKaratsubaThreshold;
    Sizes halves;
    for (auto [na, nb] :
         Sizes{{2 * k - 1, 2 * k - 1}, {2 * k, 2 * k}, {2 * k + 1, 2 * k}, {2 * k + 1, 2 * k + 1}})
        if (nb >= detail::kColumnsThresholdPower) halves.push_back({na, nb});
    const detail::Radix binary = detail::Radix::binary(),
                        decimal = detail::Radix::power(detail::limbChunk(10).power);
    struct Switch {
        const char* name;
        const detail::Radix& radix;
        Sizes sizes;
    };
    for (const Switch& s :
         std::vector<Switch>{{"Karatsuba", binary, around(detail::kKaratsubaThresholdBinary, 1, 1)},
                             {"Toom-32", binary, around(detail::kToom32ThresholdBinary, 5, 4)},
                             {"Toom-3", binary, around(detail::kToom3ThresholdBinary, 1, 1)},
                             {"Toom-4", binary, around(detail::kToom4ThresholdBinary, 1, 1)},
                             {"columns", decimal, around(detail::kColumnsThresholdPower, 1, 1)},
                             {"columns' Karatsuba", decimal, halves}}) {
        ASSERT_FALSE(s.sizes.empty()) << s.name;
        const Limb top = s.radix.isBinary() ? ~Limb{0} : s.radix.base() - 1;
        for (auto [na, nb] : s.sizes) {
            for (bool allMax : {false, true}) {
                const std::vector<Limb> a = limbsOf(rng, na, top, allMax),
                                        b = limbsOf(rng, nb, top, allMax);
                std::vector<Limb> scratch(detail::multiplyScratch(na), ~Limb{0});
                std::vector<Limb> product(na + nb), expected(na + nb);
                detail::multiply(s.radix, product.data(), a.data(), na, b.data(), nb,
                                 scratch.data());
                detail::multiplySchoolbook(s.radix, expected.data(), a.data(), na, b.data(), nb);
                ASSERT_EQ(product, expected)
                    << s.name << " " << na << "x" << nb << (allMax ? " all max" : "");
                // Either operand may be the longer one.
                detail::multiply(s.radix, product.data(), b.data(), nb, a.data(), na,
                                 scratch.data());
                detail::multiplySchoolbook(s.radix, expected.data(), b.data(), nb, a.data(), na);
                ASSERT_EQ(product, expected) << s.name << " " << nb << "x" << na;
            }
        }
    }
}

#ifdef ZIF_HAVE_SSE2_PATHS
// The schoolbook products by SSE2 at the lengths where they take over and, for binary limbs, give
// up, one limb either side, against the portable sums.
TEST(MultiplyThresholds, Sse2SchoolbookAtItsLimits) {
    if (!detail::useSse2()) GTEST_SKIP() << "the processor has no SSE2";
    std::mt19937_64 rng(30);
    const detail::Radix binary = detail::Radix::binary(),
                        decimal = detail::Radix::power(detail::limbChunk(10).power);
    struct Limit {
        const detail::Radix& radix;
        std::size_t at;
    };
    for (const Limit& limit : std::vector<Limit>{{binary, detail::kVectorBinaryMin},
                                                 {binary, detail::kVectorBinaryMax},
                                                 {decimal, detail::kVectorColumnsMin}}) {
        const Limb top = limit.radix.isBinary() ? ~Limb{0} : limit.radix.base() - 1;
        for (std::size_t nb : {limit.at - 1, limit.at, limit.at + 1}) {
            for (bool allMax : {false, true}) {
                const std::size_t na = nb + 5;
                const std::vector<Limb> a = limbsOf(rng, na, top, allMax),
                                        b = limbsOf(rng, nb, top, allMax);
                std::vector<Limb> vector(na + nb), portable(na + nb);
                detail::multiplySchoolbook(limit.radix, vector.data(), a.data(), na, b.data(), nb);
                detail::setUseSse2(false);
                detail::multiplySchoolbook(limit.radix, portable.data(), a.data(), na, b.data(),
                                           nb);
                detail::setUseSse2(true);
                ASSERT_EQ(vector, portable) << na << "x" << nb << (allMax ? " all max" : "");
            }
        }
    }
}
#endif

#ifdef ZIF_CHECKED
// The arithmetic's invariants are checked in this build: a column sum that does not fit the
// limbs it must fit ends the program where it happens instead of giving a wrong numeral.
TEST(ConvertBaseInvariantsDeathTest, BrokenInvariantAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const Limb factors[] = {~Limb{0}};
    const Limb rows[] = {2};
    Limb sum[1];
    EXPECT_DEATH(detail::combineRows(detail::Radix::binary(), sum, factors, 1, rows, 1),
                 "assertion failed");
}
#endif

}  // namespace
}  // namespace zif
