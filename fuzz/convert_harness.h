#pragma once

// What both libFuzzer targets for ConvertBase share: the input layout and the checks of every
// answer. The targets differ only in the lengths they make numerals: the fast one stays where a
// check takes well under a millisecond, the long one goes up to and past the length limit. The
// harness reaches the converter only through its public header, so it checks whatever
// arithmetic sits behind it.
//
// Input layout:
//   byte 0  mode: bits 0-1 how the payload becomes UTF-16 (0 raw little-endian units, 2 digits
//           with foreign units mixed in, 1 and 3 digits only); bits 2-4 all zero: bytes 1 and 2
//           are the bases as they are, otherwise they are folded into 2..36; bits 5-6 both set:
//           bytes 3-4 (little-endian) give a length the payload is repeated to, or with bit 7
//           set, a length of pseudo-random digits of FromBase that begin with the payload.
//   byte 1  FromBase, byte 2 ToBase.
//   rest    payload.
// Digit mode turns each byte into a digit of FromBase (lower case when bit 7 is set), so that
// long valid numerals, deep in the arithmetic, are as easy to reach as invalid ones.

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "convert/convert_base.h"
#include "convert/incremental_conversion.h"
#include "tests/convert/reference.h"

namespace zif::fuzz {

using testing::canonical;
using testing::digitChar;
using testing::residue;
using testing::validIn;

// Source numerals up to this many significant digits are checked against the naive reference.
inline constexpr std::size_t kNaiveLimit = 2500;

[[noreturn]] inline void fail(const char* what, std::u16string_view number, unsigned from,
                              unsigned to) {
    std::fprintf(stderr, "convert fuzzer: %s (FromBase %u, ToBase %u, %zu units:", what, from, to,
                 number.size());
    for (std::size_t i = 0; i < number.size() && i < 64; ++i)
        std::fprintf(stderr, " %04X", static_cast<unsigned>(number[i]));
    std::fprintf(stderr, "%s)\n", number.size() > 64 ? " ..." : "");
    std::abort();
}

// Characters a careless digit test might take for digits: neighbours of the digit ranges,
// signs and separators, and non-ASCII characters whose case mapping or "best fit" lands on
// ASCII (long s, dotless i, Kelvin sign, full-width and other script digits), NUL and lone
// surrogates.
inline constexpr std::array<char16_t, 32> kForeign = {
    u'/',   u':',   u'@',   u'[',   u'`',   u'{',   u' ',   u'-',   u'+',   u'.',   u',',
    u'_',   0x0000, 0x007F, 0x00B2, 0x00B9, 0x00DF, 0x0130, 0x0131, 0x017F, 0x0660, 0x0966,
    0x2170, 0x212A, 0xFF10, 0xFF21, 0xFF41, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFF};

struct Outcome {
    bool overflow = false;
    std::u16string result;
};

inline Outcome run(std::u16string_view number, unsigned from, unsigned to) {
    Outcome outcome;
    try {
        outcome.result = zif::ConvertBase(number, static_cast<std::uint8_t>(from),
                                          static_cast<std::uint8_t>(to));
        // Written in place over what the previous input left, it must be the same.
        static std::u16string reused;
        zif::ConvertBase(number, static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to),
                         reused);
        if (reused != outcome.result) fail("in-place result differs", number, from, to);
    } catch (const zif::RuntimeError& error) {
        if (error.number() != zif::kOverflowError)
            fail("run-time error other than overflow", number, from, to);
        outcome.overflow = true;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "convert fuzzer: unexpected exception: %s\n", error.what());
        fail("unexpected exception", number, from, to);
    }
    return outcome;
}

