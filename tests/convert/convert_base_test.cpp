#include "convert/convert_base.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/convert/reference.h"

namespace zif {
namespace {

using testing::canonical;
using testing::numeral;
using testing::randomNumeral;
using testing::referenceConvert;
using testing::residue;

struct Case {
    const char* why;
    std::u16string number;
    int from;
    int to;
    std::u16string expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.why;
}

// Both forms of ConvertBase, which must agree: the one writing in place gets a stale, longer
// text to write over.
std::u16string convert(const std::u16string& number, int from, int to) {
    const auto fromBase = static_cast<std::uint8_t>(from), toBase = static_cast<std::uint8_t>(to);
    std::u16string result = ConvertBase(number, fromBase, toBase);
    std::u16string inPlace(80, u'#');
    ConvertBase(number, fromBase, toBase, inPlace);
    EXPECT_EQ(inPlace, result) << "written in place, from " << from << " to " << to;
    return result;
}

std::u16string decimal(int value) {
    std::u16string out;
    for (char c : std::to_string(value)) out.push_back(static_cast<char16_t>(c));
    return out;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* c = info.param.why; *c != 0; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name.push_back(*c);
    }
    return name + "_" + std::to_string(info.index);
}

class ConvertBaseCases : public ::testing::TestWithParam<Case> {};

TEST_P(ConvertBaseCases, GivesExpectedNumeral) {
    const Case& c = GetParam();
    EXPECT_EQ(convert(c.number, c.from, c.to), c.expected) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Valid, ConvertBaseCases,
    ::testing::Values(
        Case{"decimal to hex", u"255", 10, 16, u"FF"},
        Case{"lower-case hex", u"ff", 16, 10, u"255"},
        Case{"mixed-case hex", u"Ff", 16, 10, u"255"},
        Case{"power of the target base", u"4096", 10, 16, u"1000"},
        Case{"hex ten", u"10", 16, 10, u"16"}, Case{"16 bits", u"65535", 10, 16, u"FFFF"},
        Case{"base 36 letters", u"zz", 36, 10, u"1295"}, Case{"zero", u"0", 10, 16, u"0"},
        Case{"zeros only", u"0000", 16, 10, u"0"},
        Case{"leading zeros dropped", u"007F", 16, 10, u"127"},
        Case{"same base canonicalises", u"00abc", 16, 16, u"ABC"},
        Case{"binary", u"101010", 2, 10, u"42"}, Case{"to binary", u"255", 10, 2, u"11111111"},
        Case{"to base 36", u"1295", 10, 36, u"ZZ"},
        Case{"2^53 - 1", u"9007199254740991", 10, 16, u"1FFFFFFFFFFFFF"},
        Case{"2^53 - 1 back", u"1FFFFFFFFFFFFF", 16, 10, u"9007199254740991"},
        Case{"2^53 + 1 is exact", u"9007199254740993", 10, 16, u"20000000000001"},
        Case{"2^32 - 1", u"4294967295", 10, 16, u"FFFFFFFF"},
        Case{"2^32", u"4294967296", 10, 16, u"100000000"},
        Case{"2^32 + 1", u"100000001", 16, 10, u"4294967297"},
        Case{"2^64 - 1", u"18446744073709551615", 10, 16, u"FFFFFFFFFFFFFFFF"},
        Case{"2^64 - 1 back", u"FFFFFFFFFFFFFFFF", 16, 10, u"18446744073709551615"},
        Case{"2^64", u"18446744073709551616", 10, 16, u"10000000000000000"},
        Case{"2^64 back", u"10000000000000000", 16, 10, u"18446744073709551616"},
        Case{"2^64 + 1", u"10000000000000001", 16, 10, u"18446744073709551617"},
        Case{"2^128 - 1", u"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", 16, 10,
             u"340282366920938463463374607431768211455"},
        Case{"2^128", u"340282366920938463463374607431768211456", 10, 16,
             u"100000000000000000000000000000000"},
        Case{"2^128 + 1", u"100000000000000000000000000000001", 16, 10,
             u"340282366920938463463374607431768211457"},
        Case{"10^19, one decimal chunk", u"10000000000000000000", 10, 16, u"8AC7230489E80000"},
        Case{"2^64 in base 36", u"18446744073709551616", 10, 36, u"3W5E11264SGSG"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Rejected, ConvertBaseCases,
    ::testing::Values(
        Case{"empty", u"", 10, 16, u""}, Case{"A is 10, not a decimal digit", u"12a", 10, 16, u""},
        Case{"G is 16, not a hex digit", u"1G", 16, 10, u""},
        Case{"leading blank", u" 12", 10, 16, u""}, Case{"trailing blank", u"12 ", 10, 16, u""},
        Case{"sign", u"-5", 10, 16, u""}, Case{"plus sign", u"+7", 10, 16, u""},
        Case{"radix point", u"1.5", 10, 16, u""}, Case{"prefix", u"0x1F", 16, 10, u""},
        Case{"digit grouping", u"1,000", 10, 16, u""},
        Case{"NUL inside",
             std::u16string(u"1\0"
                            u"2",
                            3),
             10, 16, u""},
        Case{"full-width digit", u"\uFF11", 10, 16, u""}, Case{"sharp s", u"\u00DF", 36, 10, u""},
        Case{"dotted capital I", u"\u0130", 36, 10, u""},
        Case{"dotless small i", u"\u0131", 36, 10, u""},
        Case{"Kelvin sign folds to k elsewhere", u"\u212A", 36, 10, u""},
        Case{"emoji (surrogate pair)", u"1\U0001F600", 10, 16, u""},
        Case{"lone surrogate", std::u16string(1, char16_t{0xD800}), 10, 16, u""},
        Case{"ASCII digit + 0x100", std::u16string(1, char16_t{0x131}), 10, 16, u""},
        Case{"from base 1", u"0", 1, 16, u""}, Case{"from base 0", u"0", 0, 16, u""},
        Case{"from base 37", u"1", 37, 10, u""}, Case{"from base 255", u"1", 255, 10, u""},
        Case{"to base 0", u"1", 10, 0, u""}, Case{"to base 1", u"1", 10, 1, u""},
        Case{"to base 37", u"1", 10, 37, u""}, Case{"to base 255", u"1", 10, 255, u""}),
    caseName);

// Each character in turn, at every position of a numeral long enough that the digit check runs
// over several vector blocks and a tail: accepted exactly when it is a digit of the base. The
// neighbours of the digit and letter ranges and characters whose low byte is a digit are the
// ones a range check by arithmetic can get wrong.
TEST(ConvertBaseValidation, EachCharacterAtEveryPositionIsCheckedAgainstTheBase) {
    std::u16string characters;
    for (char16_t c = 0; c < 128; ++c) characters.push_back(c);
    for (char16_t c :
         {0x130, 0x131, 0x141, 0x161, 0x17A, 0x230, 0x3039, 0xFF10, 0xFF21, 0xFF41, 0xD800, 0xFFFF})
        characters.push_back(c);
    for (int base : {2, 9, 10, 11, 16, 35, 36}) {
        for (const char16_t c : characters) {
            int value = -1;
            if (c >= u'0' && c <= u'9') value = c - u'0';
            if (c >= u'A' && c <= u'Z') value = c - u'A' + 10;
            if (c >= u'a' && c <= u'z') value = c - u'a' + 10;
            const bool digit = value >= 0 && value < base;
            for (std::size_t at : {0, 1, 7, 8, 15, 16, 17, 33, 40}) {
                std::u16string number(41, u'1');
                number[at] = c;
                EXPECT_EQ(convert(number, base, base).empty(), !digit)
                    << "base " << base << " character " << static_cast<int>(c) << " at " << at;
            }
        }
    }
}

// Every pair of bases, every value below a few thousand, against the naive reference.
TEST(ConvertBaseExhaustive, SmallValuesInEveryBasePair) {
    for (int from = 2; from <= 36; ++from) {
        for (int to = 2; to <= 36; ++to) {
            for (int value = 0; value < 2000; value += (value < 300 ? 1 : 37)) {
                const std::u16string source = referenceConvert(decimal(value), 10, from);
                ASSERT_EQ(convert(source, from, to), referenceConvert(source, from, to))
                    << "value " << value << " from " << from << " to " << to;
            }
        }
    }
}

// Numerals of every length up to a few limbs, in every base pair, random digits.
TEST(ConvertBaseRandom, AgreesWithReferenceInEveryBasePair) {
    std::mt19937_64 rng(20261208);
    std::uniform_int_distribution<std::size_t> length(1, 90);
    for (int from = 2; from <= 36; ++from) {
        for (int to = 2; to <= 36; ++to) {
            for (int round = 0; round < 6; ++round) {
                const std::u16string source = randomNumeral(rng, from, length(rng));
                ASSERT_EQ(convert(source, from, to), referenceConvert(source, from, to))
                    << "from " << from << " to " << to;
            }
        }
    }
}

TEST(ConvertBaseRandom, RoundTripGivesCanonicalForm) {
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<int> base(2, 36);
    std::uniform_int_distribution<std::size_t> length(1, 2000);
    for (int round = 0; round < 300; ++round) {
        const int from = base(rng), to = base(rng);
        const std::u16string source = randomNumeral(rng, from, length(rng));
        const std::u16string there = convert(source, from, to);
        ASSERT_EQ(convert(there, to, from), canonical(source)) << "from " << from << " to " << to;
    }
}

// A digit appended or the last one dropped, worked into the previous result, gives exactly the
// whole conversion of the new numeral: every base pair, random lengths with and without leading
// zeros, every digit value at the end (the largest carries most), and lower-case letters.
TEST(ConvertBaseEdits, AppendAndDropAgreeWithWholeConversion) {
    std::mt19937_64 rng(1208);
    std::uniform_int_distribution<std::size_t> length(1, 70);
    for (int from = 2; from <= 36; ++from) {
        for (int to = 2; to <= 36; ++to) {
            for (int round = 0; round < 3; ++round) {
                std::u16string source = randomNumeral(rng, from, length(rng));
                if (round == 2) source.insert(0, u"00");
                const std::u16string converted = convert(source, from, to);
                const auto f = static_cast<std::uint8_t>(from), t = static_cast<std::uint8_t>(to);
                for (int digit : {0, 1, from - 1}) {
                    char16_t c =
                        static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10);
                    ASSERT_EQ(AppendDigit(converted, c, f, t), convert(source + c, from, to))
                        << "length " << source.size() << " + " << static_cast<int>(c) << " from "
                        << from << " to " << to;
                }
                if (source.size() >= 2) {
                    ASSERT_EQ(DropLastDigit(converted, f, t),
                              convert(source.substr(0, source.size() - 1), from, to))
                        << "from " << from << " to " << to;
                }
            }
        }
    }
}

struct EditCase {
    const char* why;
    std::u16string number;
    int from;
    int to;
};

// Values where the step crosses a limb or comes to zero, and digits that are none.
TEST(ConvertBaseEdits, LimbEdgesZeroAndInvalidDigits) {
    const std::vector<EditCase> cases = {
        {"zero", u"0", 10, 16},
        {"leading zeros to zero", u"00", 16, 10},
        {"2^64 - 1", u"FFFFFFFFFFFFFFFF", 16, 10},
        {"10^19 - 1", u"9999999999999999999", 10, 16},
        {"two limbs of nines", numeral(u"", 38, u'9'), 10, 16},
        {"2^128 - 1 in hex", numeral(u"", 32, u'F'), 16, 10},
        {"base 36 beyond one limb", numeral(u"", 14, u'Z'), 36, 7}};
    for (const EditCase& c : cases) {
        const auto f = static_cast<std::uint8_t>(c.from), t = static_cast<std::uint8_t>(c.to);
        const std::u16string converted = convert(c.number, c.from, c.to);
        for (char16_t digit : {u'0', u'1', static_cast<char16_t>(c.from == 10 ? u'9' : u'F')}) {
            EXPECT_EQ(AppendDigit(converted, digit, f, t), convert(c.number + digit, c.from, c.to))
                << c.why;
        }
        if (c.number.size() >= 2) {
            EXPECT_EQ(DropLastDigit(converted, f, t),
                      convert(c.number.substr(0, c.number.size() - 1), c.from, c.to))
                << c.why;
        }
        for (char16_t notDigit : {u':', u'G', u'g', u' ', char16_t{0x0661}, char16_t{0xD800}}) {
            if (c.from == 36 && (notDigit == u'G' || notDigit == u'g')) continue;
            EXPECT_EQ(AppendDigit(converted, notDigit, f, t), u"")
                << c.why << " " << static_cast<int>(notDigit);
        }
    }
}

// The longest numerals, typed to their end and erased again, both ways: the linear steps
// agree with the divide-and-conquer conversion of the whole.
TEST(ConvertBaseEdits, LongestNumeralsTypedAndErasedAtTheEnd) {
    std::mt19937_64 rng(32767);
    for (auto [from, to] : {std::pair{10, 16}, std::pair{16, 10}}) {
        const std::u16string full = randomNumeral(rng, from, kMaxNumeralLength);
        const std::u16string shorter = full.substr(0, full.size() - 1);
        const auto f = static_cast<std::uint8_t>(from), t = static_cast<std::uint8_t>(to);
        const std::u16string whole = convert(full, from, to);
        EXPECT_EQ(AppendDigit(convert(shorter, from, to), full.back(), f, t), whole);
        EXPECT_EQ(DropLastDigit(whole, f, t), convert(shorter, from, to));
    }
}

// Powers of an even base end in zero limbs in binary radix, which the joining of long numerals
// leaves out of the products. Lengths reach every level of the joining tree; the residues of
// the result are compared with those of the source, and all-maximum digits carry everywhere.
TEST(ConvertBaseLength, EvenBasesIntoPowerOfTwoBasesAtEveryLength) {
    std::mt19937_64 rng(1208);
    for (int from : {6, 10, 12, 14, 20, 26, 34, 36}) {
        for (int to : {2, 16, 32}) {
            for (std::size_t length : {80, 300, 700, 1500, 4000, 9000, 32767}) {
                if (length == 32767 && from != 10) continue;
                for (bool allMax : {false, true}) {
                    const std::u16string source =
                        allMax
                            ? std::u16string(
                                  length,
                                  u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[static_cast<std::size_t>(
                                      from - 1)])
                            : std::u16string(u"1").append(randomNumeral(rng, from, length - 1));
                    const std::u16string result = convert(source, from, to);
                    ASSERT_FALSE(result.empty());
                    EXPECT_NE(result.front(), u'0');
                    for (std::uint64_t prime : {4294967291u, 2147483647u})
                        ASSERT_EQ(residue(result, to, prime), residue(source, from, prime))
                            << "from " << from << " to " << to << " length " << length
                            << (allMax ? " all max" : "") << " mod " << prime;
                }
            }
        }
    }
}

// Values just around powers of two that are limb boundaries, in both directions.
TEST(ConvertBaseLimbEdges, NeighboursOfPowersOfTwo) {
    for (int exponent : {31, 32, 33, 63, 64, 65, 127, 128, 129, 191, 192, 255, 256, 1024}) {
        // 2^e - 1, 2^e, 2^e + 1 in binary
        const std::u16string ones(static_cast<std::size_t>(exponent), u'1');
        const std::u16string power = numeral(u"1", static_cast<std::size_t>(exponent), u'0');
        std::u16string powerPlusOne = power;
        powerPlusOne.back() = u'1';
        for (const std::u16string& binary : {ones, power, powerPlusOne}) {
            const std::u16string decimal = referenceConvert(binary, 2, 10);
            const std::u16string hex = referenceConvert(binary, 2, 16);
            EXPECT_EQ(convert(decimal, 10, 16), hex) << "2^" << exponent;
            EXPECT_EQ(convert(hex, 16, 10), decimal) << "2^" << exponent;
            EXPECT_EQ(convert(binary, 2, 10), decimal) << "2^" << exponent;
        }
    }
}

// Numerals of up to one limb's digits and one more take a path of their own: check each
// character at each position of every length there, in every base.
TEST(ConvertBaseValidation, ShortNumeralsCheckEveryCharacter) {
    const std::u16string bad = {u'/', u':', u'@', u'[', u'`', u'{', u' ', 0x130, 0xFF10, 0xD800};
    for (int base = 2; base <= 36; ++base) {
        const std::size_t longest = base == 2 ? 65 : base <= 16 ? 21 : 14;
        for (std::size_t length = 1; length <= longest; ++length) {
            for (std::size_t at = 0; at < length; ++at) {
                const char16_t top = base <= 10 ? static_cast<char16_t>(u'0' + base - 1)
                                                : static_cast<char16_t>(u'a' + base - 11);
                std::u16string number(length, u'1');
                number[at] = top;
                ASSERT_EQ(convert(number, base, 10), referenceConvert(number, base, 10))
                    << "base " << base << " length " << length << " at " << at;
                number[at] = static_cast<char16_t>(base <= 10 ? u'0' + base : u'A' + base - 10);
                if (base < 36) {
                    ASSERT_EQ(convert(number, base, 10), u"") << "base " << base;
                }
                for (const char16_t c : bad) {
                    number[at] = c;
                    ASSERT_EQ(convert(number, base, 16), u"")
                        << "base " << base << " character " << static_cast<int>(c) << " at " << at;
                }
            }
        }
    }
}

// 2^64 - 1, 2^64 and 2^64 + 1 in every base, with and without leading zeros, into every base:
// the first fits one limb, the others overflow it by the last digit read.
TEST(ConvertBaseLimbEdges, AroundTwoToThe64InEveryBasePair) {
    const std::u16string ones(64, u'1');
    const std::u16string power = numeral(u"1", 64, u'0');
    const std::u16string powerPlusOne = numeral(u"1", 63, u'0').append(u"1");
    for (int from = 2; from <= 36; ++from) {
        for (const std::u16string& binary : {ones, power, powerPlusOne}) {
            const std::u16string source = referenceConvert(binary, 2, from);
            for (const std::u16string& written : {source, numeral(u"0", 0, u'0').append(source),
                                                  numeral(u"00", 0, u'0').append(source)}) {
                for (int to = 2; to <= 36; ++to) {
                    ASSERT_EQ(convert(written, from, to), referenceConvert(binary, 2, to))
                        << "from " << from << " to " << to << " length " << written.size();
                }
            }
        }
    }
}

// The longest numerals read as one value, every digit the base's largest: one digit more than
// 64 bits always hold, so values up to the base times 2^64, with and without a leading zero,
// into the bases written from binary limbs and two others.
TEST(ConvertBaseLimbEdges, LongestShortNumeralsPastTwoToThe64) {
    for (int from = 2; from <= 36; ++from) {
        const char16_t top = from <= 10 ? static_cast<char16_t>(u'0' + from - 1)
                                        : static_cast<char16_t>(u'A' + from - 11);
        std::size_t digits = 1;
        while (referenceConvert(std::u16string(digits + 1, top), from, 2).size() <= 64) ++digits;
        const std::u16string largest(digits + 1, top);
        for (const std::u16string& written : {largest, u"0" + largest}) {
            for (int to : {2, 4, 8, 10, 16, 32, 36}) {
                ASSERT_EQ(convert(written, from, to), referenceConvert(largest, from, to))
                    << "from " << from << " to " << to << " length " << written.size();
            }
        }
    }
}

// The result is made at its final length, counted beforehand: values at every change of the
// digit count, b^k - 1 and b^k, for every target base up to 2^64.
TEST(ConvertBaseLimbEdges, EveryDigitCountOfOneLimb) {
    for (int to = 2; to <= 36; ++to) {
        const char16_t top =
            to <= 10 ? static_cast<char16_t>(u'0' + to - 1) : static_cast<char16_t>(u'A' + to - 11);
        for (std::size_t digits = 1; digits <= 64; ++digits) {
            const std::u16string largest(digits, top);  // to^digits - 1
            const std::u16string decimal = referenceConvert(largest, to, 10);
            if (decimal.size() > 20 || (decimal.size() == 20 && decimal > u"18446744073709551615"))
                break;
            const std::u16string next = numeral(u"1", digits, u'0');  // to^digits
            EXPECT_EQ(convert(decimal, 10, to), largest) << "to " << to << " digits " << digits;
            EXPECT_EQ(convert(referenceConvert(next, to, 10), 10, to), next)
                << "to " << to << " digits " << digits + 1;
            EXPECT_EQ(convert(referenceConvert(largest, to, 16), 16, to), largest)
                << "to " << to << " digits " << digits;
        }
    }
}

// Values a double cannot hold: 2 * 10^308 and beyond must convert exactly, not overflow.
TEST(ConvertBaseBeyondDouble, ConvertsExactly) {
    const std::u16string twoE308 = numeral(u"2", 308, u'0');
    const std::u16string hex = convert(twoE308, 10, 16);
    EXPECT_EQ(hex, referenceConvert(twoE308, 10, 16));
    EXPECT_EQ(convert(hex, 16, 10), twoE308);

    const std::u16string allNines(1000, u'9');
    EXPECT_EQ(convert(allNines, 10, 16), referenceConvert(allNines, 10, 16));
}

TEST(ConvertBaseLength, LongestDecimalNumeralConvertsExactly) {
    std::mt19937_64 rng(7);
    const std::u16string decimal =
        std::u16string(u"1").append(randomNumeral(rng, 10, kMaxNumeralLength - 1));
    const std::u16string hex = convert(decimal, 10, 16);
    ASSERT_FALSE(hex.empty());
    EXPECT_EQ(convert(hex, 16, 10), decimal);
}

// 32767 hex digits make about 39457 decimal ones, too long to convert back; compare
// fingerprints modulo a few primes instead. Bases 4, 32 and 16 share the chunks of bits they are
// read in, whichever of them comes first: base 4 is converted first and base 32 needs the most.
TEST(ConvertBaseLength, LongestNumeralsOfPowersOfTwoConvertExactly) {
    std::mt19937_64 rng(8);
    for (int from : {4, 32, 16}) {
        const char16_t top = u"0123456789ABCDEFGHIJKLMNOPQRSTUV"[from - 1];
        const std::u16string numeral =
            std::u16string(1, top).append(randomNumeral(rng, from, kMaxNumeralLength - 1));
        const std::u16string decimal = convert(numeral, from, 10);
        ASSERT_FALSE(decimal.empty()) << "from " << from;
        if (from == 16) {
            ASSERT_GT(decimal.size(), kMaxNumeralLength);
        }
        EXPECT_NE(decimal.front(), u'0');
        for (std::uint64_t prime : {4294967291u, 4294967279u, 2147483647u, 1000000007u}) {
            EXPECT_EQ(residue(decimal, 10, prime), residue(numeral, from, prime))
                << "from " << from << " mod " << prime;
        }
    }
    const std::u16string hex =
        std::u16string(u"F").append(randomNumeral(rng, 16, kMaxNumeralLength - 1));
    EXPECT_EQ(convert(convert(hex, 16, 36), 36, 16), canonical(hex));
}

TEST(ConvertBaseLength, LongestNumeralOfZerosIsZero) {
    EXPECT_EQ(convert(std::u16string(kMaxNumeralLength, u'0'), 10, 16), u"0");
}

void expectOverflow(const std::u16string& number, int from, int to) {
    try {
        convert(number, from, to);
        ADD_FAILURE() << "no overflow for " << number.size() << " units";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
    }
}

TEST(ConvertBaseLength, OneUnitTooLongRaisesOverflow) {
    expectOverflow(std::u16string(kMaxNumeralLength + 1, u'1'), 10, 16);
    expectOverflow(std::u16string(kMaxNumeralLength + 1, u'0'), 16, 10);
}

TEST(ConvertBaseLength, OverflowComesBeforeAnyCharacterIsLookedAt) {
    expectOverflow(numeral(u"x", kMaxNumeralLength, u'1'), 10, 16);
    expectOverflow(std::u16string(kMaxNumeralLength + 1, u'-'), 10, 16);
}

TEST(ConvertBaseLength, CountsUtf16Units) {
    std::u16string emoji;
    for (int i = 0; i < 16384; ++i) emoji += u"\U0001F600";  // 32768 units
    expectOverflow(emoji, 10, 16);
    emoji.resize(emoji.size() - 2);  // 32766 units: no overflow, just invalid
    EXPECT_EQ(convert(emoji, 10, 16), u"");
}

// One result string reused from conversion to conversion, as keystroke after keystroke would:
// lengths go up and down, some numerals are invalid, nothing of an earlier text may remain.
TEST(ConvertBaseInPlace, ReusedResultCarriesNothingOver) {
    std::mt19937_64 rng(812);
    std::uniform_int_distribution<int> base(2, 36);
    const std::size_t lengths[] = {1, 2, 5, 12, 19, 20, 21, 40, 300, 5000};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(lengths) - 1);
    std::u16string result;
    for (int round = 0; round < 400; ++round) {
        const int from = base(rng), to = base(rng);
        std::u16string source = randomNumeral(rng, from, lengths[pick(rng)]);
        if (round % 7 == 0) source[rng() % source.size()] = u'!';
        ConvertBase(source, static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to), result);
        ASSERT_EQ(result, convert(source, from, to)) << "round " << round;
    }
}

