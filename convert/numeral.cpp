#include "convert/numeral.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace zif::detail {

namespace {

constexpr char16_t kDigitChars[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
static_assert(std::size(kDigitChars) == 36 + 1);

constexpr std::array<std::uint8_t, 128> makeDigitValues() {
    std::array<std::uint8_t, 128> values{};
    values.fill(kInvalidDigit);
    for (unsigned v = 0; v < 36; ++v) {
        values[kDigitChars[v]] = static_cast<std::uint8_t>(v);
        if (v >= 10) values[kDigitChars[v] - u'A' + u'a'] = static_cast<std::uint8_t>(v);
    }
    return values;
}
constexpr auto kDigitValues = makeDigitValues();

// "00" to "99": writing two decimal digits per division halves the divisions (about 30% of
// the time of writing a 64-bit value).
constexpr std::array<char16_t, 200> makeDigitPairs() {
    std::array<char16_t, 200> pairs{};
    for (unsigned v = 0; v < 100; ++v) {
        pairs[2 * v] = static_cast<char16_t>(u'0' + v / 10);
        pairs[2 * v + 1] = static_cast<char16_t>(u'0' + v % 10);
    }
    return pairs;
}
constexpr auto kDigitPairs = makeDigitPairs();

// "00" to "FF" by byte value: a limb becomes 16 hex digits in 8 lookups, instead of 16 digit
// positions each located by division (18% of a 1000-digit conversion).
constexpr std::array<char16_t, 512> makeHexPairs() {
    std::array<char16_t, 512> pairs{};
    for (unsigned v = 0; v < 256; ++v) {
        pairs[2 * v] = kDigitChars[v >> 4];
        pairs[2 * v + 1] = kDigitChars[v & 15];
    }
    return pairs;
}
constexpr auto kHexPairs = makeHexPairs();

constexpr Chunk chunkFor(unsigned base) {
    Chunk chunk{0, 1};
    while (chunk.power <= ~Limb{0} / base) {
        chunk.power *= base;
        ++chunk.digits;
    }
    return chunk;
}

constexpr std::array<Chunk, 37> makeChunks() {
    std::array<Chunk, 37> chunks{};
    for (unsigned base = 2; base <= 36; ++base) chunks[base] = chunkFor(base);
    return chunks;
}
constexpr auto kChunks = makeChunks();
static_assert(kChunks[10].digits == 19 && kChunks[16].digits == 15);

// A 64-bit hardware divide by a run-time base takes 14-45 cycles on x86-64; the reciprocal
// takes two multiplies.
const Divisor& baseDivisor(unsigned base) {
    static const std::vector<Divisor> divisors = [] {
        std::vector<Divisor> table;
        for (unsigned b = 0; b <= 36; ++b) table.emplace_back(b < 2 ? 1 : b);
        return table;
    }();
    return divisors[base];
}

void putPair(char16_t* at, unsigned pair) {
    std::memcpy(at, &kDigitPairs[2 * pair], 2 * sizeof(char16_t));
}

// Writes exactly 8 decimal digits of v < 10^8 at `at`.
void putEightDecimal(char16_t* at, std::uint32_t v) {
    const std::uint32_t high = v / 10000, low = v % 10000;
    putPair(at, high / 100);
    putPair(at + 2, high % 100);
    putPair(at + 4, low / 100);
    putPair(at + 6, low % 100);
}

// Writes exactly 19 decimal digits of v < 10^19 at `at`; the constant divisions compile to
// multiplies.
void putNineteenDecimal(char16_t* at, Limb v) {
    const Limb top = v / 10000000000000000u, rest = v % 10000000000000000u;
    at[0] = static_cast<char16_t>(u'0' + top / 100);
    putPair(at + 1, static_cast<unsigned>(top % 100));
    putEightDecimal(at + 3, static_cast<std::uint32_t>(rest / 100000000));
    putEightDecimal(at + 11, static_cast<std::uint32_t>(rest % 100000000));
}

// Writes the digits of v in base, no leading zeros, ending just before `end`; returns the
// first digit's position.
char16_t* putDigitsBefore(char16_t* end, Limb v, unsigned base) {
    char16_t* p = end;
    if (base == 10) {
        while (v >= 100) {
            p -= 2;
            putPair(p, static_cast<unsigned>(v % 100));
            v /= 100;
        }
        if (v >= 10) {
            p -= 2;
            putPair(p, static_cast<unsigned>(v));
        } else {
            *--p = static_cast<char16_t>(u'0' + v);
        }
    } else if (const unsigned bits = bitsPerDigit(base)) {
        const Limb mask = base - 1;
        do {
            *--p = kDigitChars[v & mask];
            v >>= bits;
        } while (v != 0);
    } else {
        const Divisor& divisor = baseDivisor(base);
        do {
            Limb digit;
            v = divisor.divide(0, v, digit);
            *--p = kDigitChars[digit];
        } while (v != 0);
    }
    return p;
}

// Value of the digits by a chain of multiply-adds.
Limb readChunkGeneric(const char16_t* digits, std::size_t count, unsigned base) {
    Limb value = 0;
    if (base <= 10) {
        for (std::size_t i = 0; i < count; ++i) value = value * base + (digits[i] - u'0');
    } else {
        for (std::size_t i = 0; i < count; ++i) value = value * base + kDigitValues[digits[i]];
    }
    return value;
}

// Value of 8 decimal digits: three multiplies on all of them at once instead of a chain of
// eight multiply-adds (the chain was 14% of a 1000-digit conversion).
std::uint32_t readEightDecimal(const char16_t* digits) {
    std::uint64_t low, high;  // four UTF-16 digits each, the first in the lowest bits
    std::memcpy(&low, digits, 8);
    std::memcpy(&high, digits + 4, 8);
    if constexpr (std::endian::native == std::endian::big) {
        return static_cast<std::uint32_t>(readChunkGeneric(digits, 8, 10));
    }
    // Each 16-bit lane holds a digit; combine neighbours: lanes 0 and 2 then hold 10 d0 + d1
    // and 10 d2 + d3.
    auto four = [](std::uint64_t lanes) {
        lanes -= 0x0030003000300030u;
        lanes = lanes * 10 + (lanes >> 16);
        return static_cast<std::uint32_t>((lanes & 0xFFFF) * 100 + ((lanes >> 32) & 0xFFFF));
    };
    return four(low) * 10000 + four(high);
}

}  // namespace

unsigned digitValue(char16_t c) {
    return c < kDigitValues.size() ? kDigitValues[c] : kInvalidDigit;
}

bool allDigitsOf(std::u16string_view text, unsigned base) {
    // Arithmetic instead of a table lookup so that the compiler checks 8 characters per vector
    // instruction; the branch per character with a table took a third of the time of a
    // 1000-digit conversion.
    const unsigned decimals = base < 10 ? base : 10, letters = base < 10 ? 0 : base - 10;
    unsigned bad = 0;
    for (const char16_t c : text) {
        const std::uint16_t decimal = static_cast<std::uint16_t>(c - u'0');
        const std::uint16_t letter = static_cast<std::uint16_t>((c | 0x20) - u'a');
        bad |=
            static_cast<unsigned>(decimal >= decimals) & static_cast<unsigned>(letter >= letters);
    }
    return bad == 0;
}

unsigned bitsPerDigit(unsigned base) {
    return std::has_single_bit(base) ? static_cast<unsigned>(std::countr_zero(base)) : 0;
}

Chunk limbChunk(unsigned base) {
    return kChunks[base];
}

Limb readChunk(const char16_t* digits, std::size_t count, unsigned base) {
    if (base == 10 && count >= 8) {
        // Two independent halves, then one multiply-add to join them.
        Limb value = readChunkGeneric(digits, count % 8, 10);
        for (std::size_t i = count % 8; i < count; i += 8)
            value = value * 100000000 + readEightDecimal(digits + i);
        return value;
    }
    return readChunkGeneric(digits, count, base);
}

void readChunks(std::u16string_view digits, unsigned base, unsigned chunkDigits, Limb* out) {
    std::size_t end = digits.size();
    for (; end > chunkDigits; end -= chunkDigits)
        *out++ = readChunk(digits.data() + end - chunkDigits, chunkDigits, base);
    *out = readChunk(digits.data(), end, base);
}

void readBinaryLimbs(std::u16string_view digits, unsigned bits, Limb* out) {
    Limb pending = 0;
    unsigned filled = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const Limb value = kDigitValues[*it];
        pending |= value << filled;
        filled += bits;
        if (filled >= 64) {
            *out++ = pending;
            filled -= 64;
            pending = filled != 0 ? value >> (bits - filled) : 0;
        }
    }
    if (filled != 0) *out = pending;
}

