// The hot loops of the curves built for AVX2 (the pair loops also for AVX-512) and for
// any x86-64, and chosen when the program starts by what the processor has. No version
// uses fused multiply-adds (contraction stays off), so all give the same bits: the
// choice changes the time, never a figure. Elsewhere (Windows, the page, clang) one
// version.
#ifndef QUORVANE_SCATTERING_VECTOR_CLONES_H_
#define QUORVANE_SCATTERING_VECTOR_CLONES_H_

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define QUORVANE_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
// The pair loops gain some 8 % from AVX-512's sixteen distances at a time; the Debye
// sums lose as much, and keep to AVX2.
#define QUORVANE_PAIR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define QUORVANE_VECTOR_CLONES
#define QUORVANE_PAIR_CLONES
#endif

// Inlined into each version of its caller, with that version's instructions.
#if defined(__GNUC__)
#define QUORVANE_INLINE_IN_CLONES __attribute__((always_inline)) inline
#else
#define QUORVANE_INLINE_IN_CLONES inline
#endif

#endif  // QUORVANE_SCATTERING_VECTOR_CLONES_H_
