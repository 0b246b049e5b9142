// The AVX-512 loops of lit-mesh spans (span_kernels.h): ShadeGeneralSpanPortable eight pixels a
// step as the AVX2 loops do, with a step's doubles in one register and masked loads and stores
// instead of scratch copies at a span's end, into R5G6B5 or true-colour frames.
#include <immintrin.h>

#include <algorithm>

#include "platform/d3d/avx512_target.h"
#include "platform/d3d/bilinear_avx2.h"
#include "platform/d3d/general_span.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

AVX512_INLINE __m512d At8(const RowGradient& g, __m512d x) {
  return _mm512_add_pd(_mm512_set1_pd(g.start), _mm512_mul_pd(_mm512_set1_pd(g.dx), x));
}

// InterpolatedByte of eight values in 32-bit lanes (not-a-number gives 0 as the scalar cast does).
AVX512_INLINE __m256i Bytes8(__m512d value) {
  __m512d v = _mm512_add_pd(value, _mm512_set1_pd(0.5));
  v = _mm512_max_pd(_mm512_setzero_pd(), _mm512_min_pd(_mm512_set1_pd(255.0), v));
  return _mm256_and_si256(_mm512_cvttpd_epi32(v), _mm256_set1_epi32(0xFF));
}

AVX512_INLINE __m256i Colours8(const SpanInput& span, int first, __m512d x, __m512d w) {
  const __m256i r = Bytes8(_mm512_mul_pd(At8(span.attributes[first], x), w));
  const __m256i g = Bytes8(_mm512_mul_pd(At8(span.attributes[first + 1], x), w));
  const __m256i b = Bytes8(_mm512_mul_pd(At8(span.attributes[first + 2], x), w));
  return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(r, 16), _mm256_slli_epi32(g, 8)), b);
}

// TexelPosition of eight coordinates.
AVX512_INLINE __m256i TexelPositions8(__m512d u, int size) {
  const __m512d wrapped = _mm512_sub_pd(u, _mm512_roundscale_pd(u, _MM_FROUND_TO_NEG_INF));
  const __m512d scaled = _mm512_mul_pd(_mm512_mul_pd(wrapped, _mm512_set1_pd(size)), _mm512_set1_pd(65536.0));
  return _mm256_sub_epi32(_mm512_cvttpd_epi32(_mm512_roundscale_pd(scaled, _MM_FROUND_TO_NEG_INF)),
                          _mm256_set1_epi32(32768));
}

// DepthValue of eight z values as 16-bit lanes: 0 at or before the near plane (or not a number),
// 0xFFFF from the far plane on.
AVX512_INLINE __m128i DepthValues8(__m512d z) {
  // max returns its second operand for a not-a-number, so those lanes become 0.
  const __m512d clamped = _mm512_min_pd(_mm512_max_pd(z, _mm512_setzero_pd()), _mm512_set1_pd(1.0));
  return _mm256_cvtepi32_epi16(_mm512_cvttpd_epi32(_mm512_mul_pd(clamped, _mm512_set1_pd(65535.0))));
}

template <class Pixel>
AVX512 void ShadeSpan(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target, Pixel* frame) {
  constexpr bool trueColour = sizeof(Pixel) == 4;
  Pixel* row = frame + span.y * target.width;
  std::uint16_t* depthRow = target.depth + span.y * target.width;
  const Texture* texture = settings.texture;
  const TexelGrid grid = texture ? TexelGrid(*texture) : TexelGrid();
  const __m512d lane = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7), one = _mm512_set1_pd(1.0);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i flatDiffuse = _mm256_set1_epi32(static_cast<int>(PackColour(span.diffuse)));
  const __m256i flatSpecular = _mm256_set1_epi32(static_cast<int>(PackColour(span.specular)));
  const bool addSpecular = settings.specular && (span.flatColour || !SpecularPlanesZero(span));
  for (int first = span.xFirst; first < span.xEnd; first += 8) {
    const int count = std::min(8, span.xEnd - first);
    const __mmask8 inSpan = static_cast<__mmask8>((1u << count) - 1);
    const __m512d x = _mm512_add_pd(_mm512_set1_pd(first), lane);
    __mmask8 visible = inSpan;
    __m128i depth = _mm_setzero_si128();
    if (settings.depthTest) {
      depth = DepthValues8(At8(span.z, x));
      visible = _mm_mask_cmple_epu16_mask(inSpan, depth, _mm_maskz_loadu_epi16(inSpan, depthRow + first));
      if (!visible) continue;
    }
    const __m512d w = span.affine ? one : _mm512_div_pd(one, At8(span.q, x));
    __m256i diffuse = flatDiffuse, specular = flatSpecular;
    if (!span.flatColour) {
      diffuse = Colours8(span, 2, x, w);
      specular = addSpecular ? Colours8(span, 5, x, w) : zero;
    }
    __m256i s = zero, t = zero;
    if (texture) {
      s = TexelPositions8(_mm512_mul_pd(At8(span.attributes[0], x), w), texture->width());
      t = TexelPositions8(_mm512_mul_pd(At8(span.attributes[1], x), w), texture->height());
    }
    // Broken coordinates on other sizes than powers of two are finished one pixel at a time.
    const bool wrapsWide = texture && (texture->powerOfTwo() ||
                                       (WithinOneWrap(s, texture->width()) && WithinOneWrap(t, texture->height())));
    if (texture && !wrapsWide) {
      alignas(32) std::uint32_t d[8], sp[8];
      alignas(32) std::int32_t ss[8], tt[8];
      alignas(16) std::uint16_t depths[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(d), diffuse);
      _mm256_store_si256(reinterpret_cast<__m256i*>(sp), specular);
      _mm256_store_si256(reinterpret_cast<__m256i*>(ss), s);
      _mm256_store_si256(reinterpret_cast<__m256i*>(tt), t);
      _mm_store_si128(reinterpret_cast<__m128i*>(depths), depth);
      for (int k = 0; k < count; ++k) {
        if (visible >> k & 1) FinishPixel(settings, row + first + k, depthRow + first + k, {depths[k], ss[k], tt[k], d[k], sp[k]});
      }
      continue;
    }
    __m256i colour = diffuse;
    if (texture) {
      const Taps8 taps = FetchTaps8(grid, s, t);
      if (settings.colourKey) {
        visible &= static_cast<__mmask8>(~_mm256_cmpneq_epi32_mask(KeyedTaps8(grid, taps, s, t), zero));
        if (!visible) continue;
      }
      colour = ModulatedSample8(taps, s, t, diffuse);
    }
    if (addSpecular) colour = _mm256_adds_epu8(colour, specular);
    if constexpr (trueColour) {
      if (settings.additive) colour = _mm256_adds_epu8(colour, _mm256_maskz_loadu_epi32(visible, row + first));
      _mm256_mask_storeu_epi32(row + first, visible, colour);
    } else {
      if (settings.additive) colour = _mm256_adds_epu8(colour, Widen565(_mm_maskz_loadu_epi16(visible, row + first)));
      _mm_mask_storeu_epi16(row + first, visible, Narrow565(colour));
    }
    if (settings.depthWrite) _mm_mask_storeu_epi16(depthRow + first, visible, depth);
  }
}

}  // namespace

void ShadeGeneralSpanAvx512(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  ShadeSpan(span, settings, target, target.colour);
}

void ShadeGeneralSpanTrueColourAvx512(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  ShadeSpan(span, settings, target, target.trueColour);
}
