// The AVX2 loops of lit-mesh spans (span_kernels.h): ShadeGeneralSpanPortable eight pixels a step,
// into R5G6B5 or true-colour frames.
#include <immintrin.h>

#include <algorithm>

#include "platform/d3d/bilinear_avx2.h"
#include "platform/d3d/general_span.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

__attribute__((target("avx2"))) inline __m256d At4(const RowGradient& g, __m256d x) {
  return _mm256_add_pd(_mm256_set1_pd(g.start), _mm256_mul_pd(_mm256_set1_pd(g.dx), x));
}

// InterpolatedByte of four values, in 32-bit lanes (not-a-number gives 0 as the scalar cast does).
__attribute__((target("avx2"))) inline __m128i Bytes4(__m256d value) {
  __m256d v = _mm256_add_pd(value, _mm256_set1_pd(0.5));
  v = _mm256_max_pd(_mm256_setzero_pd(), _mm256_min_pd(_mm256_set1_pd(255.0), v));
  return _mm_and_si128(_mm256_cvttpd_epi32(v), _mm_set1_epi32(0xFF));
}

__attribute__((target("avx2"))) inline __m128i Colours4(const SpanInput& span, int first, __m256d x, __m256d w) {
  __m128i r = Bytes4(_mm256_mul_pd(At4(span.attributes[first], x), w));
  __m128i g = Bytes4(_mm256_mul_pd(At4(span.attributes[first + 1], x), w));
  __m128i b = Bytes4(_mm256_mul_pd(At4(span.attributes[first + 2], x), w));
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(r, 16), _mm_slli_epi32(g, 8)), b);
}

// TexelPosition of four coordinates.
__attribute__((target("avx2"))) inline __m128i TexelPositions4(__m256d u, int size) {
  __m256d wrapped = _mm256_sub_pd(u, _mm256_floor_pd(u));
  __m256d scaled = _mm256_mul_pd(_mm256_mul_pd(wrapped, _mm256_set1_pd(size)), _mm256_set1_pd(65536.0));
  return _mm_sub_epi32(_mm256_cvttpd_epi32(_mm256_floor_pd(scaled)), _mm_set1_epi32(32768));
}

__attribute__((target("avx2"))) inline __m256i Join(__m128i low, __m128i high) {
  return _mm256_set_m128i(high, low);
}

// DepthValue of eight z values as 16-bit lanes: 0 at or before the near plane (or not a number),
// 0xFFFF from the far plane on.
__attribute__((target("avx2"))) inline __m128i DepthValues8(__m256d low, __m256d high) {
  const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0), scale = _mm256_set1_pd(65535.0);
  // max returns its second operand for a not-a-number, so those lanes become 0.
  const __m128i a = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_min_pd(_mm256_max_pd(low, zero), one), scale));
  const __m128i b = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_min_pd(_mm256_max_pd(high, zero), one), scale));
  return _mm_packus_epi32(a, b);
}

// The first count (1..8) values from p, the rest zero: never a read past a span's end.
__attribute__((target("avx2"))) inline __m128i LoadLanes16(const std::uint16_t* p, int count) {
  if (count == 8) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  alignas(16) std::uint16_t lanes[8] = {};
  std::copy_n(p, count, lanes);
  return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}
__attribute__((target("avx2"))) inline __m256i LoadLanes32(const std::uint32_t* p, int count) {
  if (count == 8) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  alignas(32) std::uint32_t lanes[8] = {};
  std::copy_n(p, count, lanes);
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
}

// All-ones or zero 32-bit lanes as 16-bit lanes, in order.
__attribute__((target("avx2"))) inline __m128i Narrow32To16(__m256i mask) {
  return _mm_packs_epi32(_mm256_castsi256_si128(mask), _mm256_extracti128_si256(mask, 1));
}

