#include "convert/convert_base.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <mutex>
#include <vector>

#include "convert/check.h"
#include "convert/limbs.h"
#include "convert/numeral.h"

namespace zif {

namespace {

using detail::Limb;
using detail::Radix;

// Limbs for the conversion under way on this thread, kept from one conversion to the next, so
// that a long conversion does not hand a few hundred kilobytes back to the system and fault them
// in again on the next. It never holds more than the longest numeral converted so far needed.
Limb* scratchLimbs(std::size_t n) {
    thread_local std::unique_ptr<Limb[]> storage;
    thread_local std::size_t capacity = 0;
    if (n > capacity) {
        if (storage) ASAN_UNPOISON_MEMORY_REGION(storage.get(), capacity * sizeof(Limb));
        storage.reset();
        capacity = 0;
        storage.reset(new Limb[n]);
        capacity = n;
    }
    // What an earlier, longer conversion left is not this conversion's to touch.
    ASAN_UNPOISON_MEMORY_REGION(storage.get(), n * sizeof(Limb));
    ASAN_POISON_MEMORY_REGION(storage.get() + n, (capacity - n) * sizeof(Limb));
    return storage.get();
}

// Scratch limbs taken and given back in stack order.
class Arena {
public:
    // Limbs not taken are poisoned, so that a product running past what it took is reported.
    Arena(Limb* storage, std::size_t size) : storage_(storage), size_(size) {
        ASAN_POISON_MEMORY_REGION(storage_, size_ * sizeof(Limb));
    }
    ~Arena() { ASAN_UNPOISON_MEMORY_REGION(storage_, size_ * sizeof(Limb)); }
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    Limb* take(std::size_t n) {
        ZIF_ASSERT(used_ + n <= size_);
        Limb* at = storage_ + used_;
        ASAN_UNPOISON_MEMORY_REGION(at, n * sizeof(Limb));
        used_ += n;
        return at;
    }
    std::size_t mark() const { return used_; }
    void release(std::size_t mark) {
        ASAN_POISON_MEMORY_REGION(storage_ + mark, (used_ - mark) * sizeof(Limb));
        used_ = mark;
    }

private:
    Limb* storage_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// The radix a numeral of `base` is written from: 2^kLimbBits for a power of two, base^k otherwise.
Radix radixOf(unsigned base) {
    if (detail::bitsPerDigit(base) != 0) return Radix::binary();
    return Radix::power(detail::limbChunk(base).power);
}

// Limbs of radixOf(base) that `length` digits of `base` fill.
std::size_t limbsFor(std::size_t length, unsigned base) {
    if (const unsigned bits = detail::bitsPerDigit(base))
        return (length * bits + detail::kLimbBits - 1) / detail::kLimbBits;
    const unsigned digits = detail::limbChunk(base).digits;
    return (length + digits - 1) / digits;
}

// The numeral of limbs[0, n) of radixOf(base), written in `base`.
[[gnu::always_inline]] inline void writeLimbs(const Limb* limbs, std::size_t n, unsigned base,
                                              std::u16string& out) {
    n = detail::significantLimbs(limbs, n);
    if (const unsigned bits = detail::bitsPerDigit(base))
        detail::writeBinaryLimbs(limbs, n, bits, out);
    else
        detail::writePowerLimbs(limbs, n, base, detail::limbChunk(base).digits, out);
}

// How a numeral of one base becomes limbs of the radix its target base is written from: it is
// cut into chunks of chunkDigits digits, each chunk below the radix, and the chunks are joined.
// A numeral of a power of two whose digits would leave bits of the radix unused is cut into
// chunks of chunkBits bits instead, as many as the radix holds (63 for 10^19 where whole hex
// digits take 60): fewer chunks to join.
struct Plan {
    Radix radix;
    unsigned chunkDigits = 0;  // 0 for chunks of bits
    unsigned chunkBits = 0;    // 0 for chunks of digits
    Limb chunkPower = 1;       // FromBase^chunkDigits or 2^chunkBits
    std::size_t leafChunks;    // up to this many chunks are joined directly
    // chunkPower^(2^j) in the radix, without zero limbs on top or below: a power of an even base
    // in binary limbs ends in zero limbs (10^(19 2^j) in 2^(19 2^j) in a third of them), and
    // lowZeros[j] is their number.
    std::vector<std::vector<Limb>> powerDigits{};
    std::vector<std::size_t> lowZeros{};
    // chunkPower^i for i < leafChunks, limb k of it at k * leafChunks + i.
    std::vector<Limb> leafPowers{};
};

// Bits a digit of `from` holds where its numerals are cut into chunks of bits for the radix of
// `to`, else 0: where whole digits leave bits of the radix unused, and limbs are 64 bits. In
// 32-bit limbs the gain is a bit a chunk (29 for 10^9 against 28 in hex digits), less than
// cutting the chunks out of binary limbs costs.
unsigned readsBits(unsigned from, unsigned to) {
    const unsigned bits = detail::bitsPerDigit(from);
    if (detail::kLimbBits != 64 || bits == 0 || detail::bitsPerDigit(to) != 0) return 0;
    const auto radixBits = static_cast<unsigned>(std::bit_width(detail::limbChunk(to).power)) - 1;
    return radixBits % bits != 0 ? bits : 0;
}

// The most bits a digit holds (base 32).
constexpr unsigned kMaxDigitBits = 5;

// The arena that build() takes for `chunks` chunks: the high half's value, then the build of
// that half, or the product of the half and a power (at most chunks limbs: the power of 2^j
// chunks has at most 2^j = low limbs) with that product's scratch.
std::size_t buildScratch(const Plan& plan, std::size_t chunks) {
    if (chunks <= plan.leafChunks) return 0;
    const std::size_t low = std::bit_floor(chunks - 1);
    const std::size_t high = chunks - low;  // <= low
    return std::max(
        buildScratch(plan, low),
        high + std::max(buildScratch(plan, high), chunks + detail::multiplyScratch(low)));
}

// value[0, count) = the chunks joined: value = sum of chunks[i] * chunkPower^i.
void build(const Plan& plan, const Limb* chunks, std::size_t count, Limb* value, Arena& arena) {
    if (count <= plan.leafChunks &&
        count >=
            (plan.radix.isBinary() ? detail::kJoinedRowsMinBinary : detail::kJoinedRowsMinPower)) {
        detail::combineRows(plan.radix, value, chunks, count, plan.leafPowers.data(),
                            plan.leafChunks);
        return;
    }
    if (count <= plan.leafChunks) {
        // From the top chunk down: the value grows by a limb at most per chunk.
        value[0] = chunks[count - 1];
        for (std::size_t used = 1; used < count; ++used)
            value[used] = detail::multiplyAddSmall(plan.radix, value, used, plan.chunkPower,
                                                   chunks[count - 1 - used]);
        return;
    }
    // Split at a power of two so that the multiplier is a cached power.
    const std::size_t low = std::bit_floor(count - 1);
    const std::size_t high = count - low;
    build(plan, chunks, low, value, arena);
    const std::size_t mark = arena.mark();
    Limb* highValue = arena.take(high);
    build(plan, chunks + low, high, highValue, arena);
    const std::size_t highLimbs = detail::significantLimbs(highValue, high);
    const auto j = static_cast<std::size_t>(std::countr_zero(low));
    const std::vector<Limb>& power = plan.powerDigits[j];
    const std::size_t zeros = plan.lowZeros[j];
    std::fill(value + low, value + count, Limb{0});
    // Multiplying by the power's zero limbs is left out: the product is added above them.
    Limb* product = arena.take(highLimbs + power.size());
    detail::multiply(plan.radix, product, highValue, highLimbs, power.data(), power.size(),
                     arena.take(detail::multiplyScratch(std::max(highLimbs, power.size()))));
    [[maybe_unused]] const Limb carry = detail::addInto(plan.radix, value + zeros, count - zeros,
                                                        product, highLimbs + power.size());
    ZIF_ASSERT(carry == 0);
    arena.release(mark);
}

Plan makePlan(unsigned from, unsigned to) {
    const bool binary = detail::bitsPerDigit(to) != 0;
    Plan plan{.radix = radixOf(to),
              .leafChunks = binary ? detail::kLeafChunksBinary : detail::kLeafChunksPower};
    std::size_t maxChunks;
    if (readsBits(from, to) != 0) {
        // Shared by every base that reads bits: as many chunks as the longest of them makes.
        plan.chunkBits = static_cast<unsigned>(std::bit_width(plan.radix.base())) - 1;
        plan.chunkPower = Limb{1} << plan.chunkBits;
        maxChunks = (kMaxNumeralLength * kMaxDigitBits + plan.chunkBits - 1) / plan.chunkBits;
    } else {
        // Every chunk must stay below the radix.
        const Limb limit = binary ? ~Limb{0} : plan.radix.base() - 1;
        while (plan.chunkPower <= limit / from) {
            plan.chunkPower *= from;
            ++plan.chunkDigits;
        }
        maxChunks = (kMaxNumeralLength + plan.chunkDigits - 1) / plan.chunkDigits;
    }
    // Each power is the square of the last without its zero limbs, which the square has twice.
    plan.powerDigits.push_back({plan.chunkPower});
    plan.lowZeros.push_back(0);
    while ((std::size_t{1} << plan.powerDigits.size()) < maxChunks) {
        const std::vector<Limb>& last = plan.powerDigits.back();
        std::vector<Limb> square(2 * last.size());
        std::vector<Limb> scratch(detail::multiplyScratch(last.size()));
        detail::multiply(plan.radix, square.data(), last.data(), last.size(), last.data(),
                         last.size(), scratch.data());
        square.resize(detail::significantLimbs(square.data(), square.size()));
        const auto zeros =
            std::find_if(square.begin(), square.end(), [](Limb l) { return l != 0; });
        plan.lowZeros.push_back(2 * plan.lowZeros.back() +
                                static_cast<std::size_t>(zeros - square.begin()));
        square.erase(square.begin(), zeros);
        plan.powerDigits.push_back(std::move(square));
    }
    const std::size_t n = plan.leafChunks;
    plan.leafPowers.assign(n * n, Limb{0});
    std::vector<Limb> power(n, Limb{0});
    power[0] = 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (i != 0)
            power[i] = detail::multiplyAddSmall(plan.radix, power.data(), i, plan.chunkPower, 0);
        for (std::size_t k = 0; k <= i; ++k) plan.leafPowers[k * n + i] = power[k];
    }
    return plan;
}

// The plans are built on first use and kept: the powers for the longest numeral take about as
// long to compute as one conversion of it.
const Plan& planFor(unsigned from, unsigned to) {
    // Every target base with the same radix shares a plan, and so does every power of two read
    // in chunks of bits.
    const unsigned key = detail::bitsPerDigit(to) != 0 ? 0 : to;
    const unsigned fromKey = readsBits(from, to) != 0 ? 0 : from;
    static std::array<std::once_flag, 37 * 37> once;
    static std::array<std::unique_ptr<Plan>, 37 * 37> plans;
    const std::size_t index = fromKey * 37 + key;
    std::call_once(once[index], [&] { plans[index] = std::make_unique<Plan>(makePlan(from, to)); });
    return *plans[index];
}

// chunks[0, count) = limbs[0, n) cut into pieces of chunkBits bits, the lowest first.
void cutChunks(const Limb* limbs, std::size_t n, unsigned chunkBits, Limb* chunks,
               std::size_t count) {
    const Limb mask = (Limb{1} << chunkBits) - 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t bit = i * chunkBits;
        const std::size_t index = bit / detail::kLimbBits;
        const unsigned offset = bit % detail::kLimbBits;
        Limb chunk = limbs[index] >> offset;
        if (offset + chunkBits > detail::kLimbBits && index + 1 < n)
            chunk |= limbs[index + 1] << (detail::kLimbBits - offset);
        chunks[i] = chunk & mask;
    }
}

void convertLarge(std::u16string_view digits, unsigned from, unsigned to, std::u16string& out) {
    const unsigned fromBits = detail::bitsPerDigit(from), toBits = detail::bitsPerDigit(to);
    if (fromBits != 0 && toBits != 0) {
        const std::size_t n = limbsFor(digits.size(), from);
        Limb* limbs = scratchLimbs(n);
        detail::readBinaryLimbs(digits, fromBits, limbs);
        writeLimbs(limbs, n, to, out);
        return;
    }
    const Plan& plan = planFor(from, to);
    std::size_t count, binaryLimbs = 0;
    if (plan.chunkBits != 0) {
        // The first digit is not zero.
        const std::size_t bits =
            (digits.size() - 1) * fromBits +
            static_cast<std::size_t>(std::bit_width(detail::digitValue(digits[0])));
        count = (bits + plan.chunkBits - 1) / plan.chunkBits;
        // As many as the digits fill, leading zero bits and all.
        binaryLimbs = (digits.size() * fromBits + detail::kLimbBits - 1) / detail::kLimbBits;
    } else {
        count = (digits.size() + plan.chunkDigits - 1) / plan.chunkDigits;
    }
    const std::size_t scratch = buildScratch(plan, count);
    Limb* chunks = scratchLimbs(2 * count + std::max(scratch, binaryLimbs));
    Limb* value = chunks + count;
    if (plan.chunkBits != 0) {
        // Read into the arena's room before it is taken.
        Limb* limbs = value + count;
        detail::readBinaryLimbs(digits, fromBits, limbs);
        cutChunks(limbs, binaryLimbs, plan.chunkBits, chunks, count);
    } else {
        detail::readChunks(digits, from, plan.chunkDigits, chunks);
    }
    Arena arena(value + count, scratch);
    build(plan, chunks, count, value, arena);
    writeLimbs(value, count, to, out);
}

// The numeral of edit(radix, limbs, n) for the value of `converted`, a canonical numeral of
// `base`, as n limbs of radixOf(base), the top one a spare limb for a carry.
template <class Edit>
std::u16string edited(std::u16string_view converted, unsigned base, Edit edit) {
    std::vector<Limb> limbs(limbsFor(converted.size(), base) + 1, Limb{0});
    if (const unsigned bits = detail::bitsPerDigit(base))
        detail::readBinaryLimbs(converted, bits, limbs.data());
    else
        detail::readChunks(converted, base, detail::limbChunk(base).digits, limbs.data());
    edit(radixOf(base), limbs.data(), limbs.size());
    std::u16string out;
    writeLimbs(limbs.data(), limbs.size(), base, out);
    return out;
}

}  // namespace

