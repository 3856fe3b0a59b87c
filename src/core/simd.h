#pragma once
// Vector code selection shared by the pixel loops.
//
// TARNEL_SIMD_SSE2 is defined where SSE2 can be used unconditionally (every
// x86-64 processor has it); TARNEL_SIMD_AVX2 where AVX2 code can be compiled
// into functions marked TARNEL_TARGET_AVX2, to be called only when
// cpuHasAvx2() says the processor runs it. Building with TARNEL_NO_SIMD
// leaves both undefined, so only the plain loops are compiled. Every vector
// path must produce exactly the bytes of its plain loop.
//
// TARNEL_FORCE_INLINE (written before `inline`, or after a lambda's
// parameters) keeps small per-pixel steps inside their loop where a call
// would cost more than the step; it is independent of TARNEL_NO_SIMD.

#if defined(__GNUC__) || defined(__clang__)
#define TARNEL_FORCE_INLINE __attribute__((always_inline))
#else
#define TARNEL_FORCE_INLINE
#endif

#if !defined(TARNEL_NO_SIMD) && (defined(__SSE2__) || defined(_M_X64))
#include <immintrin.h>
#define TARNEL_SIMD_SSE2 1
#if defined(__GNUC__) || defined(__clang__)
#define TARNEL_SIMD_AVX2 1
#define TARNEL_TARGET_AVX2 __attribute__((target("avx2")))
#elif defined(_MSC_VER)
#include <intrin.h>
#define TARNEL_SIMD_AVX2 1
#define TARNEL_TARGET_AVX2
#endif
#endif

namespace tarnel {

// True when the processor and the operating system run AVX2 code; asked
// once, then remembered.
bool cpuHasAvx2();

}  // namespace tarnel
