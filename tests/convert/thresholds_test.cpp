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