TEST(ConvertBaseInPlace, NumberMayViewResult) {
    const Case cases[] = {
        {"short", u"255", 10, 16, u"FF"},
        {"longer result", u"FF", 16, 2, u"11111111"},
        {"leading zeros", u"000", 10, 2, u"0"},
        {"invalid", u"12x", 10, 16, u""},
        {"past 64 bits", u"18446744073709551616", 10, 16, u"10000000000000000"},
        {"long", numeral(u"1", 3000, u'0'), 16, 2, numeral(u"1", 12000, u'0')},
    };
    for (const Case& c : cases) {
        std::u16string text = c.number;
        ConvertBase(text, static_cast<std::uint8_t>(c.from), static_cast<std::uint8_t>(c.to), text);
        EXPECT_EQ(text, c.expected) << c.why;
    }
}

TEST(ConvertBaseInPlace, OverflowLeavesResultAsItWas) {
    std::u16string result = u"ABC";
    EXPECT_THROW(ConvertBase(std::u16string(kMaxNumeralLength + 1, u'1'), 10, 16, result),
                 RuntimeError);
    EXPECT_EQ(result, u"ABC");
}

// Like std::to_chars: numerals that fit 64 bits are written into the room the caller has.
TEST(ConvertBaseInPlace, SixtyFourBitNumeralsAllocateNothingOnceResultHasRoom) {
    const Case cases[] = {
        {"largest into binary", u"18446744073709551615", 10, 2, std::u16string(64, u'1')},
        {"largest hex into decimal", u"FFFFFFFFFFFFFFFF", 16, 10, u"18446744073709551615"},
        {"one digit", u"7", 10, 16, u"7"},
        {"a letter into decimal", u"z", 36, 10, u"35"},
        {"base 36 into base 3", u"3W5E11264SGSF", 36, 3,
         u"11112220022122120101211020120210210211220"},
        {"invalid", u"1G", 16, 10, u""},
    };
    std::u16string result;
    result.reserve(64);
    const char16_t* const storage = result.data();
    const std::size_t capacity = result.capacity();
    for (const Case& c : cases) {
        ConvertBase(c.number, static_cast<std::uint8_t>(c.from), static_cast<std::uint8_t>(c.to),
                    result);
        EXPECT_EQ(result, c.expected) << c.why;
        EXPECT_EQ(result.data(), storage) << c.why;
        EXPECT_EQ(result.capacity(), capacity) << c.why;
    }
}

TEST(ConvertBaseLength, BadBasesWinOverLength) {
    EXPECT_EQ(convert(std::u16string(kMaxNumeralLength + 1, u'1'), 10, 1), u"");
    EXPECT_EQ(convert(std::u16string(kMaxNumeralLength + 1, u'1'), 37, 10), u"");
}

}  // namespace
}  // namespace zif