// Converts number and checks the answer every way that applies: its form, its residues, the
// round trip back, std::to_chars and the naive reference where they reach, and the last digit
// appended to and dropped from the neighbouring result.
inline void check(std::u16string_view number, unsigned from, unsigned to) {
    const Outcome outcome = run(number, from, to);
    const std::u16string& result = outcome.result;

    const bool basesValid = from >= 2 && from <= 36 && to >= 2 && to <= 36;
    if (!basesValid || number.empty()) {
        // Base 1 passes the first test of the original routine, so a long numeral may
        // overflow there before its base is looked at; both answers are fine.
        const bool overflowAllowed = to == 1 && from >= 2 && from <= 36 && !number.empty() &&
                                     number.size() > zif::kMaxNumeralLength;
        if (!result.empty()) fail("result for a rejected base or empty input", number, from, to);
        if (outcome.overflow && !overflowAllowed)
            fail("overflow for a rejected base or empty input", number, from, to);
        return;
    }
    if (number.size() > zif::kMaxNumeralLength) {
        if (!outcome.overflow) fail("no overflow above the length limit", number, from, to);
        return;
    }
    if (outcome.overflow) fail("overflow within the length limit", number, from, to);
    if (!validIn(number, from)) {
        if (!result.empty()) fail("result for an invalid numeral", number, from, to);
        return;
    }

    if (result.empty()) fail("no result for a valid numeral", number, from, to);
    if (!validIn(result, to) || canonical(result) != result)
        fail("result is not canonical digits of ToBase", number, from, to);

    const std::u16string expected = canonical(number);
    for (std::uint64_t prime : {4294967291ull, 4294967279ull}) {
        if (residue(expected, from, prime) != residue(result, to, prime))
            fail("result has a different value (residue)", number, from, to);
    }

    const Outcome back = run(result, to, from);
    if (result.size() <= zif::kMaxNumeralLength) {
        if (back.overflow || back.result != expected)
            fail("round trip does not give the canonical input", number, from, to);
    } else if (!back.overflow) {
        fail("round trip of an over-long result does not overflow", number, from, to);
    }

    const std::string digits(expected.begin(), expected.end());
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              static_cast<int>(from));
    if (error == std::errc{} && end == digits.data() + digits.size()) {
        std::array<char, 65> buffer{};
        const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                           static_cast<int>(to));
        std::u16string standard;
        for (const char* p = buffer.data(); p != written.ptr; ++p) {
            const char c = *p;
            standard.push_back(static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
        }
        if (standard != result) fail("differs from std::to_chars", number, from, to);
    }

    if (expected.size() <= kNaiveLimit && testing::referenceConvert(expected, from, to) != result)
        fail("differs from the naive reference", number, from, to);

    // The last digit typed or erased, worked into the neighbouring result.
    if (number.size() >= 2) {
        const auto f = static_cast<std::uint8_t>(from), t = static_cast<std::uint8_t>(to);
        const std::u16string_view prefix = number.substr(0, number.size() - 1);
        const std::u16string before = zif::ConvertBase(prefix, f, t);
        if (zif::AppendDigit(before, number.back(), f, t) != result)
            fail("appending the last digit differs from the whole conversion", number, from, to);
        if (zif::DropLastDigit(result, f, t) != before)
            fail("dropping the last digit differs from the whole conversion", number, from, to);
    }
}

// A field's successive contents, as a user edits it. The text starts as a paste of the script's
// head; then each unit of `script` in turn, by its value plus three times its position modulo 8
// (so that numerals of few digit values still reach every edit), erases the last unit (0, 1),
// leaves the text as it was (2), overwrites the first unit (3), is typed in front (4) or at the
// end (5-7). After every step IncrementalConversion must give what a whole conversion gives.
inline void checkEdits(std::u16string_view script, unsigned from, unsigned to) {
    constexpr std::size_t kSteps = 96;
    zif::IncrementalConversion conversion(static_cast<std::uint8_t>(from),
                                          static_cast<std::uint8_t>(to));
    std::u16string text(script.substr(0, script.size() % 8));
    for (std::size_t i = 0; i < script.size() && i < kSteps; ++i) {
        const char16_t unit = script[i];
        switch ((unit + 3 * i) % 8) {
            case 0:
            case 1:
                if (!text.empty()) text.pop_back();
                break;
            case 2:
                break;
            case 3:
                if (!text.empty()) text.front() = unit;
                break;
            case 4:
                text.insert(text.begin(), unit);
                break;
            default:
                text.push_back(unit);
        }
        const Outcome whole = run(text, from, to);
        try {
            conversion.convert(text);
        } catch (const std::exception&) {
            fail("incremental conversion throws where a whole conversion does not", text, from, to);
        }
        if (conversion.overflow() != whole.overflow || conversion.result() != whole.result)
            fail("incremental conversion differs from the whole conversion", text, from, to);
    }
}

