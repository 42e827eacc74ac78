#pragma once

// Numerals as text: digit values, and the step between digits and limbs. Everything here
// expects numerals that have been checked (only digits of their base, no leading zeros unless
// noted) and writes upper-case digits.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "convert/words.h"

namespace zif::detail {

inline constexpr unsigned kInvalidDigit = 0xFF;

inline constexpr char16_t kDigitChars[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
static_assert(std::size(kDigitChars) == 36 + 1);

// Digit values by ASCII code, kInvalidDigit for characters that are no digit.
inline constexpr std::array<std::uint8_t, 128> kDigitValues = [] {
    std::array<std::uint8_t, 128> values{};
    values.fill(kInvalidDigit);
    // | 0x20 turns a letter into lower case and leaves a decimal digit as it is.
    for (unsigned v = 0; v < 36; ++v)
        values[kDigitChars[v]] = values[kDigitChars[v] | 0x20] = static_cast<std::uint8_t>(v);
    return values;
}();

// Value of the digit c (0-9, A-Z, a-z), or kInvalidDigit.
inline unsigned digitValue(char16_t c) {
    return c < kDigitValues.size() ? kDigitValues[c] : kInvalidDigit;
}

// Whether every character of text is a digit (either case) of base, 2 <= base <= 36.
bool allDigitsOf(std::u16string_view text, unsigned base);

// log2(base) for the bases that are powers of two, 0 for the others. Not std::has_single_bit:
// without a popcount instruction in the target it becomes a library call.
inline unsigned bitsPerDigit(unsigned base) {
    return (base & (base - 1)) == 0 ? static_cast<unsigned>(std::countr_zero(base)) : 0;
}

// The most digits of `base` whose every value fits a Word, and base to that power.
template <class Word>
struct BasicChunk {
    unsigned digits;
    Word power;
};

template <class Word>
inline constexpr std::array<BasicChunk<Word>, 37> kChunks = [] {
    std::array<BasicChunk<Word>, 37> chunks{};
    for (unsigned base = 2; base <= 36; ++base) {
        BasicChunk<Word> chunk{0, 1};
        for (; chunk.power <= static_cast<Word>(~Word{0}) / base; ++chunk.digits)
            chunk.power = static_cast<Word>(chunk.power * base);
        chunks[base] = chunk;
    }
    return chunks;
}();
static_assert(kChunks<std::uint64_t>[10].digits == 19 && kChunks<std::uint64_t>[16].digits == 15);
static_assert(kChunks<std::uint32_t>[10].digits == 9 && kChunks<std::uint32_t>[16].digits == 7);

// Digits per limb.
inline BasicChunk<Limb> limbChunk(unsigned base) {
    return kChunks<Limb>[base];
}
// Digits per 64-bit value: numerals this long or one digit longer take the short path.
inline BasicChunk<std::uint64_t> valueChunk(unsigned base) {
    return kChunks<std::uint64_t>[base];
}

// A numeral short enough that its value may fit 64 bits: at most valueChunk(base).digits + 1
// characters, leading zeros allowed, not yet checked.
struct ShortValue {
    std::uint64_t value;  // the value's low 64 bits
    bool valid;           // only digits of the base
    bool fits;            // the value fits 64 bits
    std::uint8_t high;    // the value's bits above 64 (below the base)
};
// Returned in two registers on x86-64, where a larger struct goes through memory.
static_assert(sizeof(ShortValue) <= 16);
ShortValue readShort(std::u16string_view text, unsigned base);

// Splits the digits into chunks of `chunkDigits` counted from the right (the leftmost chunk may
// be shorter) and stores their values, least significant chunk first, in out.
void readChunks(std::u16string_view digits, unsigned base, unsigned chunkDigits, Limb* out);

// Reads the digits of a base 2^bits into binary limbs, all ceil(size * bits / kLimbBits) of
// them (the top one padded with zeros).
void readBinaryLimbs(std::u16string_view digits, unsigned bits, Limb* out);

// The functions below replace out's text, reusing its storage.

// The numeral of value in base.
void writeValue(std::uint64_t value, unsigned base, std::u16string& out);

// The numeral of binary limbs (top limb not zero unless n == 1) in the base 2^bits.
void writeBinaryLimbs(const Limb* limbs, std::size_t n, unsigned bits, std::u16string& out);

// The numeral of limbs of radix base^digitsPerLimb (top limb not zero unless n == 1) in base.
void writePowerLimbs(const Limb* limbs, std::size_t n, unsigned base, unsigned digitsPerLimb,
                     std::u16string& out);

}  // namespace zif::detail
