#pragma once

// Where the conversion changes method, by operand length. Each was tuned with bench/convert for
// each limb width (32-bit x86 with the SSE2 column sums that nearly every such processor takes);
// the tests convert at each of them and one either side.

#include <cstddef>

#include "convert/words.h"

namespace zif::detail {

// Below this many limbs in the smaller operand, multiply() uses the schoolbook product of binary
// limbs, from it on Karatsuba.
inline constexpr std::size_t kKaratsubaThresholdBinary = kLimbBits == 64 ? 32 : 56;

// Below this many limbs in the smaller operand, multiply() in a power radix uses the schoolbook
// product, which reduces each column by two radix divisions. From it on the whole product is
// formed in unreduced columns (column_products.cpp) and reduced once, which costs more per
// column and pays only for longer products.
inline constexpr std::size_t kColumnsThresholdPower = kLimbBits == 64 ? 80 : 192;

// From this many limbs in the smaller operand on, a product in unreduced columns uses
// Karatsuba. Its leaves cost no division, so they pay from fewer limbs than reduced ones; SSE2
// makes the 32-bit target's columns cheap enough to stay longer.
inline constexpr std::size_t kColumnsKaratsubaThreshold = kLimbBits == 64 ? 40 : 128;

// From this many limbs in the smaller operand on, multiply() uses Toom-3 for binary limbs when
// the operands are balanced enough to be cut into three parts each: it saves a ninth of the
// products per level, which pays once the products outweigh its extra linear passes.
inline constexpr std::size_t kToom3ThresholdBinary = kLimbBits == 64 ? 150 : 140;

// From this many limbs in the smaller operand on, multiply() uses Toom-32 for binary limbs when
// the larger operand is 5/4 to 2 times as long.
inline constexpr std::size_t kToom32ThresholdBinary = kLimbBits == 64 ? 96 : 110;

// From this many limbs in the smaller operand on, multiply() uses Toom-4 for binary limbs when
// the operands are balanced enough to be cut into four parts each: seven products of a quarter
// where Toom-3 takes five of a third, in exchange for longer linear passes.
inline constexpr std::size_t kToom4ThresholdBinary = kLimbBits == 64 ? 900 : 400;

// Up to this many chunks of a numeral are joined directly, more by halves: the chunks times
// cached powers of the chunks' radix, a column at a time, each limb reduced once, where joining
// one chunk at a time costs a radix division per limb and chunk. A power radix gains most:
// joining by halves reduces the columns of a product at every level, so its leaves are long,
// although they cost the square of their length. Binary limbs gain less (only that the columns'
// products do not wait on a carry, as a chain of multiply-adds does), so their leaves are
// shorter, but on 32-bit x86 SSE2 sums their columns too. A 32-bit limb holds half the digits,
// so its leaves take more chunks. Longer decimal leaves would join long numerals faster with
// SSE2's column sums, but their powers (the square of the count in limbs, each row a radix
// division per limb) are built on the first long conversion, which a keystroke waits for.
inline constexpr std::size_t kLeafChunksBinary = kLimbBits == 64 ? 16 : 64;
inline constexpr std::size_t kLeafChunksPower = kLimbBits == 64 ? 128 : 256;

// A leaf of at least this many chunks is joined by column sums, a shorter one a chunk at a time:
// a column costs two radix divisions to reduce, a chunk joined one at a time one per limb so far.
inline constexpr std::size_t kJoinedRowsMinBinary = 3;
inline constexpr std::size_t kJoinedRowsMinPower = 5;

// Where 32-bit x86 sums columns with SSE2. In a power radix (limbs below 2^30), from this many
// products in the longest column: below it the lanes' setup and final sum cost more than they
// save. In binary limbs, for a shorter operand of kVectorBinaryMin to kVectorBinaryMax limbs,
// which bounds the halves the products keep on the stack.
inline constexpr std::size_t kVectorColumnsMin = 24;
inline constexpr std::size_t kVectorBinaryMin = 4;
inline constexpr std::size_t kVectorBinaryMax = 128;

}  // namespace zif::detail