template <class Pixel>
__attribute__((target("avx2"))) void ShadeSpan(const SpanInput& span, const DrawSettings& settings,
                                               const RenderTarget& target, Pixel* frame) {
  constexpr bool trueColour = sizeof(Pixel) == 4;
  Pixel* row = frame + span.y * target.width;
  std::uint16_t* depthRow = target.depth + span.y * target.width;
  const Texture* texture = settings.texture;
  const TexelGrid grid = texture ? TexelGrid(*texture) : TexelGrid();
  const __m256d lane = _mm256_setr_pd(0, 1, 2, 3), one = _mm256_set1_pd(1.0);
  const __m128i lanes16 = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i flatDiffuse = _mm256_set1_epi32(static_cast<int>(PackColour(span.diffuse)));
  const __m256i flatSpecular = _mm256_set1_epi32(static_cast<int>(PackColour(span.specular)));
  const bool addSpecular = settings.specular && (span.flatColour || !SpecularPlanesZero(span));
  for (int first = span.xFirst; first < span.xEnd; first += 8) {
    int count = std::min(8, span.xEnd - first);
    const __m256d x[2] = {_mm256_add_pd(_mm256_set1_pd(first), lane), _mm256_add_pd(_mm256_set1_pd(first + 4), lane)};
    // Per lane 0xFFFF where the pixel is drawn, 0 elsewhere.
    const __m128i inSpan = _mm_cmpgt_epi16(_mm_set1_epi16(static_cast<short>(count)), lanes16);
    __m128i visible = inSpan, depth = _mm_setzero_si128(), stored = _mm_setzero_si128();
    if (settings.depthTest) {
      depth = DepthValues8(At4(span.z, x[0]), At4(span.z, x[1]));
      stored = LoadLanes16(depthRow + first, count);
      visible = _mm_and_si128(inSpan, _mm_cmpeq_epi16(_mm_max_epu16(depth, stored), stored));
      if (_mm_testz_si128(visible, visible)) continue;
    }
    __m256d w[2] = {one, one};
    if (!span.affine) {
      for (int h = 0; h < 2; ++h) w[h] = _mm256_div_pd(one, At4(span.q, x[h]));
    }
    __m256i diffuse = flatDiffuse, specular = flatSpecular;
    if (!span.flatColour) {
      diffuse = Join(Colours4(span, 2, x[0], w[0]), Colours4(span, 2, x[1], w[1]));
      specular = addSpecular ? Join(Colours4(span, 5, x[0], w[0]), Colours4(span, 5, x[1], w[1])) : zero;
    }
    __m256i s = zero, t = zero;
    if (texture) {
      s = Join(TexelPositions4(_mm256_mul_pd(At4(span.attributes[0], x[0]), w[0]), texture->width()),
               TexelPositions4(_mm256_mul_pd(At4(span.attributes[0], x[1]), w[1]), texture->width()));
      t = Join(TexelPositions4(_mm256_mul_pd(At4(span.attributes[1], x[0]), w[0]), texture->height()),
               TexelPositions4(_mm256_mul_pd(At4(span.attributes[1], x[1]), w[1]), texture->height()));
    }
    // Broken coordinates on other sizes than powers of two are finished one pixel at a time.
    bool wrapsWide = texture && (texture->powerOfTwo() ||
                                 (WithinOneWrap(s, texture->width()) && WithinOneWrap(t, texture->height())));
    if (texture && !wrapsWide) {
      alignas(32) std::uint32_t d[8], sp[8];
      alignas(32) std::int32_t ss[8], tt[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(d), diffuse);
      _mm256_store_si256(reinterpret_cast<__m256i*>(sp), specular);
      _mm256_store_si256(reinterpret_cast<__m256i*>(ss), s);
      _mm256_store_si256(reinterpret_cast<__m256i*>(tt), t);
      alignas(16) std::uint16_t depths[8], drawn[8];
      _mm_store_si128(reinterpret_cast<__m128i*>(depths), depth);
      _mm_store_si128(reinterpret_cast<__m128i*>(drawn), visible);
      for (int k = 0; k < count; ++k) {
        if (drawn[k]) FinishPixel(settings, row + first + k, depthRow + first + k, {depths[k], ss[k], tt[k], d[k], sp[k]});
      }
      continue;
    }
    __m256i colour = diffuse;
    if (texture) {
      const Taps8 taps = FetchTaps8(grid, s, t);
      if (settings.colourKey) {
        visible = _mm_andnot_si128(Narrow32To16(KeyedTaps8(grid, taps, s, t)), visible);
        if (_mm_testz_si128(visible, visible)) continue;
      }
      colour = ModulatedSample8(taps, s, t, diffuse);
    }
    if (addSpecular) colour = _mm256_adds_epu8(colour, specular);
    // The span's pixels, those past its end as zeros; drawn lanes take the new colour.
    alignas(32) Pixel out[8];
    if constexpr (trueColour) {
      const __m256i existing = LoadLanes32(row + first, count);
      if (settings.additive) colour = _mm256_adds_epu8(colour, existing);
      _mm256_store_si256(reinterpret_cast<__m256i*>(out), _mm256_blendv_epi8(existing, colour, _mm256_cvtepi16_epi32(visible)));
    } else {
      const __m128i existing = LoadLanes16(row + first, count);
      if (settings.additive) colour = _mm256_adds_epu8(colour, Widen565(existing));
      _mm_store_si128(reinterpret_cast<__m128i*>(out), _mm_blendv_epi8(existing, Narrow565(colour), visible));
    }
    std::copy_n(out, count, row + first);
    if (settings.depthWrite) {
      alignas(16) std::uint16_t depths[8];
      _mm_store_si128(reinterpret_cast<__m128i*>(depths), _mm_blendv_epi8(stored, depth, visible));
      std::copy_n(depths, count, depthRow + first);
    }
  }
}

}  // namespace

void ShadeGeneralSpanAvx2(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  ShadeSpan(span, settings, target, target.colour);
}

void ShadeGeneralSpanTrueColourAvx2(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  ShadeSpan(span, settings, target, target.trueColour);
}
