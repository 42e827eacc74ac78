#pragma once

// What the conversion's tests and its fuzzers check ConvertBase against: digit values, the
// canonical form, residues and a deliberately naive converter. Written from the definition of a
// numeral alone, nothing here shares code with the conversion.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace zif::testing {

// The value of a digit (0-9, A-Z, a-z), or -1.
inline int digitOf(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    return -1;
}

inline char16_t digitChar(unsigned value) {
    return static_cast<char16_t>(value < 10 ? u'0' + value : u'A' + value - 10);
}

// Whether number is a non-empty string of digits of base, in either case.
inline bool validIn(std::u16string_view number, unsigned base) {
    if (number.empty()) return false;
    for (char16_t c : number) {
        const int d = digitOf(c);
        if (d < 0 || static_cast<unsigned>(d) >= base) return false;
    }
    return true;
}

// Upper case, no leading zeros, "0" for zero: the form every result has.
inline std::u16string canonical(std::u16string_view number) {
    std::u16string out;
    for (char16_t c : number) {
        const int d = digitOf(c);
        if (out.empty() && d == 0) continue;
        out.push_back(digitChar(static_cast<unsigned>(d)));
    }
    if (out.empty()) out.push_back(u'0');
    return out;
}

// The value modulo a number below 2^32, digit by digit: a cheap fingerprint that catches a wrong
// digit anywhere in numerals far too long for referenceConvert.
inline std::uint64_t residue(std::u16string_view number, unsigned base, std::uint64_t modulus) {
    std::uint64_t r = 0;
    for (char16_t c : number) r = (r * base + static_cast<std::uint64_t>(digitOf(c))) % modulus;
    return r;
}

// The largest power of base below 2^32, and its exponent.
struct Word {
    std::uint64_t power = 1;
    std::size_t digits = 0;
};

inline Word wordOf(unsigned base) {
    Word word;
    while (word.power * base < (std::uint64_t{1} << 32)) {
        word.power *= base;
        ++word.digits;
    }
    return word;
}

// The canonical numeral in base `to` of a valid numeral of base `from`, by Horner's rule on words
// below 2^32, a group of source digits at a time: the value is kept as words of a power of `to`,
// and each group multiplies every word. Quadratic and built nothing like the divide-and-conquer
// conversion, so the two are unlikely to share a fault; the words keep it fast enough for
// numerals of a few thousand digits.
inline std::u16string referenceConvert(std::u16string_view number, unsigned from, unsigned to) {
    const Word in = wordOf(from), out = wordOf(to);
    std::vector<std::uint64_t> words{0};  // least significant first, each below out.power
    std::size_t at = 0;
    const std::size_t first = number.size() % in.digits;
    while (at < number.size()) {
        const std::size_t count = at == 0 && first != 0 ? first : in.digits;
        std::uint64_t factor = 1, carry = 0;
        for (std::size_t i = 0; i < count; ++i, ++at) {
            factor *= from;
            carry = carry * from + static_cast<std::uint64_t>(digitOf(number[at]));
        }
        for (std::uint64_t& w : words) {
            const std::uint64_t v = w * factor + carry;  // below 2^64: both factors below 2^32
            w = v % out.power;
            carry = v / out.power;
        }
        while (carry != 0) {
            words.push_back(carry % out.power);
            carry /= out.power;
        }
    }
    std::u16string text;
    for (std::size_t i = words.size(); i-- > 0;) {
        std::u16string word;
        for (std::uint64_t w = words[i]; w != 0; w /= to)
            word.insert(word.begin(), digitChar(static_cast<unsigned>(w % to)));
        if (i + 1 != words.size()) word.insert(0, out.digits - word.size(), u'0');
        text += word;
    }
    return canonical(text);
}

// `head` followed by `count` copies of `fill`.
inline std::u16string numeral(std::u16string_view head, std::size_t count, char16_t fill) {
    std::u16string out(head);
    out.append(count, fill);
    return out;
}

// A random numeral of `length` digits in `base`, mixed case, maybe with leading zeros.
inline std::u16string randomNumeral(std::mt19937_64& rng, int base, std::size_t length) {
    static constexpr char16_t kUpper[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static constexpr char16_t kLower[] = u"0123456789abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<int> digit(0, base - 1);
    std::bernoulli_distribution lower(0.3);
    std::u16string out;
    for (std::size_t i = 0; i < length; ++i)
        out.push_back((lower(rng) ? kLower : kUpper)[digit(rng)]);
    return out;
}

}  // namespace zif::testing
