// AVX2 pieces shared by the span loops that do eight pixels a step: bilinear samples as 16-bit
// channel lanes, source-key tests, and R5G6B5 widening and narrowing. The pixel
// values are the scalar routines' (sampler.h, texture.h) bit for bit. Included only by the
// *_avx2.cpp files (x86-64 builds), in functions compiled for AVX2.
#pragma once

#include <immintrin.h>

#include <bit>

#include "platform/d3d/texture.h"

// What the samplers read of a texture, copied into a local value: span loops store through
// vector types that may alias anything, so fields read through a Texture reference would be
// loaded again after every store.
struct TexelGrid {
  TexelGrid() = default;  // no texture
  explicit TexelGrid(const Texture& texture)
      : texels(reinterpret_cast<const int*>(texture.widened())),
        width(texture.width()),
        height(texture.height()),
        powerOfTwo(texture.powerOfTwo()),
        keyLow(texture.sourceKeyLow),
        keyHigh(texture.sourceKeyHigh),
        // log2 of the width: texel rows are that many bits apart (0 for other sizes).
        rowShift(powerOfTwo ? std::countr_zero(static_cast<unsigned>(width)) : 0) {}
  const int* texels = nullptr;
  int width = 0, height = 0;
  bool powerOfTwo = false;
  int keyLow = 0, keyHigh = 0;
  int rowShift = 0;
};

// 8-bit channels as 16-bit lanes: (a * (256 - f) + b * f) >> 8, exact since the sum < 65536.
__attribute__((target("avx2"))) inline __m256i Lerp16(__m256i a, __m256i b, __m256i f, __m256i g) {
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(a, g), _mm256_mullo_epi16(b, f)), 8);
}

// Per-pixel weights (0..255 in each 32-bit lane) spread over the four 16-bit channel lanes that
// unpacking the low (or high) pixel pairs of a 128-bit half gives.
__attribute__((target("avx2"))) inline void SpreadWeights(__m256i f, __m256i& low, __m256i& high) {
  __m256i pair = _mm256_or_si256(f, _mm256_slli_epi32(f, 16));
  low = _mm256_unpacklo_epi32(pair, pair);
  high = _mm256_unpackhi_epi32(pair, pair);
}

__attribute__((target("avx2"))) inline __m256i Widen565(__m128i pixels) {
  __m256i p = _mm256_cvtepu16_epi32(pixels);
  __m256i r = _mm256_srli_epi32(p, 11);
  __m256i g = _mm256_and_si256(_mm256_srli_epi32(p, 5), _mm256_set1_epi32(0x3F));
  __m256i b = _mm256_and_si256(p, _mm256_set1_epi32(0x1F));
  r = _mm256_or_si256(_mm256_slli_epi32(r, 3), _mm256_srli_epi32(r, 2));
  g = _mm256_or_si256(_mm256_slli_epi32(g, 2), _mm256_srli_epi32(g, 4));
  b = _mm256_or_si256(_mm256_slli_epi32(b, 3), _mm256_srli_epi32(b, 2));
  return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(r, 16), _mm256_slli_epi32(g, 8)), b);
}

__attribute__((target("avx2"))) inline __m128i Narrow565(__m256i c) {
  __m256i r = _mm256_and_si256(_mm256_srli_epi32(c, 8), _mm256_set1_epi32(0xF800));
  __m256i g = _mm256_and_si256(_mm256_srli_epi32(c, 5), _mm256_set1_epi32(0x07E0));
  __m256i b = _mm256_and_si256(_mm256_srli_epi32(c, 3), _mm256_set1_epi32(0x001F));
  __m256i packed = _mm256_packus_epi32(_mm256_or_si256(_mm256_or_si256(r, g), b), _mm256_setzero_si256());
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08));
}

// Texel columns (or rows) wrapped onto 0 .. size - 1: any value on power-of-two sizes, values in
// [-size, 2 * size) on others.
__attribute__((target("avx2"))) inline __m256i WrapLanes(__m256i i, int size, bool powerOfTwo) {
  if (powerOfTwo) return _mm256_and_si256(i, _mm256_set1_epi32(size - 1));
  const __m256i n = _mm256_set1_epi32(size);
  i = _mm256_add_epi32(i, _mm256_and_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), i), n));
  return _mm256_sub_epi32(i, _mm256_and_si256(_mm256_cmpgt_epi32(i, _mm256_set1_epi32(size - 1)), n));
}

