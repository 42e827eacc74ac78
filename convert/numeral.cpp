#include "convert/numeral.h"

#include <array>
#include <bit>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "convert/check.h"
#include "convert/sse2.h"

namespace zif::detail {

namespace {

// Every numeral of `width` digits in base, leading zeros included, in order: a lookup writes
// them all. "00" to "99" halve the divisions of decimal writing; by byte value, 64 bits become
// 16 hex (or 64 binary) digits in 8 lookups instead of a shift and a store per digit.
template <unsigned base, unsigned width>
constexpr auto kDigitGroups = [] {
    unsigned count = 1;
    for (unsigned d = 0; d < width; ++d) count *= base;
    // Indexed by a byte at most; a larger count fails to compile here.
    std::array<char16_t, width * 256> groups{};
    for (unsigned v = 0; v < count; ++v)
        for (unsigned d = width, rest = v; d-- > 0; rest /= base)
            groups[width * v + d] = kDigitChars[rest % base];
    return groups;
}();

// A hardware divide by a run-time base takes tens of cycles (or a library call for 64 bits on a
// 32-bit target); the reciprocal takes two multiplies. A 64-bit value is cut into blocks below
// 2^32 (kChunks<std::uint32_t>[base] each); in a block a division by base^2 splits off two digits
// with one multiply (Lemire, Kaser and Kurz, "Faster remainder by direct computation", 2019:
// floor(x / d) = the high half of x * (floor((2^64 - 1) / d) + 1) for every x and d below 2^32),
// and a digit pair (below 36^2) is split by a 16-bit fixed-point reciprocal of the base: pair *
// ceil(2^16 / base) is off by less than 1296 / 2^16, too little to reach the next multiple of 2^16.
struct BaseDivisors {
    Divisor64 block;
    std::uint32_t square;
    std::uint64_t squareInverse;
    std::uint32_t pairReciprocal;
};

const BaseDivisors& baseDivisors(unsigned base) {
    static const std::vector<BaseDivisors> table = [] {
        std::vector<BaseDivisors> divisors;
        for (unsigned b = 0; b <= 36; ++b) {
            const unsigned d = b < 2 ? 2 : b;
            divisors.push_back({Divisor64(kChunks<std::uint32_t>[d].power), d * d,
                                ~std::uint64_t{0} / (std::uint64_t{d} * d) + 1, (65535 + d) / d});
        }
        return divisors;
    }();
    return table[base];
}

void putPair(char16_t* at, unsigned pair) {
    std::memcpy(at, &kDigitGroups<10, 2>[2 * pair], 2 * sizeof(char16_t));
}

// Writes exactly 8 decimal digits of v < 10^8 at `at`.
void putEightDecimal(char16_t* at, std::uint32_t v) {
    const std::uint32_t high = v / 10000, low = v % 10000;
    putPair(at, high / 100);
    putPair(at + 2, high % 100);
    putPair(at + 4, low / 100);
    putPair(at + 6, low % 100);
}

// Number of decimal digits of v (1 for 0).
unsigned decimalDigits(std::uint64_t v) {
    static constexpr std::array<std::uint64_t, 20> kPowers = [] {
        std::array<std::uint64_t, 20> powers{1};
        for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
        return powers;
    }();
    // 1233 / 4096 ~ log10(2): the estimate is the count or one below it.
    // v | 1 counts 0 as one digit and changes no count (10^k is even).
    const unsigned estimate = (static_cast<unsigned>(std::bit_width(v | 1)) * 1233) >> 12;
    return estimate + ((v | 1) >= kPowers[estimate] ? 1 : 0);
}

// Writes the decimal digits of v ending just before `end`; returns the first digit's position.
// Blocks of 8 digits split off by 10^8 are written independently, instead of one long chain of
// dependent divisions by 100; on a 64-bit target the constant divisions compile to multiplies.
template <class Word>
[[gnu::always_inline]] inline char16_t* putDecimalBefore(char16_t* end, Word v) {
    for (; v >= 100000000; v /= 100000000) {
        end -= 8;
        putEightDecimal(end, static_cast<std::uint32_t>(v % 100000000));
    }
    auto w = static_cast<std::uint32_t>(v);
    for (; w >= 100; w /= 100) {
        end -= 2;
        putPair(end, w % 100);
    }
    if (w < 10) {
        *--end = static_cast<char16_t>(u'0' + w);
    } else {
        end -= 2;
        putPair(end, w);
    }
    return end;
}

// Writes exactly `width` decimal digits of v < 10^width at `at`: the digits above the 8-digit
// blocks split off first, then the blocks, all with constant divisors and no branch.
template <unsigned width, class Word>
void putDecimalField(char16_t* at, Word v) {
    constexpr unsigned blocks = width / 8, topDigits = width % 8;
    Word power = 1;
    for (unsigned i = 0; i < blocks; ++i) power *= 100000000;
    auto top = static_cast<std::uint32_t>(v / power);
    Word rest = v % power;
    for (unsigned d = topDigits; d >= 2; d -= 2, top /= 100) putPair(at + d - 2, top % 100);
    if constexpr (topDigits % 2 == 1) at[0] = static_cast<char16_t>(u'0' + top);
    for (unsigned i = blocks; i-- > 0; rest /= 100000000)
        putEightDecimal(at + topDigits + 8 * i, static_cast<std::uint32_t>(rest % 100000000));
}

// Calls put(bits) with bits as a constant (1 to 5): the digit loops then shift and mask by
// constants and unroll.
template <class Put>
[[gnu::always_inline]] inline void withBits(unsigned bits, Put put) {
    [&]<unsigned... kBits>(std::integer_sequence<unsigned, kBits...>) {
        ((bits == kBits ? put(std::integral_constant<unsigned, kBits>{}) : void()), ...);
    }
    (std::integer_sequence<unsigned, 1, 2, 3, 4, 5>{});
}

// Writes the `count` lowest digits of v in base 2^bits ending just before `end`.
template <unsigned bits, class Word>
[[gnu::always_inline]] inline void putBinaryDigits(char16_t* end, Word v, std::size_t count) {
    if constexpr (bits == 1 || bits == 4) {
        constexpr std::size_t perByte = 8 / bits;
        for (std::size_t i = 0; i < count / perByte; ++i, v >>= 8) {
            end -= perByte;
            std::memcpy(end, &kDigitGroups<1u << bits, perByte>[perByte * (v & 0xFF)],
                        perByte * sizeof(char16_t));
        }
        count %= perByte;
    }
    for (; count != 0; --count, v >>= bits) *--end = kDigitChars[v & ((1u << bits) - 1)];
}

// Writes the digits of x in base (not a power of two) ending just before `end`, at least
// `width` of them (leading zeros); returns the first digit's position.
char16_t* putBlockBefore(char16_t* end, std::uint32_t x, unsigned base,
                         const BaseDivisors& divisors, unsigned width) {
    char16_t* p = end;
    auto putPairOf = [&](std::uint32_t pair) {
        const std::uint32_t high = (pair * divisors.pairReciprocal) >> 16;
        p -= 2;
        p[0] = kDigitChars[high];
        p[1] = kDigitChars[pair - high * base];
    };
    while (x >= divisors.square) {
        const auto q =
            static_cast<std::uint32_t>(Uint128::product(divisors.squareInverse, x).high());
        putPairOf(x - q * divisors.square);
        x = q;
    }
    if (x >= base)
        putPairOf(x);
    else
        *--p = kDigitChars[x];
    while (p > end - width) *--p = u'0';
    return p;
}

// Writes the digits of v in base (not a power of two), no leading zeros, ending just before
// `end`; returns the first digit's position.
template <class Word>
[[gnu::always_inline]] inline char16_t* putDigitsBefore(char16_t* end, Word v, unsigned base) {
    if (base == 10) return putDecimalBefore(end, v);
    const BaseDivisors& divisors = baseDivisors(base);
    char16_t* p = end;
    while (v > 0xFFFFFFFFu) {
        std::uint64_t block;
        v = divisors.block.divide(0, v, block);
        p = putBlockBefore(p, static_cast<std::uint32_t>(block), base, divisors,
                           kChunks<std::uint32_t>[base].digits);
    }
    return putBlockBefore(p, static_cast<std::uint32_t>(v), base, divisors, 0);
}

// Value of the digits by a chain of multiply-adds.
template <class Word>
Word readChain(const char16_t* digits, std::size_t count, unsigned base) {
    Word value = 0;
    // A shift instead of a multiply by the run-time base: 1 cycle a digit instead of 4.
    if (const unsigned bits = bitsPerDigit(base))
        for (std::size_t i = 0; i < count; ++i) value = (value << bits) | kDigitValues[digits[i]];
    else if (base <= 10)
        for (std::size_t i = 0; i < count; ++i) value = value * base + (digits[i] - u'0');
    else
        for (std::size_t i = 0; i < count; ++i) value = value * base + kDigitValues[digits[i]];
    return value;
}

// Value of 8 decimal digits: a few multiplies on several digits at once instead of a chain of
// eight dependent multiply-adds.
std::uint32_t readEightDecimal(const char16_t* digits) {
    if constexpr (std::endian::native == std::endian::big)
        return readChain<std::uint32_t>(digits, 8, 10);
    if constexpr (kLimbBits == 32) {
        // Two digits per 32-bit word: 64-bit multiplies cost three on a 32-bit target.
        auto two = [digits](unsigned at) {
            std::uint32_t lanes;  // digits[at] in the low half
            std::memcpy(&lanes, digits + at, 4);
            lanes -= 0x00300030u;
            return (lanes * 10 + (lanes >> 16)) & 0xFFFF;
        };
        return (two(0) * 100 + two(2)) * 10000 + two(4) * 100 + two(6);
    }
    auto four = [digits](unsigned at) {
        std::uint64_t lanes;  // four UTF-16 digits, digits[at] in the lowest bits
        std::memcpy(&lanes, digits + at, 8);
        // Each 16-bit lane holds a digit; combine neighbours: lanes 0 and 2 then hold 10 d0 + d1
        // and 10 d2 + d3.
        lanes -= 0x0030003000300030u;
        lanes = lanes * 10 + (lanes >> 16);
        return static_cast<std::uint32_t>((lanes & 0xFFFF) * 100 + ((lanes >> 32) & 0xFFFF));
    };
    return four(0) * 10000 + four(4);
}

// Arithmetic on 16-bit lanes instead of a table lookup and a branch per character, so that the
// compiler checks a vector of characters per instruction; on int lanes it would widen every
// character first.
[[gnu::always_inline]] inline bool noOtherCharacters(std::u16string_view text, unsigned base) {
    const auto decimals = static_cast<std::uint16_t>(base < 10 ? base : 10);
    const auto letters = static_cast<std::uint16_t>(base < 10 ? 0 : base - 10);
    std::uint16_t bad = 0;
    for (const char16_t c : text) {
        const auto decimal = static_cast<std::uint16_t>(c - u'0');
        const auto letter = static_cast<std::uint16_t>((c | 0x20) - u'a');
        bad |= static_cast<std::uint16_t>(static_cast<std::uint16_t>(decimal >= decimals) &
                                          static_cast<std::uint16_t>(letter >= letters));
    }
    return bad == 0;
}

#ifdef ZIF_HAVE_SSE2_PATHS
[[ZIF_SSE2_ENTRY]] bool noOtherCharactersSse2(std::u16string_view text, unsigned base) {
    return noOtherCharacters(text, base);
}
#endif

template <class Word>
Word readDigits(const char16_t* digits, std::size_t count, unsigned base) {
    if (base == 10 && count >= 8) {
        // Two independent halves, then one multiply-add to join them.
        Word value = readChain<Word>(digits, count % 8, 10);
        for (std::size_t i = count % 8; i < count; i += 8)
            value = static_cast<Word>(value * 100000000 + readEightDecimal(digits + i));
        return value;
    }
    return readChain<Word>(digits, count, base);
}

}  // namespace

bool allDigitsOf(std::u16string_view text, unsigned base) {
#ifdef ZIF_HAVE_SSE2_PATHS
    if (useSse2()) return noOtherCharactersSse2(text, base);
#endif
    return noOtherCharacters(text, base);
}

void readChunks(std::u16string_view digits, unsigned base, unsigned chunkDigits, Limb* out) {
    std::size_t end = digits.size();
    for (; end > chunkDigits; end -= chunkDigits)
        *out++ = readDigits<Limb>(digits.data() + end - chunkDigits, chunkDigits, base);
    *out = readDigits<Limb>(digits.data(), end, base);
}

void readBinaryLimbs(std::u16string_view digits, unsigned bits, Limb* out) {
    // No digit straddles two limbs: a limb is a chunk of digits read by shifts alone.
    if (kLimbBits % bits == 0) return readChunks(digits, 1u << bits, kLimbBits / bits, out);
    Limb pending = 0;
    unsigned filled = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const Limb value = kDigitValues[*it];
        pending |= value << filled;
        filled += bits;
        if (filled >= kLimbBits) {
            *out++ = pending;
            filled -= kLimbBits;
            pending = filled != 0 ? value >> (bits - filled) : 0;
        }
    }
    if (filled != 0) *out = pending;
}

