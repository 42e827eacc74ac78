#pragma once

#include <bit>
#include <cstdint>
#include <limits>

// Limbs are the machine's word: 64 bits on 64-bit targets, 32 bits on 32-bit ones, where a
// 64x64->128 product takes four multiplies and a 64-bit division is a library call.
// ZIF_PORTABLE_ARITHMETIC gives a 64-bit build the 32-bit targets' arithmetic (32-bit limbs, no
// unsigned __int128), so that it can be tested there.
#if defined(__SIZEOF_INT128__) && !defined(ZIF_PORTABLE_ARITHMETIC)
#define ZIF_HAVE_INT128 1
#endif

namespace zif::detail {

// An unsigned 128-bit integer with the same operations whether or not the compiler has
// unsigned __int128: the full product of two 64-bit words, wrapping sums and differences, and
// the comparisons that detect their carries.
#ifdef ZIF_HAVE_INT128
class Uint128 {
public:
    constexpr Uint128() = default;
    constexpr Uint128(std::uint64_t value) : value_(value) {}  // NOLINT: widening, as built-ins

    static constexpr Uint128 fromHalves(std::uint64_t high, std::uint64_t low) {
        return of(Native{high} << 64 | low);
    }
    // a * b, exact.
    static constexpr Uint128 product(std::uint64_t a, std::uint64_t b) { return of(Native{a} * b); }

    constexpr std::uint64_t high() const { return static_cast<std::uint64_t>(value_ >> 64); }
    constexpr std::uint64_t low() const { return static_cast<std::uint64_t>(value_); }

    constexpr Uint128& operator+=(Uint128 other) { return *this = of(value_ + other.value_); }
    constexpr Uint128& operator-=(Uint128 other) { return *this = of(value_ - other.value_); }
    friend constexpr bool operator<(Uint128 a, Uint128 b) { return a.value_ < b.value_; }

private:
    __extension__ typedef unsigned __int128 Native;
    static constexpr Uint128 of(Native value) {
        Uint128 v;
        v.value_ = value;
        return v;
    }
    Native value_ = 0;
};
#else
class Uint128 {
public:
    constexpr Uint128() = default;
    constexpr Uint128(std::uint64_t value) : lo_(value) {}  // NOLINT: widening, as built-ins

    static constexpr Uint128 fromHalves(std::uint64_t high, std::uint64_t low) {
        return Uint128(high, low);
    }
    // a * b, exact, by four 32x32->64 products: single multiplies on a 32-bit target.
    static constexpr Uint128 product(std::uint64_t a, std::uint64_t b) {
        const auto a0 = static_cast<std::uint32_t>(a), a1 = static_cast<std::uint32_t>(a >> 32);
        const auto b0 = static_cast<std::uint32_t>(b), b1 = static_cast<std::uint32_t>(b >> 32);
        const std::uint64_t p00 = std::uint64_t{a0} * b0, p01 = std::uint64_t{a0} * b1;
        const std::uint64_t p10 = std::uint64_t{a1} * b0, p11 = std::uint64_t{a1} * b1;
        const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
        return fromHalves(p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32),
                          (middle << 32) | (p00 & 0xFFFFFFFFu));
    }

    constexpr std::uint64_t high() const { return hi_; }
    constexpr std::uint64_t low() const { return lo_; }

    constexpr Uint128& operator+=(Uint128 other) {
        lo_ += other.lo_;
        hi_ += other.hi_ + (lo_ < other.lo_ ? 1 : 0);
        return *this;
    }
    constexpr Uint128& operator-=(Uint128 other) {
        hi_ -= other.hi_ + (lo_ < other.lo_ ? 1 : 0);
        lo_ -= other.lo_;
        return *this;
    }
    friend constexpr bool operator<(Uint128 a, Uint128 b) {
        return a.hi_ < b.hi_ || (a.hi_ == b.hi_ && a.lo_ < b.lo_);
    }

private:
    constexpr Uint128(std::uint64_t high, std::uint64_t low) : lo_(low), hi_(high) {}
    std::uint64_t lo_ = 0;
    std::uint64_t hi_ = 0;
};
#endif

inline constexpr Uint128 operator+(Uint128 a, Uint128 b) {
    return a += b;
}
inline constexpr Uint128 operator-(Uint128 a, Uint128 b) {
    return a -= b;
}

