#pragma once

#include <cstdio>
#include <cstdlib>

// ZIF_ASSERT(condition): an invariant of the arithmetic (a bound, a carry that must be zero).
// Checked in debug builds and in every sanitizer and fuzzing build (ZIF_CHECKED), whatever
// NDEBUG says, so that the tests and the fuzzer see a broken invariant where it breaks.
#if defined(ZIF_CHECKED) || !defined(NDEBUG)
#define ZIF_ASSERT(condition)                                                                      \
    ((condition)                                                                                   \
         ? void(0)                                                                                 \
         : (std::fprintf(stderr, "%s:%d: assertion failed: %s\n", __FILE__, __LINE__, #condition), \
            std::abort()))
#else
#define ZIF_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif

// ASAN_POISON_MEMORY_REGION / ASAN_UNPOISON_MEMORY_REGION mark limbs that a scratch block holds
// but the conversion under way must not touch, so that AddressSanitizer reports an overrun into
// them as it would past a fresh allocation. Without AddressSanitizer they do nothing.
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(address, bytes) static_cast<void>(0)
#define ASAN_UNPOISON_MEMORY_REGION(address, bytes) static_cast<void>(0)
#endif
