// What the device's AVX-512 loops (*_avx512.cpp) are compiled for: AVX-512 F, VL and BW on top
// of AVX2, which ProcessorHasAvx512 checks before any of them is chosen. Included only by those
// files.
#pragma once

// GCC 12's headers start the plain forms of many AVX-512 operations from an undefined register,
// which its uninitialized-value warning reports at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define AVX512 __attribute__((target("avx2,avx512f,avx512vl,avx512bw")))
#define AVX512_INLINE __attribute__((target("avx2,avx512f,avx512vl,avx512bw"), always_inline)) inline