std::u16string writeValue(Limb value, unsigned base) {
    char16_t buffer[64];
    char16_t* const end = buffer + std::size(buffer);
    const char16_t* first = putDigitsBefore(end, value, base);
    return std::u16string(first, static_cast<std::size_t>(end - first));
}

std::u16string writeBinaryLimbs(const Limb* limbs, std::size_t n, unsigned bits) {
    const std::size_t totalBits =
        (n - 1) * 64 + static_cast<std::size_t>(std::bit_width(limbs[n - 1]));
    const std::size_t count = totalBits == 0 ? 1 : (totalBits + bits - 1) / bits;
    const Limb mask = (Limb{1} << bits) - 1;
    std::u16string out(count, u'0');
    char16_t* const last = out.data() + count - 1;
    if (bits == 4) {
        // A limb is exactly 16 hex digits: no digit straddles two limbs.
        char16_t* p = out.data() + count;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            Limb v = limbs[i];
            for (int pair = 0; pair < 8; ++pair, v >>= 8) {
                p -= 2;
                std::memcpy(p, &kHexPairs[2 * (v & 0xFF)], 2 * sizeof(char16_t));
            }
        }
        for (Limb v = limbs[n - 1]; p != out.data(); v >>= 4) *--p = kDigitChars[v & 15];
        return out;
    }
    for (std::size_t digit = 0; digit < count; ++digit) {
        const std::size_t bit = digit * bits;
        const std::size_t index = bit / 64;
        const unsigned offset = bit % 64;
        Limb value = limbs[index] >> offset;
        if (offset + bits > 64 && index + 1 < n) value |= limbs[index + 1] << (64 - offset);
        last[-static_cast<std::ptrdiff_t>(digit)] = kDigitChars[value & mask];
    }
    return out;
}

std::u16string writePowerLimbs(const Limb* limbs, std::size_t n, unsigned base,
                               unsigned digitsPerLimb) {
    char16_t head[64];
    char16_t* const headEnd = head + std::size(head);
    const char16_t* headFirst = putDigitsBefore(headEnd, limbs[n - 1], base);
    const std::size_t headCount = static_cast<std::size_t>(headEnd - headFirst);
    std::u16string out(headCount + (n - 1) * digitsPerLimb, u'0');
    char16_t* p = std::copy(headFirst, static_cast<const char16_t*>(headEnd), out.data());
    if (base == 10 && digitsPerLimb == 19) {
        for (std::size_t i = n - 1; i-- > 0; p += 19) putNineteenDecimal(p, limbs[i]);
        return out;
    }
    const Divisor& divisor = baseDivisor(base);
    for (std::size_t i = n - 1; i-- > 0; p += digitsPerLimb) {
        Limb v = limbs[i];
        for (unsigned d = digitsPerLimb; d-- > 0;) {
            Limb digit;
            v = divisor.divide(0, v, digit);
            p[d] = kDigitChars[digit];
        }
    }
    return out;
}

}  // namespace zif::detail
