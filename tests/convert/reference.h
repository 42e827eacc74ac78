#pragma once

// A deliberately naive base conversion, digit by digit, to check ConvertBase against: it keeps
// the value as digits of the target base and multiplies by the source base for every input
// digit. Quadratic and slow, but too simple to share a fault with the real thing.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace zif::testing {

inline int referenceDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    return -1;
}

// Expects a valid numeral.
inline std::u16string referenceConvert(const std::u16string& numeral, int from, int to) {
    std::vector<int> digits{0};  // least significant first, in base `to`
    for (char16_t c : numeral) {
        int carry = referenceDigitValue(c);
        for (int& d : digits) {
            const int v = d * from + carry;
            d = v % to;
            carry = v / to;
        }
        while (carry != 0) {
            digits.push_back(carry % to);
            carry /= to;
        }
    }
    while (digits.size() > 1 && digits.back() == 0) digits.pop_back();
    std::u16string out;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        out.push_back(static_cast<char16_t>(*it < 10 ? u'0' + *it : u'A' + *it - 10));
    }
    return out;
}

// The form ConvertBase gives a numeral when converting into its own base.
inline std::u16string canonical(std::u16string numeral) {
    for (char16_t& c : numeral) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    const auto first = numeral.find_first_not_of(u'0');
    return first == std::u16string::npos ? u"0" : numeral.substr(first);
}

// The numeral's value modulo a number below 2^32: a cheap fingerprint for numerals too long for
// referenceConvert.
inline std::uint64_t residue(std::u16string_view numeral, int base, std::uint64_t modulus) {
    std::uint64_t r = 0;
    for (char16_t c : numeral)
        r = (r * static_cast<std::uint64_t>(base) +
             static_cast<std::uint64_t>(referenceDigitValue(c))) %
            modulus;
    return r;
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
