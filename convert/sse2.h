#pragma once

// A 32-bit x86 target cannot count on SSE2 (Windows' baseline is the Pentium Pro), but nearly
// every processor it runs on has it: the hot loops have SSE2 versions, chosen at run time.

#if defined(__i386__) && !defined(ZIF_PORTABLE_ARITHMETIC)
#define ZIF_HAVE_SSE2_PATHS 1

// An SSE2 version is compiled for SSE2 and realigns the stack to the 16 bytes that SSE2's aligned
// loads and stores need: a 32-bit caller promises 4 (Windows calls a window procedure, and with
// it a key release's conversion, on such a stack).
#define ZIF_SSE2_ENTRY gnu::target("sse2"), gnu::force_align_arg_pointer

namespace zif::detail {

// Whether the SSE2 versions run, for the products and the digit check alike: where the processor
// has SSE2, unless turned off (tests check the portable versions that way).
bool useSse2();
void setUseSse2(bool on);

}  // namespace zif::detail

#endif
