// AVX2 pieces shared by the span loops that do eight pixels a step: bilinear samples as 16-bit
// channel lanes, source-key tests, and R5G6B5 widening and narrowing. The pixel
// values are the scalar routines' (sampler.h, texture.h) bit for bit. Included only by the
// *_avx2.cpp files (x86-64 builds), in functions compiled for AVX2.
#pragma once

#include <immintrin.h>

#include <bit>
#include <cstring>

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

// The bilinear lerp of four taps, across by (fs, gs) and down by (ft, gt).
__attribute__((target("avx2"))) inline __m256i Lerp2d(__m256i fs, __m256i gs, __m256i ft, __m256i gt, __m256i t00,
                                                      __m256i t01, __m256i t10, __m256i t11) {
  return Lerp16(Lerp16(t00, t01, fs, gs), Lerp16(t10, t11, fs, gs), ft, gt);
}

// Each lane's bits 8..15 (a 16.16 position's fraction, to eight bits) in both its 16-bit halves.
__attribute__((target("avx2"))) inline __m256i FractionPairs(__m256i position) {
  const __m128i pick = _mm_setr_epi8(1, -128, 1, -128, 5, -128, 5, -128, 9, -128, 9, -128, 13, -128, 13, -128);
  return _mm256_shuffle_epi8(position, _mm256_broadcastsi128_si256(pick));
}

// R5G6B5 pixels as 0x00RRGGBB lanes, each channel's bits repeated below it. Each pixel goes into
// both halves of its lane, blue moved to the top of the lower one and red kept at the top of the
// upper one, so that one high multiply by 8.25 widens both; green likewise by 4.0625.
__attribute__((target("avx2"))) inline __m256i Widen565(__m128i pixels) {
  const __m128i twice = _mm_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13);
  const __m256i p = _mm256_shuffle_epi8(_mm256_cvtepu16_epi32(pixels), _mm256_broadcastsi128_si256(twice));
  const __m256i topped =
      _mm256_and_si256(_mm256_mullo_epi16(p, _mm256_set1_epi32(0x00010800)), _mm256_set1_epi32(0xF800F800));
  const __m256i redBlue = _mm256_mulhi_epu16(topped, _mm256_set1_epi16(264));
  const __m256i green = _mm256_mulhi_epu16(_mm256_and_si256(p, _mm256_set1_epi32(0x07E0)), _mm256_set1_epi16(8320));
  return _mm256_or_si256(redBlue, _mm256_slli_epi32(green, 8));
}

// 0x00RRGGBB lanes as R5G6B5 pixels: each channel's kept bits weighted into place, eight times
// over, by two multiply-adds (blue + 64 green, then + 2048 red).
__attribute__((target("avx2"))) inline __m128i Narrow565(__m256i c) {
  const __m256i kept = _mm256_and_si256(c, _mm256_set1_epi32(0x00F8FCF8));
  const __m256i pairs = _mm256_maddubs_epi16(kept, _mm256_set1_epi32(0x00014001));
  const __m256i eight = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x08000001));
  const __m256i packed = _mm256_packus_epi32(_mm256_srli_epi32(eight, 3), _mm256_setzero_si256());
  return _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08));
}

// Channels as two 16-bit lanes a pixel, blue and red (bytes 0 and 2) in one register and green
// and alpha (bytes 1 and 3) in the other, each times its factor >> 8, put back together.
__attribute__((target("avx2"))) inline __m256i Modulate8(__m256i blueRed, __m256i greenAlpha, __m256i blueRedFactors,
                                                         __m256i greenAlphaFactors) {
  return _mm256_or_si256(_mm256_srli_epi16(_mm256_mullo_epi16(blueRed, blueRedFactors), 8),
                         _mm256_and_si256(_mm256_mullo_epi16(greenAlpha, greenAlphaFactors),
                                          _mm256_set1_epi32(0xFF00FF00)));
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

// The texel pairs at eight indices, each one 64-bit load: pixels 0, 1, 4, 5 go to one vector and
// 2, 3, 6, 7 to the other, so that taking even and odd words gives the left and right texels in
// pixel order. Loaded one by one: on the processors measured, a gather costs more than its loads.
__attribute__((target("avx2"), always_inline)) inline void GatherPairs8(const int* texels, __m256i index,
                                                                       __m256i& left, __m256i& right) {
  const __m128i low = _mm256_castsi256_si128(index), high = _mm256_extracti128_si256(index, 1);
  const auto pair = [texels](int at) {
    long long texelPair;
    std::memcpy(&texelPair, texels + at, sizeof texelPair);
    return texelPair;
  };
  const __m256 a = _mm256_castsi256_ps(_mm256_setr_epi64x(pair(_mm_cvtsi128_si32(low)), pair(_mm_extract_epi32(low, 1)),
                                                          pair(_mm_cvtsi128_si32(high)),
                                                          pair(_mm_extract_epi32(high, 1))));
  const __m256 b = _mm256_castsi256_ps(_mm256_setr_epi64x(pair(_mm_extract_epi32(low, 2)), pair(_mm_extract_epi32(low, 3)),
                                                          pair(_mm_extract_epi32(high, 2)),
                                                          pair(_mm_extract_epi32(high, 3))));
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

// Bilinear samples of the taps at (s, t) in the two halves Modulate8 takes.
__attribute__((target("avx2"), always_inline)) inline void BlendTaps8(const Taps8& taps, __m256i s, __m256i t,
                                                                     __m256i& blueRed, __m256i& greenAlpha) {
  const __m256i full = _mm256_set1_epi16(256), even = _mm256_set1_epi32(0x00FF00FF);
  const __m256i fs = FractionPairs(s), ft = FractionPairs(t);
  const __m256i gs = _mm256_sub_epi16(full, fs), gt = _mm256_sub_epi16(full, ft);
  blueRed = Lerp2d(fs, gs, ft, gt, _mm256_and_si256(taps.t00, even), _mm256_and_si256(taps.t01, even),
                   _mm256_and_si256(taps.t10, even), _mm256_and_si256(taps.t11, even));
  greenAlpha = Lerp2d(fs, gs, ft, gt, _mm256_srli_epi16(taps.t00, 8), _mm256_srli_epi16(taps.t01, 8),
                      _mm256_srli_epi16(taps.t10, 8), _mm256_srli_epi16(taps.t11, 8));
}

// The taps' bilinear samples at (s, t) modulated by per-pixel diffuse colours (0x00RRGGBB lanes):
// (texel * (diffuse + 1)) >> 8 per channel, as 0x00RRGGBB lanes.
__attribute__((target("avx2"), always_inline)) inline __m256i ModulatedSample8(const Taps8& taps, __m256i s, __m256i t,
                                                                              __m256i diffuse) {
  const __m256i unit = _mm256_set1_epi16(1);
  __m256i blueRed, greenAlpha;
  BlendTaps8(taps, s, t, blueRed, greenAlpha);
  const __m256i blueRedFactors = _mm256_add_epi16(_mm256_and_si256(diffuse, _mm256_set1_epi32(0x00FF00FF)), unit);
  return Modulate8(blueRed, greenAlpha, blueRedFactors, _mm256_add_epi16(_mm256_srli_epi16(diffuse, 8), unit));
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
