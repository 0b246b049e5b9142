// Texture widening and block maxima in AVX2 (span_kernels.h): whole vectors of Texture's plain
// loops; each returns how far it got, and the plain loop finishes the rest.
#include <immintrin.h>

#include "platform/d3d/bilinear_avx2.h"
#include "platform/d3d/span_kernels.h"

__attribute__((target("avx2"))) std::size_t WidenTexelsAvx2(const std::uint16_t* pixels,
                                                             std::uint32_t* widened, std::size_t count) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(widened + i), Widen565(packed));
  }
  return i;
}

// into[i] = max(into[i], from[i]) for the bytes of whole 32-byte steps.
__attribute__((target("avx2"))) int MaxBytesAvx2(std::uint8_t* into, const std::uint8_t* from, int count) {
  int i = 0;
  for (; i + 32 <= count; i += 32) {
    auto* to = reinterpret_cast<__m256i*>(into + i);
    _mm256_storeu_si256(to, _mm256_max_epu8(_mm256_loadu_si256(to),
                                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i))));
  }
  return i;
}

// Byte-wise maxima over each block's four texels of `down`, two blocks a step.
__attribute__((target("avx2"))) int BlockPairMaximaAvx2(const std::uint8_t* down, int columns, std::uint32_t* blocks) {
  int bx = 0;
  for (; bx + 2 <= columns; bx += 2) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(down + 16 * bx));
    v = _mm256_max_epu8(v, _mm256_shuffle_epi32(v, 0xB1));
    v = _mm256_max_epu8(v, _mm256_shuffle_epi32(v, 0x4E));
    blocks[bx] = static_cast<std::uint32_t>(_mm256_extract_epi32(v, 0));
    blocks[bx + 1] = static_cast<std::uint32_t>(_mm256_extract_epi32(v, 4));
  }
  return bx;
}
