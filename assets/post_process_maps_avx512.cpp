// The post-process maps' AVX-512 kernel (codec_kernels.h): MapPixels with byte permutes, sixteen
// pixels at a time.
#include <immintrin.h>

#include "assets/codec_kernels.h"

namespace {

// One 256-entry map in four 64-byte vectors, and the byte lanes of a group of pixels it maps.
struct MapGroup {
  __m512i table[4];
  __mmask64 lanes;
};

// The 64 table lookups of sixteen pixels in a few instructions.
__attribute__((target("avx512bw,avx512vbmi"))) __m512i MapBytes64(__m512i bytes,
                                                                   const MapGroup& group) {
  const __m512i low = _mm512_permutex2var_epi8(group.table[0], bytes, group.table[1]);
  const __m512i high = _mm512_permutex2var_epi8(group.table[2], bytes, group.table[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(bytes), low, high);
}

template <int Groups>
__attribute__((target("avx512bw,avx512vbmi"))) __m512i MapLanes(__m512i bytes,
                                                                 const MapGroup (&groups)[Groups]) {
  __m512i mapped = bytes;
  for (int g = 0; g < Groups; ++g) {
    mapped = _mm512_mask_blend_epi8(groups[g].lanes, mapped, MapBytes64(bytes, groups[g]));
  }
  return mapped;
}

// Groups is a constant of each instance, so that the tables stay in registers across the walk.
template <int Groups>
__attribute__((target("avx512bw,avx512vbmi"))) void MapGroups(const MapGroup* groups,
                                                              std::uint8_t* pixel, long count,
                                                              int lastMapped) {
  MapGroup local[Groups];
  for (int g = 0; g < Groups; ++g) local[g] = groups[g];
  for (; count > 16; count -= 16, pixel += 64) {
    _mm512_storeu_si512(pixel, MapLanes(_mm512_loadu_si512(pixel), local));
  }
  // The last group is read and written through a byte mask that ends at the last pixel's last
  // mapped byte, so that nothing past it is touched.
  const __mmask64 tail = ~0ull >> (64 - (4 * (count - 1) + lastMapped + 1));
  _mm512_mask_storeu_epi8(pixel, tail, MapLanes(_mm512_maskz_loadu_epi8(tail, pixel), local));
}

}  // namespace

// Maps count pixels from pixel on: one lookup per distinct map, blended into the lanes of every
// byte it maps.
__attribute__((target("avx512bw,avx512vbmi"))) long MapPixelsAvx512(const std::uint8_t* const maps[3],
                                                                      std::uint8_t* pixel, long count) {
  if (count <= 0) return count < 0 ? 0 : count;
  const std::uint8_t* groupMap[3] = {};
  MapGroup groups[3];
  int groupCount = 0, lastMapped = 0;
  for (int k = 0; k < 3; ++k) {
    if (maps[k] == nullptr) continue;
    lastMapped = k;
    int group = 0;
    while (group < groupCount && groupMap[group] != maps[k]) ++group;
    if (group == groupCount) {
      groupMap[group] = maps[k];
      for (int q = 0; q < 4; ++q) groups[group].table[q] = _mm512_loadu_si512(maps[k] + 64 * q);
      groups[group].lanes = 0;
      ++groupCount;
    }
    groups[group].lanes |= 0x1111111111111111ull << k;
  }
  switch (groupCount) {
    case 1: MapGroups<1>(groups, pixel, count, lastMapped); break;
    case 2: MapGroups<2>(groups, pixel, count, lastMapped); break;
    case 3: MapGroups<3>(groups, pixel, count, lastMapped); break;
    default: break;
  }
  return count;
}