// Words and the type that holds two of them, with the same few operations on both.
inline constexpr std::uint64_t productOf(std::uint32_t a, std::uint32_t b) {
    return std::uint64_t{a} * b;
}
inline constexpr Uint128 productOf(std::uint64_t a, std::uint64_t b) {
    return Uint128::product(a, b);
}
inline constexpr std::uint32_t highHalf(std::uint64_t v) {
    return static_cast<std::uint32_t>(v >> 32);
}
inline constexpr std::uint32_t lowHalf(std::uint64_t v) {
    return static_cast<std::uint32_t>(v);
}
inline constexpr std::uint64_t highHalf(Uint128 v) {
    return v.high();
}
inline constexpr std::uint64_t lowHalf(Uint128 v) {
    return v.low();
}
inline constexpr std::uint64_t joinHalves(std::uint32_t high, std::uint32_t low) {
    return (std::uint64_t{high} << 32) | low;
}
inline constexpr Uint128 joinHalves(std::uint64_t high, std::uint64_t low) {
    return Uint128::fromHalves(high, low);
}

#if defined(ZIF_PORTABLE_ARITHMETIC) || UINTPTR_MAX <= 0xFFFFFFFFu
using Limb = std::uint32_t;
#else
using Limb = std::uint64_t;
#endif
using DoubleLimb = decltype(productOf(Limb{}, Limb{}));
inline constexpr unsigned kLimbBits = std::numeric_limits<Limb>::digits;

// floor((hi:lo) / d) for hi < d, d with its top bit set; only used to set up a divisor.
std::uint32_t divideSlow(std::uint32_t hi, std::uint32_t lo, std::uint32_t d);
std::uint64_t divideSlow(std::uint64_t hi, std::uint64_t lo, std::uint64_t d);

// A divisor of Word (32 or 64 bits) with its precomputed reciprocal, for division without a
// hardware divide (Moeller & Granlund, "Improved division by invariant integers", 2011): a
// double-word by word divide costs tens of cycles, or a library call, the reciprocal two
// multiplies.
template <class Word>
class BasicDivisor {
public:
    static constexpr unsigned kBits = std::numeric_limits<Word>::digits;

    explicit BasicDivisor(Word d)
        : shift_(static_cast<Word>(std::countl_zero(d))),
          normal_(static_cast<Word>(d << shift_)),
          inverse_(divideSlow(static_cast<Word>(~normal_), static_cast<Word>(~Word{0}), normal_)) {}

    // Divides hi:lo by the divisor, where hi is below the divisor; returns the quotient, stores the
    // remainder. Inline: it runs once per limb in the inner loops of non-binary limb arithmetic,
    // where a call would cost about as much as the division.
    Word divide(Word hi, Word lo, Word& remainder) const {
        if (shift_ != 0) {
            hi = static_cast<Word>((hi << shift_) | (lo >> (Word{kBits} - shift_)));
            lo = static_cast<Word>(lo << shift_);
        }
        // (qhi, qlo) = inverse * hi + (hi, lo) + 2^kBits, added in halves: a double-word sum
        // kept whole is spilled to memory on the reduction's critical path.
        const auto estimate = productOf(inverse_, hi);
        const Word qlo = static_cast<Word>(lowHalf(estimate) + lo);
        Word qhi = static_cast<Word>(highHalf(estimate) + hi + 1 + (qlo < lo ? 1 : 0));
        Word r = static_cast<Word>(lo - qhi * normal_);
        // Taken about half the time on random limbs: a mask instead of a mispredicted branch.
        const Word over = static_cast<Word>(Word{0} - static_cast<Word>(r > qlo));
        qhi = static_cast<Word>(qhi + over);
        r = static_cast<Word>(r + (normal_ & over));
        if (r >= normal_) {  // rare
            ++qhi;
            r = static_cast<Word>(r - normal_);
        }
        remainder = static_cast<Word>(r >> shift_);
        return qhi;
    }

private:
    Word shift_;    // leading zero bits of the divisor
    Word normal_;   // the divisor << shift_, top bit set
    Word inverse_;  // floor((2^(2 kBits) - 1) / normal_) - 2^kBits
};

using Divisor = BasicDivisor<Limb>;
using Divisor64 = BasicDivisor<std::uint64_t>;

}  // namespace zif::detail
