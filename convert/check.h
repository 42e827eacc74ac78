#pragma once

#include <cstdio>
#include <cstdlib>

// ZIF_ASSERT(condition): an invariant of the arithmetic (a bound, a carry that must be zero).
// Checked in debug builds and in every sanitizer and fuzzing build (ZIF_CHECKED), whatever
// NDEBUG says, so that the tests and the fuzzer see a broken invariant where it breaks.
#if defined(ZIF_CHECKED) || !defined(NDEBUG)
#define ZIF_ASSERT(condition) \
    ((condition) ? void(0) : ::zif::detail::assertionFailed(#condition, __FILE__, __LINE__))
namespace zif::detail {
[[noreturn]] inline void assertionFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, condition);
    std::abort();
}
}  // namespace zif::detail
#else
#define ZIF_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif

// Marks limbs that a scratch block holds but the conversion under way must not touch, so that
// AddressSanitizer reports an overrun into them as it would past a fresh allocation.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZIF_HAS_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZIF_HAS_ASAN 1
#endif
#ifdef ZIF_HAS_ASAN
#include <sanitizer/asan_interface.h>
#define ZIF_POISON(address, bytes) ASAN_POISON_MEMORY_REGION(address, bytes)
#define ZIF_UNPOISON(address, bytes) ASAN_UNPOISON_MEMORY_REGION(address, bytes)
#else
#define ZIF_POISON(address, bytes) static_cast<void>(0)
#define ZIF_UNPOISON(address, bytes) static_cast<void>(0)
#endif
