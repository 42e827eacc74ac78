#pragma once

// Numerals as text: digit values, and the step between digits and limbs. Everything here
// expects numerals that have been checked (only digits of their base, no leading zeros unless
// noted) and writes upper-case digits.

#include <cstddef>
#include <string>
#include <string_view>

#include "convert/wide_mul.h"

namespace zif::detail {

inline constexpr unsigned kInvalidDigit = 0xFF;

// Value of the digit c (0-9, A-Z, a-z), or kInvalidDigit.
unsigned digitValue(char16_t c);

// Whether every character of text is a digit (either case) of base, 2 <= base <= 36.
bool allDigitsOf(std::u16string_view text, unsigned base);

// log2(base) for the bases that are powers of two, 0 for the others.
unsigned bitsPerDigit(unsigned base);

// The most digits of `base` whose every value fits one 64-bit limb, and base to that power.
struct Chunk {
    unsigned digits;
    Limb power;
};
Chunk limbChunk(unsigned base);

// Value of the digits (at most limbChunk(base).digits of them).
Limb readChunk(const char16_t* digits, std::size_t count, unsigned base);

// Splits the digits into chunks of `chunkDigits` counted from the right (the leftmost chunk may
// be shorter) and stores their values, least significant chunk first, in out.
void readChunks(std::u16string_view digits, unsigned base, unsigned chunkDigits, Limb* out);

// Reads the digits of a base 2^bits into binary limbs; out holds ceil(size * bits / 64) limbs.
void readBinaryLimbs(std::u16string_view digits, unsigned bits, Limb* out);

// The numeral of value in base.
std::u16string writeValue(Limb value, unsigned base);

// The numeral of binary limbs (top limb not zero unless n == 1) in the base 2^bits.
std::u16string writeBinaryLimbs(const Limb* limbs, std::size_t n, unsigned bits);

// The numeral of limbs of radix base^digitsPerLimb (top limb not zero unless n == 1) in base.
std::u16string writePowerLimbs(const Limb* limbs, std::size_t n, unsigned base,
                               unsigned digitsPerLimb);

}  // namespace zif::detail