std::u16string AppendDigit(std::u16string_view converted, char16_t typed, std::uint8_t FromBase,
                           std::uint8_t ToBase) {
    const unsigned digit = detail::digitValue(typed);
    if (digit >= FromBase) return {};
    return edited(converted, ToBase, [&](const Radix& radix, Limb* limbs, std::size_t n) {
        limbs[n - 1] = detail::multiplyAddSmall(radix, limbs, n - 1, FromBase, digit);
    });
}

std::u16string DropLastDigit(std::u16string_view converted, std::uint8_t FromBase,
                             std::uint8_t ToBase) {
    return edited(converted, ToBase, [&](const Radix& radix, Limb* limbs, std::size_t n) {
        detail::divideSmall(radix, limbs, n, FromBase);
    });
}

namespace {

// high:low, a value just past 64 bits read on the short path, written in the base 2^bits: it
// needs no plan, unlike convertLarge(). Out of line: inlined into convertInto, it slows the
// short path it leaves.
[[gnu::noinline]] void writeWide(std::uint64_t high, std::uint64_t low, unsigned bits,
                                 std::u16string& out) {
    constexpr std::size_t n = 128 / detail::kLimbBits;
    Limb limbs[n];
    for (std::size_t i = 0; i < n; ++i)
        limbs[i] = static_cast<Limb>((i * detail::kLimbBits < 64 ? low : high) >>
                                     (i * detail::kLimbBits % 64));
    detail::writeBinaryLimbs(limbs, detail::significantLimbs(limbs, n), bits, out);
}

// Both forms of ConvertBase; inlined into each, as a call between them is a large part of a
// short conversion.
[[gnu::always_inline]] inline void convertInto(std::u16string_view Number, std::uint8_t FromBase,
                                               std::uint8_t ToBase, std::u16string& result) {
    if (Number.empty() || FromBase < 2 || FromBase > 36 || ToBase < 2 || ToBase > 36) {
        result.clear();
        return;
    }
    if (Number.size() > kMaxNumeralLength) throw RuntimeError(kOverflowError);

    // A single digit, as when the first key is typed: no parsing, and one character out unless
    // the digit is past the target base.
    if (Number.size() == 1) {
        const unsigned digit = detail::digitValue(Number[0]);
        if (digit >= FromBase)
            result.clear();
        else if (digit < ToBase)
            result.assign(1, detail::kDigitChars[digit]);
        else
            detail::writeValue(digit, ToBase, result);
        return;
    }

    // Values that fit 64 bits need no limbs, and no allocation once result has room: a numeral
    // of at most one digit more than 64 bits hold is read whole, a longer one once its leading
    // zeros are gone.
    const detail::BasicChunk<std::uint64_t> chunk = detail::valueChunk(FromBase);
    if (Number.size() > chunk.digits + 1) {
        if (!detail::allDigitsOf(Number, FromBase)) {
            result.clear();
            return;
        }
        const std::size_t firstSignificant = Number.find_first_not_of(u'0');
        if (firstSignificant == std::u16string_view::npos) {
            result.assign(1, u'0');
            return;
        }
        Number.remove_prefix(firstSignificant);
        if (Number.size() > chunk.digits + 1) {
            convertLarge(Number, FromBase, ToBase, result);
            return;
        }
    }
    const detail::ShortValue value = detail::readShort(Number, FromBase);
    if (!value.valid)
        result.clear();
    else if (value.fits)
        detail::writeValue(value.value, ToBase, result);
    else if (const unsigned bits = detail::bitsPerDigit(ToBase))
        writeWide(value.high, value.value, bits, result);
    else  // a value past 64 bits in this many digits has no leading zero
        convertLarge(Number, FromBase, ToBase, result);
}

}  // namespace

std::u16string ConvertBase(std::u16string_view Number, std::uint8_t FromBase, std::uint8_t ToBase) {
    std::u16string result;
    convertInto(Number, FromBase, ToBase, result);
    return result;
}

void ConvertBase(std::u16string_view Number, std::uint8_t FromBase, std::uint8_t ToBase,
                 std::u16string& result) {
    convertInto(Number, FromBase, ToBase, result);
}

}  // namespace zif