ShortValue readShort(std::u16string_view text, unsigned base) {
    const std::size_t headCount = std::min<std::size_t>(text.size(), valueChunk(base).digits);
    // Branch-free passes over the few characters, each checked and read at once (an invalid
    // digit only spoils a value that is not used); the vectorized check costs more to set up.
    unsigned bad = 0;
    auto read = [&](auto digitOf, auto join, std::size_t from, std::size_t to, auto value) {
        for (std::size_t i = from; i < to; ++i) {
            const unsigned digit = digitOf(text[i]);
            bad |= static_cast<unsigned>(digit >= base);
            value = join(value, digit);
        }
        return value;
    };
    auto decimal = [](char16_t c) { return static_cast<unsigned>(c - u'0'); };
    auto checkOnly = [](unsigned, unsigned) { return 0u; };
    auto multiplyAdd = [base](auto value, unsigned digit) { return value * base + digit; };
    const unsigned bits = bitsPerDigit(base);
    auto shift = [bits](auto value, unsigned digit) { return (value << bits) | digit; };
    std::uint64_t head;
    if (base == 10 && headCount < 8) {
        head = read(decimal, multiplyAdd, 0, headCount, std::uint64_t{0});
    } else if (base == 10) {
        read(decimal, checkOnly, 0, headCount, 0u);
        head = readDigits<std::uint64_t>(text.data(), headCount, 10);
    } else if (kLimbBits == 32 && bits != 0 && 32 % bits == 0) {
        // Two 32-bit halves: a 64-bit shift by a variable count is several instructions on a
        // 32-bit target.
        const std::size_t lowCount = std::min<std::size_t>(headCount, 32 / bits);
        const std::uint32_t high = read(digitValue, shift, 0, headCount - lowCount, 0u);
        const std::uint32_t low = read(digitValue, shift, headCount - lowCount, headCount, 0u);
        head = (std::uint64_t{high} << (lowCount * bits)) | low;
    } else {
        head = bits != 0 ? read(digitValue, shift, 0, headCount, std::uint64_t{0})
                         : read(digitValue, multiplyAdd, 0, headCount, std::uint64_t{0});
    }
    if (text.size() > headCount) bad |= static_cast<unsigned>(digitValue(text.back()) >= base);
    if (bad != 0) return {0, false, false, 0};
    if (text.size() == headCount) return {head, true, true, 0};
    // A multiply instead of a division by the run-time base: a library call on a 32-bit target.
    const Uint128 value = Uint128::product(head, base) + kDigitValues[text.back()];
    return {value.low(), true, value.high() == 0, static_cast<std::uint8_t>(value.high())};
}

