#include "convert/convert_base.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "convert/wide_mul.h"

namespace zif {

namespace {

using detail::Divisor;
using detail::Limb;
using detail::mulWide;

constexpr char16_t kDigitChars[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
static_assert(std::size(kDigitChars) == 36 + 1);

constexpr unsigned kInvalidDigit = 0xFF;

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
static_assert(kDigitValues.size() == 128);

// Every character outside ASCII is invalid: no locale folding turns "ß" or full-width digits
// into digits.
unsigned digitValue(char16_t c) {
    return c < kDigitValues.size() ? kDigitValues[c] : kInvalidDigit;
}

// How many digits of a base fit one limb, and that power of the base.
struct Chunk {
    unsigned digits;
    Limb power;
};

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

// log2(base) for the bases that are powers of two, 0 for the others.
unsigned bitsPerDigit(unsigned base) {
    return std::has_single_bit(base) ? std::countr_zero(base) : 0;
}

// Value of at most one chunk of valid digits.
Limb readSmall(std::u16string_view digits, unsigned base) {
    Limb value = 0;
    for (char16_t c : digits) value = value * base + digitValue(c);
    return value;
}

void appendDigitsReversed(std::u16string& out, Limb value, unsigned base, unsigned minDigits) {
    unsigned written = 0;
    do {
        out.push_back(kDigitChars[value % base]);
        value /= base;
        ++written;
    } while (value != 0 || written < minDigits);
}

std::u16string writeSmall(Limb value, unsigned base) {
    std::u16string out;
    appendDigitsReversed(out, value, base, 1);
    std::reverse(out.begin(), out.end());
    return out;
}

void trim(std::vector<Limb>& limbs) {
    while (limbs.size() > 1 && limbs.back() == 0) limbs.pop_back();
}

// limbs = limbs * factor + addend
void multiplyAdd(std::vector<Limb>& limbs, Limb factor, Limb addend) {
    Limb carry = addend;
    for (Limb& limb : limbs) {
        const detail::Wide product = mulWide(limb, factor);
        limb = product.lo + carry;
        carry = product.hi + (limb < carry ? 1 : 0);
    }
    if (carry != 0) limbs.push_back(carry);
}

// Reads valid digits without leading zeros into little-endian limbs.
std::vector<Limb> readLimbs(std::u16string_view digits, unsigned base) {
    std::vector<Limb> limbs;
    if (const unsigned bits = bitsPerDigit(base)) {
        limbs.reserve(digits.size() * bits / 64 + 1);
        Limb pending = 0;
        unsigned filled = 0;
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            const Limb value = digitValue(*it);
            pending |= value << filled;
            filled += bits;
            if (filled >= 64) {
                limbs.push_back(pending);
                filled -= 64;
                pending = filled != 0 ? value >> (bits - filled) : 0;
            }
        }
        if (filled != 0) limbs.push_back(pending);
    } else {
        const Chunk chunk = kChunks[base];
        limbs.reserve(digits.size() / chunk.digits + 2);
        std::size_t head = digits.size() % chunk.digits;
        if (head == 0) head = chunk.digits;
        limbs.push_back(readSmall(digits.substr(0, head), base));
        for (std::size_t at = head; at < digits.size(); at += chunk.digits) {
            multiplyAdd(limbs, chunk.power, readSmall(digits.substr(at, chunk.digits), base));
        }
    }
    trim(limbs);
    return limbs;
}

std::u16string writeLimbs(std::vector<Limb> limbs, unsigned base) {
    std::u16string out;
    if (const unsigned bits = bitsPerDigit(base)) {
        const std::size_t totalBits =
            (limbs.size() - 1) * 64 + static_cast<std::size_t>(std::bit_width(limbs.back()));
        const std::size_t count = (totalBits + bits - 1) / bits;
        const Limb mask = (Limb{1} << bits) - 1;
        out.reserve(count);
        for (std::size_t digit = count; digit-- > 0;) {
            const std::size_t bit = digit * bits;
            const std::size_t index = bit / 64;
            const unsigned offset = bit % 64;
            Limb value = limbs[index] >> offset;
            if (offset + bits > 64 && index + 1 < limbs.size())
                value |= limbs[index + 1] << (64 - offset);
            out.push_back(kDigitChars[value & mask]);
        }
        return out;
    }
    const Chunk chunk = kChunks[base];
    const Divisor divisor(chunk.power);
    out.reserve(limbs.size() * 64 / std::bit_width(base) + 1);
    while (limbs.size() > 1) {
        Limb remainder = 0;
        for (std::size_t i = limbs.size(); i-- > 0;)
            limbs[i] = divisor.divide(remainder, limbs[i], remainder);
        trim(limbs);
        appendDigitsReversed(out, remainder, base, chunk.digits);
    }
    appendDigitsReversed(out, limbs[0], base, 1);
    std::reverse(out.begin(), out.end());
    return out;
}

}  // namespace

std::u16string ConvertBase(std::u16string_view Number, std::uint8_t FromBase, std::uint8_t ToBase) {
    if (Number.empty() || FromBase < 2 || FromBase > 36 || ToBase < 2 || ToBase > 36) return {};
    if (Number.size() > kMaxNumeralLength) throw RuntimeError(kOverflowError, kOverflowDescription);

    std::size_t firstSignificant = Number.size();
    for (std::size_t i = 0; i < Number.size(); ++i) {
        const unsigned value = digitValue(Number[i]);
        if (value >= FromBase) return {};
        if (value != 0 && firstSignificant == Number.size()) firstSignificant = i;
    }
    const std::u16string_view digits = Number.substr(firstSignificant);

    if (digits.size() <= kChunks[FromBase].digits)
        return writeSmall(readSmall(digits, FromBase), ToBase);
    std::vector<Limb> limbs = readLimbs(digits, FromBase);
    if (limbs.size() == 1) return writeSmall(limbs[0], ToBase);
    return writeLimbs(std::move(limbs), ToBase);
}

}  // namespace zif
