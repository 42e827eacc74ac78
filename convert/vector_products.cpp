#include "convert/limb_ops.h"

#ifdef ZIF_HAVE_SSE2_PATHS

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>

namespace zif::detail {

namespace {

// __builtin_cpu_init() first: static initializers may run before libgcc's own.
const bool kHasSse2 = (__builtin_cpu_init(), __builtin_cpu_supports("sse2") != 0);
bool sse2On = kHasSse2;

// Limbs a round of Sse2Sum takes before its lanes are split: each 64-bit lane gains two
// products below 2^60 per four limbs, and sixteen of them fit.
constexpr std::size_t kLaneBlock = 32;
static_assert(kLaneBlock / 2 <= 16);

// The column sums of the portable loops (x[i] * y[i * kYStep] for i < n added to column), which
// are flattened into the functions below: code compiled for SSE2 can be inlined only into a
// function compiled for it. Four limb products a round, two to an SSE2 multiply (the even and
// the odd lanes), summed whole in 64-bit lanes: limbs below 2^30 make products below 2^60, so a
// lane takes sixteen before its halves are split off into sums of their own.
template <std::ptrdiff_t kYStep>
struct Sse2Sum {
    [[gnu::target("sse2")]] void operator()(Column& column, const Limb* x, const Limb* y,
                                            std::size_t n) const {
        const __m128i lowHalves = _mm_set_epi32(0, -1, 0, -1);
        __m128i lows = _mm_setzero_si128(), highs = _mm_setzero_si128();
        std::size_t i = 0;
        const std::size_t rounds = n & ~std::size_t{3};
        while (i < rounds) {
            const std::size_t end = std::min(rounds, i + kLaneBlock);
            __m128i sums = _mm_setzero_si128();
            for (; i < end; i += 4) {
                const __m128i xs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i));
                // A product's column steps back through y: four limbs loaded, then reversed.
                const Limb* at = kYStep == 1 ? y + i : y - static_cast<std::ptrdiff_t>(i) - 3;
                __m128i ys = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
                if constexpr (kYStep < 0) ys = _mm_shuffle_epi32(ys, _MM_SHUFFLE(0, 1, 2, 3));
                const __m128i even = _mm_mul_epu32(xs, ys);
                const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(xs, 32), _mm_srli_epi64(ys, 32));
                sums = _mm_add_epi64(sums, _mm_add_epi64(even, odd));
            }
            lows = _mm_add_epi64(lows, _mm_and_si128(sums, lowHalves));
            highs = _mm_add_epi64(highs, _mm_srli_epi64(sums, 32));
        }
        alignas(16) std::uint64_t low[2], high[2];
        _mm_store_si128(reinterpret_cast<__m128i*>(low), lows);
        _mm_store_si128(reinterpret_cast<__m128i*>(high), highs);
        // The lanes' sum is lowSum + highSum 2^32, each below n 2^32.
        const std::uint64_t lowSum = low[0] + low[1], highSum = high[0] + high[1];
        column.add(lowSum);
        column.add(highSum << 32);
        column.top += static_cast<Limb>(highSum >> 32);
        for (; i < n; ++i) column.add(x[i], y[static_cast<std::ptrdiff_t>(i) * kYStep]);
    }
};

}  // namespace

bool useSse2() {
    return sse2On;
}

void setUseSse2(bool on) {
    sse2On = on && kHasSse2;
}

[[ZIF_SSE2_ENTRY, gnu::flatten]] void schoolbookVector(const PowerOps& ops, Limb* r, const Limb* a,
                                                       std::size_t na, const Limb* b,
                                                       std::size_t nb) {
    scanProduct<false>(ops, r, a, na, b, nb, Sse2Sum<-1>{});
}

[[ZIF_SSE2_ENTRY, gnu::flatten]] void combineRowsVector(const PowerOps& ops, Limb* r,
                                                        const Limb* factors, std::size_t n,
                                                        const Limb* powers, std::size_t stride) {
    scanRows(ops, r, factors, n, powers, stride, Sse2Sum<1>{});
}

[[ZIF_SSE2_ENTRY, gnu::flatten]] void columnsVector(Limb* c, const Limb* a, std::size_t na,
                                                    const Limb* b, std::size_t nb) {
    scanColumns(c, a, na, b, nb, Sse2Sum<-1>{});
}

