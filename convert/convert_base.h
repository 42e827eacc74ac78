#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zif {

// A run-time error, known by its number (6: overflow). What the user reads about it is the
// application's to say; what() names only the number.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(int number)
        : std::runtime_error("run-time error " + std::to_string(number)), number_(number) {}

    int number() const noexcept { return number_; }

private:
    int number_;
};

inline constexpr int kOverflowError = 6;

// The longest numeral ConvertBase accepts, in UTF-16 code units.
inline constexpr std::size_t kMaxNumeralLength = 32767;

// Returns the numeral of Number's value written in ToBase: upper case, no leading zeros, "0"
// for zero. Number is read in FromBase with digits 0-9 and A-Z in either case. Returns the
// empty string when Number is empty, holds anything but ASCII digits of FromBase, or a base is
// outside 2..36. Throws RuntimeError 6 (overflow) when Number is longer than
// kMaxNumeralLength, before any character is looked at. Exact for every accepted numeral.
std::u16string ConvertBase(std::u16string_view Number, std::uint8_t FromBase, std::uint8_t ToBase);

// The same, written into `result` in place of its text, like std::to_chars into a caller's
// buffer: its storage is reused, so a numeral that fits 64 bits allocates nothing once `result`
// has room for 64 characters, and repeated long conversions allocate only to grow. Number may
// view `result` itself. On overflow `result` is left as it was.
void ConvertBase(std::u16string_view Number, std::uint8_t FromBase, std::uint8_t ToBase,
                 std::u16string& result);

// A digit typed or erased at the end of a numeral changes its value by one multiply-add or one
// division, which takes time linear in the length, where a whole conversion does not. Both take
// `converted` = ConvertBase(Number, FromBase, ToBase) for a Number that converted to a non-empty
// numeral, and bases in 2..36.
//
// ConvertBase(Number + `typed`, FromBase, ToBase): the empty string when `typed` is no digit of
// FromBase. The caller keeps Number + `typed` within kMaxNumeralLength.
std::u16string AppendDigit(std::u16string_view converted, char16_t typed, std::uint8_t FromBase,
                           std::uint8_t ToBase);
// ConvertBase(Number without its last character, FromBase, ToBase), for Number of two or more
// characters.
std::u16string DropLastDigit(std::u16string_view converted, std::uint8_t FromBase,
                             std::uint8_t ToBase);

}  // namespace zif
