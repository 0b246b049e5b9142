// What the processor offers beyond the x86-64 baseline the demo is built for; the routines that
// use more (AVX-512 gathers and byte permutes) check here once and otherwise take their plain path.
#pragma once

// False sends every routine down its plain path, as on a processor without AVX-512 (the tests
// compare the two).
inline bool WideVectorsAllowed = true;

// AVX-512 F and BW: 64-byte vectors, gathers, byte-granular masks.
inline bool HasWideVectors() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has && WideVectorsAllowed;
}

// AVX-512 BW and VBMI: 64-byte vectors with byte-granular masks and byte permutes.
inline bool HasByteShuffles() {
  static const bool has = __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
  return has && WideVectorsAllowed;
}