// Binary limbs: a limb of one operand is split into its 16-bit halves, in the even lanes of a
// vector of its own, so that one SSE2 multiply forms a limb of the other operand times both
// halves. The products are below 2^48, which 64-bit lanes sum for up to 2^16 products without a
// carry to watch, and a column joins its two sums once, as low + high 2^16. Returns the column's
// limb, x[i] times the halves y[i * kYStep] for i < n, and adds the rest to carry.
template <std::ptrdiff_t kYStep>
[[gnu::target("sse2"), gnu::always_inline]] inline Limb columnOfHalves(const Limb* x,
                                                                       const __m128i* y,
                                                                       std::size_t n,
                                                                       std::uint64_t& carry) {
    const Limb* const end = x + n;
    __m128i even = _mm_setzero_si128(), odd = _mm_setzero_si128();
    if (n % 2 != 0) {
        even = _mm_mul_epu32(_mm_shuffle_epi32(_mm_cvtsi32_si128(static_cast<int>(*x)), 0), *y);
        x += 1;
        y += kYStep;
    }
    for (; x != end; x += 2, y += 2 * kYStep) {
        const __m128i pair = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(x));
        even = _mm_add_epi64(even, _mm_mul_epu32(_mm_shuffle_epi32(pair, 0x00), y[0]));
        odd = _mm_add_epi64(odd, _mm_mul_epu32(_mm_shuffle_epi32(pair, 0x55), y[kYStep]));
    }
    alignas(16) std::uint64_t sums[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), _mm_add_epi64(even, odd));
    // n products below 2^48 and a carry below (n + 1) 2^32 stay below 2^64 for n below 2^15.
    static_assert(kVectorBinaryMax < std::size_t{1} << 15);
    const std::uint64_t low = sums[0] + ((sums[1] & 0xFFFF) << 16) + carry;
    carry = (low >> 32) + (sums[1] >> 16);
    return static_cast<Limb>(low);
}

// halves[4 j, 4 j + 4) = the halves of v[j], for j < n <= kVectorBinaryMax.
[[gnu::target("sse2"), gnu::always_inline]] inline void splitIntoHalves(Limb* halves, const Limb* v,
                                                                        std::size_t n) {
    ZIF_ASSERT(n <= kVectorBinaryMax);
    for (std::size_t j = 0; j < n; ++j) {
        halves[4 * j] = v[j] & 0xFFFF;
        halves[4 * j + 1] = 0;
        halves[4 * j + 2] = v[j] >> 16;
        halves[4 * j + 3] = 0;
    }
}

[[ZIF_SSE2_ENTRY, gnu::flatten]] void schoolbookBinaryVector(Limb* r, const Limb* a, std::size_t na,
                                                             const Limb* b, std::size_t nb) {
    ZIF_ASSERT(nb <= na);
    alignas(16) Limb halves[4 * kVectorBinaryMax];
    splitIntoHalves(halves, b, nb);
    const auto* bHalves = reinterpret_cast<const __m128i*>(halves);
    std::uint64_t carry = 0;
    std::size_t k = 0;
    forEachColumn(
        a, na, bHalves,
        nb, [&](const Limb* x, const __m128i* y, std::size_t n) __attribute__((target("sse2"))) {
            r[k++] = columnOfHalves<-1>(x, y, n, carry);
        });
    ZIF_ASSERT(carry >> 32 == 0);
    r[k] = static_cast<Limb>(carry);
}

[[ZIF_SSE2_ENTRY]] void combineRowsBinaryVector(Limb* r, const Limb* factors, std::size_t n,
                                                const Limb* powers, std::size_t stride) {
    alignas(16) Limb halves[4 * kVectorBinaryMax];
    splitIntoHalves(halves, factors, n);
    const auto* factorHalves = reinterpret_cast<const __m128i*>(halves);
    std::uint64_t carry = 0;
    for (std::size_t k = 0; k < n; ++k)
        r[k] = columnOfHalves<1>(powers + k * stride + k, factorHalves + k, n - k, carry);
    ZIF_ASSERT(carry == 0);
}

}  // namespace zif::detail

#endif
