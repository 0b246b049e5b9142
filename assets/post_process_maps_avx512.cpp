// The post-process maps' AVX-512 kernel (codec_kernels.h): MapPixels with byte permutes, sixteen
// pixels at a time.
#include <immintrin.h>

#include "assets/codec_kernels.h"

namespace {

// The 64 table lookups of sixteen pixels in a few instructions.
__attribute__((target("avx512bw,avx512vbmi"))) __m512i MapBytes64(
    __m512i bytes, const __m512i table[4]) {
  const __m512i low = _mm512_permutex2var_epi8(table[0], bytes, table[1]);
  const __m512i high = _mm512_permutex2var_epi8(table[2], bytes, table[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(bytes), low, high);
}

__attribute__((target("avx512bw,avx512vbmi"))) __m512i MapLanes(__m512i bytes,
                                                                   const __m512i tables[3][4],
                                                                   const __mmask64 lanes[3]) {
  __m512i mapped = bytes;
  for (int k = 0; k < 3; ++k) {
    if (lanes[k] != 0) mapped = _mm512_mask_blend_epi8(lanes[k], mapped, MapBytes64(bytes, tables[k]));
  }
  return mapped;
}

}  // namespace

// Maps count pixels from pixel on, sixteen at a time. The last group is read and written through
// a byte mask that ends at the last pixel's last mapped byte, so that nothing past it is touched.
__attribute__((target("avx512bw,avx512vbmi"))) long MapPixelsAvx512(const std::uint8_t* const maps[3],
                                                                      std::uint8_t* pixel, long count) {
  const long all = count;
  // One lookup per distinct map, blended into the lanes of every byte it maps.
  const std::uint8_t* groupMap[3] = {};
  __m512i tables[3][4] = {};
  __mmask64 lanes[3] = {};
  int lastMapped = 0;
  for (int k = 0; k < 3; ++k) {
    if (maps[k] == nullptr) continue;
    lastMapped = k;
    int group = 0;
    while (groupMap[group] != nullptr && groupMap[group] != maps[k]) ++group;
    if (groupMap[group] == nullptr) {
      groupMap[group] = maps[k];
      for (int q = 0; q < 4; ++q) tables[group][q] = _mm512_loadu_si512(maps[k] + 64 * q);
    }
    lanes[group] |= 0x1111111111111111ull << k;
  }
  for (; count > 16; count -= 16, pixel += 64) {
    _mm512_storeu_si512(pixel, MapLanes(_mm512_loadu_si512(pixel), tables, lanes));
  }
  const __mmask64 tail = ~0ull >> (64 - (4 * (count - 1) + lastMapped + 1));
  _mm512_mask_storeu_epi8(pixel, tail, MapLanes(_mm512_maskz_loadu_epi8(tail, pixel), tables, lanes));
  return all;
}