// True when every lane's texel lies within one texture size of the texture, as wide sampling of
// other sizes than powers of two needs (broken coordinates can land anywhere).
__attribute__((target("avx2"))) inline bool WithinOneWrap(__m256i s, int size) {
  __m256i i = _mm256_srai_epi32(s, 16);
  __m256i outside = _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(-size), i),
                                    _mm256_cmpgt_epi32(i, _mm256_set1_epi32(2 * size - 2)));
  return _mm256_testz_si256(outside, outside);
}

// Index of texel (x, y) in the texture's rows.
__attribute__((target("avx2"))) inline __m256i TexelIndex(const TexelGrid& grid, __m256i x, __m256i y) {
  __m256i row = grid.powerOfTwo ? _mm256_sll_epi32(y, _mm_cvtsi32_si128(grid.rowShift))
                                : _mm256_mullo_epi32(y, _mm256_set1_epi32(grid.width));
  return _mm256_add_epi32(row, x);
}

// The texel pairs at eight indices, each one 64-bit load: pixels 0, 1, 4, 5 go to one gather and
// 2, 3, 6, 7 to the other, so that taking even and odd words gives the left and right texels in
// pixel order.
__attribute__((target("avx2"), always_inline)) inline void GatherPairs8(const int* texels, __m256i index,
                                                                       __m256i& left, __m256i& right) {
  index = _mm256_permutevar8x32_epi32(index, _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
  const auto* base = reinterpret_cast<const long long*>(texels);
  const __m256 a = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_castsi256_si128(index), 4));
  const __m256 b = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_extracti128_si256(index, 1), 4));
  left = _mm256_castps_si256(_mm256_shuffle_ps(a, b, 0x88));
  right = _mm256_castps_si256(_mm256_shuffle_ps(a, b, 0xDD));
}

// The four texels around eight 16.16 positions (s, t). Positions on textures of other sizes than
// powers of two lie within one texture size of the texture.
struct Taps8 {
  __m256i t00, t01, t10, t11;  // top-left, top-right, bottom-left, bottom-right
};

__attribute__((target("avx2"), always_inline)) inline Taps8 FetchTaps8(const TexelGrid& grid, __m256i s, __m256i t) {
  const int* texels = grid.texels;
  const bool p2 = grid.powerOfTwo;
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i i = _mm256_srai_epi32(s, 16), j = _mm256_srai_epi32(t, 16);
  const __m256i x0 = WrapLanes(i, grid.width, p2), x1 = WrapLanes(_mm256_add_epi32(i, one), grid.width, p2);
  const __m256i y0 = WrapLanes(j, grid.height, p2), y1 = WrapLanes(_mm256_add_epi32(j, one), grid.height, p2);
  const __m256i top = TexelIndex(grid, x0, y0), bottom = TexelIndex(grid, x0, y1);
  const __m256i lastColumn = _mm256_cmpeq_epi32(x0, _mm256_set1_epi32(grid.width - 1));
  if (!_mm256_testz_si256(lastColumn, lastColumn)) {
    return {_mm256_i32gather_epi32(texels, top, 4), _mm256_i32gather_epi32(texels, TexelIndex(grid, x1, y0), 4),
            _mm256_i32gather_epi32(texels, bottom, 4), _mm256_i32gather_epi32(texels, TexelIndex(grid, x1, y1), 4)};
  }
  // No pair wraps: each row's two texels are one 64-bit load.
  Taps8 taps;
  GatherPairs8(texels, top, taps.t00, taps.t01);
  GatherPairs8(texels, bottom, taps.t10, taps.t11);
  return taps;
}

