// Windows calls a window procedure, and with it every conversion a key release starts, on a stack
// aligned to 4 bytes only. This file is built to keep no more than that alignment, so that each
// call below reaches the conversion's SSE2 products at another offset from 16 bytes.

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>

#include "convert/convert_base.h"

namespace {

std::u16string randomNumeral(std::mt19937_64& rng, unsigned base, std::size_t length) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string digits(length, u'1');
    for (std::size_t i = 1; i < length; ++i) digits[i] = kDigits[rng() % base];
    return digits;
}

// ConvertBase called with the stack moved down by `offset` bytes.
[[gnu::noinline]] std::u16string convertBelow(std::size_t offset, const std::u16string& number,
                                              unsigned from, unsigned to) {
    volatile char* padding = static_cast<volatile char*>(__builtin_alloca(offset));
    padding[0] = 0;
    return zif::ConvertBase(number, static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to));
}

TEST(ConvertBase, LongNumeralsOnAStackOfAnyAlignment) {
    std::mt19937_64 rng(5);
    for (auto [from, to] : {std::pair{10u, 16u}, std::pair{16u, 10u}}) {
        const std::u16string number = randomNumeral(rng, from, 3000);
        const std::u16string expected = convertBelow(16, number, from, to);
        for (std::size_t offset : {4, 8, 12})
            EXPECT_EQ(convertBelow(offset, number, from, to), expected)
                << from << " -> " << to << ", stack moved by " << offset;
    }
}

}  // namespace