// The lengths a target makes: a numeral longer than maxUnits is cut there, and the length field
// of the repeat mode is taken into [repeatMin, repeatMax]. With repeatAlways every input is in
// the repeat mode, whatever bits 5-6 say.
struct Lengths {
    std::size_t maxUnits;
    std::size_t repeatMin;
    std::size_t repeatMax;
    bool repeatAlways;
};

struct Input {
    std::u16string number;
    unsigned from;
    unsigned to;
};

inline Input decode(const std::uint8_t* data, std::size_t size, const Lengths& lengths) {
    Input input{{}, 10, 16};
    if (size < 3) return input;
    const unsigned mode = data[0] & 3u;
    const bool rawBases = (data[0] & 0x1Cu) == 0;
    const bool repeat = lengths.repeatAlways || (data[0] & 0x60u) == 0x60u;
    const bool randomFill = repeat && (data[0] & 0x80u) != 0;
    input.from = rawBases ? data[1] : 2u + data[1] % 35u;
    input.to = rawBases ? data[2] : 2u + data[2] % 35u;
    const unsigned base = input.from >= 2 && input.from <= 36 ? input.from : 36u;
    data += 3;
    size -= 3;

    std::size_t length = 0;
    if (repeat) {
        if (size < 2) return input;
        const std::size_t field = data[0] | static_cast<std::size_t>(data[1]) << 8;
        length = lengths.repeatMin + field % (lengths.repeatMax - lengths.repeatMin + 1);
        data += 2;
        size -= 2;
    }

    std::u16string units;
    if (mode == 0) {
        for (std::size_t i = 0; i + 1 < size; i += 2)
            units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8u));
        if (size % 2 != 0)
            units.push_back(data[size - 1]);  // an odd last byte is a unit of its own
    } else {
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint8_t byte = data[i];
            if (mode == 2 && (byte & 0xE0u) == 0xE0u) {
                units.push_back(kForeign[byte & 0x1Fu]);
                continue;
            }
            const char16_t digit = digitChar((byte & 0x7Fu) % base);
            const bool lower = (byte & 0x80u) != 0 && digit >= u'A';
            units.push_back(lower ? static_cast<char16_t>(digit - u'A' + u'a') : digit);
        }
    }

    if (randomFill) {
        // splitmix64, seeded by the payload: digits without a pattern, of any length.
        std::uint64_t state = 0x9E3779B97F4A7C15u;
        for (char16_t u : units) state = state * 31 + u;
        input.number = units.substr(0, length);
        while (input.number.size() < length) {
            std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
            z ^= z >> 31;
            input.number.push_back(digitChar(static_cast<unsigned>(z % base)));
        }
    } else if (repeat && !units.empty()) {
        input.number.reserve(length);
        while (input.number.size() < length)
            input.number.append(units, 0, length - input.number.size());
    } else {
        input.number = std::move(units);
    }
    if (input.number.size() > lengths.maxUnits) input.number.resize(lengths.maxUnits);
    return input;
}

// What each target does with an input: the fast one checks numerals within the naive
// reference's reach and edits of them, the long one numerals from past that reach to just past
// the length limit.
inline void checkFast(const std::uint8_t* data, std::size_t size) {
    static constexpr Lengths kLengths{kNaiveLimit, 0, kNaiveLimit, false};
    const Input input = decode(data, size, kLengths);
    check(input.number, input.from, input.to);
    checkEdits(input.number, input.from, input.to);
}

inline void checkLong(const std::uint8_t* data, std::size_t size) {
    static constexpr Lengths kLengths{2 * zif::kMaxNumeralLength, 2000, zif::kMaxNumeralLength + 16,
                                      true};
    const Input input = decode(data, size, kLengths);
    check(input.number, input.from, input.to);
}

}  // namespace zif::fuzz