void writeValue(std::uint64_t value, unsigned base, std::u16string& out) {
    // Made at its final size and written in place: built aside and copied, the copy's wide load
    // would wait for the digits' narrow stores.
    auto writeBinary = [&](auto bits) {
        const unsigned count = (static_cast<unsigned>(std::bit_width(value | 1)) + bits - 1) / bits;
        out.assign(count, u'0');
        putBinaryDigits<bits>(out.data() + count, value, count);
    };
    if (base == 10) {
        const unsigned count = decimalDigits(value);
        out.assign(count, u'0');
        putDecimalBefore(out.data() + count, value);
    } else if (base == 16) {  // the most common target, without the dispatch on the digit width
        writeBinary(std::integral_constant<unsigned, 4>{});
    } else if (const unsigned bits = bitsPerDigit(base)) {
        withBits(bits, writeBinary);
    } else {
        char16_t buffer[64];
        char16_t* const end = buffer + std::size(buffer);
        const char16_t* first = putDigitsBefore(end, value, base);
        out.assign(first, static_cast<std::size_t>(end - first));
    }
}

void writeBinaryLimbs(const Limb* limbs, std::size_t n, unsigned bits, std::u16string& out) {
    withBits(bits, [&](auto bits) {
        const std::size_t totalBits =
            (n - 1) * kLimbBits + static_cast<std::size_t>(std::bit_width(limbs[n - 1]));
        const std::size_t count = totalBits == 0 ? 1 : (totalBits + bits - 1) / bits;
        out.assign(count, u'0');
        char16_t* p = out.data() + count;
        if constexpr (kLimbBits % bits == 0) {
            // No digit straddles two limbs: each limb is kLimbBits / bits digits.
            for (std::size_t i = 0; i + 1 < n; ++i, p -= kLimbBits / bits)
                putBinaryDigits<bits>(p, limbs[i], kLimbBits / bits);
            putBinaryDigits<bits>(p, limbs[n - 1], static_cast<std::size_t>(p - out.data()));
            return;
        }
        for (std::size_t bit = 0; p != out.data(); bit += bits) {
            const std::size_t index = bit / kLimbBits;
            const unsigned offset = bit % kLimbBits;
            Limb value = limbs[index] >> offset;
            if (offset + bits > kLimbBits && index + 1 < n)
                value |= limbs[index + 1] << (kLimbBits - offset);
            *--p = kDigitChars[value & ((1u << bits) - 1)];
        }
    });
}

void writePowerLimbs(const Limb* limbs, std::size_t n, unsigned base, unsigned digitsPerLimb,
                     std::u16string& out) {
    char16_t head[64];
    char16_t* const headEnd = head + std::size(head);
    const char16_t* headFirst = putDigitsBefore(headEnd, limbs[n - 1], base);
    const std::size_t headCount = static_cast<std::size_t>(headEnd - headFirst);
    out.assign(headCount + (n - 1) * digitsPerLimb, u'0');
    char16_t* p = std::copy(headFirst, static_cast<const char16_t*>(headEnd), out.data());
    if (base == 10) {
        constexpr unsigned kDecimals = kChunks<Limb>[10].digits;
        ZIF_ASSERT(digitsPerLimb == kDecimals);
        for (std::size_t i = n - 1; i-- > 0; p += kDecimals)
            putDecimalField<kDecimals>(p, limbs[i]);
        return;
    }
    // Below the top limb every limb has digitsPerLimb digits; their leading zeros are there.
    for (std::size_t i = n - 1; i-- > 0;) putDigitsBefore(p += digitsPerLimb, limbs[i], base);
}

}  // namespace zif::detail
