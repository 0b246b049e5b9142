// What the processor offers beyond the x86-64 baseline the demo is built for; the routines that
// use more (AVX-512 byte permutes) check here once and otherwise take their plain path.
#pragma once

// AVX-512 BW and VBMI: 64-byte vectors with byte-granular masks and byte permutes.
inline bool HasByteShuffles() {
  static const bool has = __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
  return has;
}