// Bilinear samples of the taps at (s, t), as 16-bit channel lanes: low holds pixels 0, 1, 4, 5
// and high pixels 2, 3, 6, 7 (the order unpacking gives, which _mm256_packus_epi16(low, high)
// undoes).
__attribute__((target("avx2"), always_inline)) inline void BlendTaps8(const Taps8& taps, __m256i s, __m256i t,
                                                                     __m256i& low, __m256i& high) {
  const __m256i byte = _mm256_set1_epi32(0xFF), full = _mm256_set1_epi16(256), zero = _mm256_setzero_si256();
  __m256i fsLow, fsHigh, ftLow, ftHigh;
  SpreadWeights(_mm256_and_si256(_mm256_srli_epi32(s, 8), byte), fsLow, fsHigh);
  SpreadWeights(_mm256_and_si256(_mm256_srli_epi32(t, 8), byte), ftLow, ftHigh);
  __m256i gsLow = _mm256_sub_epi16(full, fsLow), gsHigh = _mm256_sub_epi16(full, fsHigh);
  __m256i gtLow = _mm256_sub_epi16(full, ftLow), gtHigh = _mm256_sub_epi16(full, ftHigh);
  __m256i topLow = Lerp16(_mm256_unpacklo_epi8(taps.t00, zero), _mm256_unpacklo_epi8(taps.t01, zero), fsLow, gsLow);
  __m256i topHigh = Lerp16(_mm256_unpackhi_epi8(taps.t00, zero), _mm256_unpackhi_epi8(taps.t01, zero), fsHigh, gsHigh);
  __m256i botLow = Lerp16(_mm256_unpacklo_epi8(taps.t10, zero), _mm256_unpacklo_epi8(taps.t11, zero), fsLow, gsLow);
  __m256i botHigh = Lerp16(_mm256_unpackhi_epi8(taps.t10, zero), _mm256_unpackhi_epi8(taps.t11, zero), fsHigh, gsHigh);
  low = Lerp16(topLow, botLow, ftLow, gtLow);
  high = Lerp16(topHigh, botHigh, ftHigh, gtHigh);
}

// The taps' bilinear samples at (s, t) modulated by per-pixel diffuse colours (0x00RRGGBB lanes):
// (texel * (diffuse + 1)) >> 8 per channel, as 0x00RRGGBB lanes.
__attribute__((target("avx2"), always_inline)) inline __m256i ModulatedSample8(const Taps8& taps, __m256i s, __m256i t,
                                                                              __m256i diffuse) {
  const __m256i zero = _mm256_setzero_si256(), unit = _mm256_set1_epi16(1);
  __m256i low, high;
  BlendTaps8(taps, s, t, low, high);
  low = _mm256_srli_epi16(_mm256_mullo_epi16(low, _mm256_add_epi16(_mm256_unpacklo_epi8(diffuse, zero), unit)), 8);
  high = _mm256_srli_epi16(_mm256_mullo_epi16(high, _mm256_add_epi16(_mm256_unpackhi_epi8(diffuse, zero), unit)), 8);
  return _mm256_packus_epi16(low, high);
}

// All-ones lanes where the texel nearest (s, t) is within the source key. That texel is one of
// the taps (the right one from half a texel on, the lower likewise); its value is read back from
// the widened copy, which narrows to the stored value exactly.
__attribute__((target("avx2"), always_inline)) inline __m256i KeyedTaps8(const TexelGrid& grid, const Taps8& taps,
                                                                        __m256i s, __m256i t) {
  const __m256i half = _mm256_set1_epi32(0x8000);
  const __m256i right = _mm256_cmpeq_epi32(_mm256_and_si256(s, half), half);
  const __m256i lower = _mm256_cmpeq_epi32(_mm256_and_si256(t, half), half);
  const __m256i c = _mm256_blendv_epi8(_mm256_blendv_epi8(taps.t00, taps.t01, right),
                                       _mm256_blendv_epi8(taps.t10, taps.t11, right), lower);
  __m256i value = _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(c, 8), _mm256_set1_epi32(0xF800)),
                                                  _mm256_and_si256(_mm256_srli_epi32(c, 5), _mm256_set1_epi32(0x07E0))),
                                  _mm256_and_si256(_mm256_srli_epi32(c, 3), _mm256_set1_epi32(0x001F)));
  __m256i belowLow = _mm256_cmpgt_epi32(_mm256_set1_epi32(grid.keyLow), value);
  __m256i aboveHigh = _mm256_cmpgt_epi32(value, _mm256_set1_epi32(grid.keyHigh));
  return _mm256_xor_si256(_mm256_or_si256(belowLow, aboveHigh), _mm256_set1_epi32(-1));
}
