#include "platform/d3d/general_span.h"

#include <immintrin.h>

#include <algorithm>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/sampler.h"

namespace {

// What a pixel's position decides; the rest of its shading follows from these.
struct PixelValues {
  std::uint16_t depth = 0;
  std::int32_t s = 0, t = 0;
  std::uint32_t diffuse = 0, specular = 0;
};

// A pixel that passed the depth test: key, sample, modulate, specular, blend, store.
inline void FinishPixel(const DrawSettings& settings, std::uint16_t* pixel, std::uint16_t* depth,
                        const PixelValues& p) {
  std::uint32_t colour = p.diffuse;
  if (const Texture* texture = settings.texture) {
    if (settings.colourKey && KeyedTexel(*texture, p.s, p.t)) return;
    colour = Modulate(SampleBilinear(*texture, p.s, p.t), p.diffuse);
  }
  if (settings.specular) colour = AddSaturated(colour, p.specular);
  StoreColour(pixel, colour, settings.additive);
  if (settings.depthWrite) *depth = p.depth;
}

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

__attribute__((target("avx2"))) void ShadeGeneralSpanAvx2(const SpanInput& span, const DrawSettings& settings,
                                                          const RenderTarget& target) {
  std::uint16_t* row = target.colour + span.y * target.width;
  std::uint16_t* depthRow = target.depth + span.y * target.width;
  const Texture* texture = settings.texture;
  const __m256d lane = _mm256_setr_pd(0, 1, 2, 3), one = _mm256_set1_pd(1.0);
  const std::uint32_t flatDiffuse = PackColour(span.diffuse), flatSpecular = PackColour(span.specular);
  for (int first = span.xFirst; first < span.xEnd; first += 4) {
    int count = std::min(4, span.xEnd - first);
    __m256d x = _mm256_add_pd(_mm256_set1_pd(first), lane);
    PixelValues p[4];
    bool visible[4] = {true, true, true, true};
    if (settings.depthTest) {
      alignas(32) double z[4];
      _mm256_store_pd(z, At4(span.z, x));
      bool any = false;
      for (int k = 0; k < count; ++k) {
        p[k].depth = DepthValue(z[k]);
        visible[k] = p[k].depth <= depthRow[first + k];
        any |= visible[k];
      }
      if (!any) continue;
    }
    __m256d w = span.affine ? one : _mm256_div_pd(one, At4(span.q, x));
    alignas(16) std::uint32_t diffuse[4], specular[4];
    alignas(16) std::int32_t s[4], t[4];
    if (!span.flatColour) {
      _mm_store_si128(reinterpret_cast<__m128i*>(diffuse), Colours4(span, 2, x, w));
      if (settings.specular) _mm_store_si128(reinterpret_cast<__m128i*>(specular), Colours4(span, 5, x, w));
    }
    if (texture) {
      _mm_store_si128(reinterpret_cast<__m128i*>(s),
                      TexelPositions4(_mm256_mul_pd(At4(span.attributes[0], x), w), texture->width()));
      _mm_store_si128(reinterpret_cast<__m128i*>(t),
                      TexelPositions4(_mm256_mul_pd(At4(span.attributes[1], x), w), texture->height()));
    }
    for (int k = 0; k < count; ++k) {
      if (!visible[k]) continue;
      p[k].diffuse = span.flatColour ? flatDiffuse : diffuse[k];
      p[k].specular = span.flatColour ? flatSpecular : settings.specular ? specular[k] : 0;
      if (texture) {
        p[k].s = s[k];
        p[k].t = t[k];
      }
      FinishPixel(settings, row + first + k, depthRow + first + k, p[k]);
    }
  }
}

}  // namespace

void ShadeGeneralSpanPortable(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  std::uint16_t* row = target.colour + span.y * target.width;
  std::uint16_t* depthRow = target.depth + span.y * target.width;
  const Texture* texture = settings.texture;
  for (int x = span.xFirst; x < span.xEnd; ++x) {
    PixelValues p;
    if (settings.depthTest) {
      p.depth = DepthValue(span.z.At(x));
      if (p.depth > depthRow[x]) continue;
    }
    double w = span.affine ? 1.0 : 1.0 / span.q.At(x);
    if (span.flatColour) {
      p.diffuse = PackColour(span.diffuse);
      p.specular = PackColour(span.specular);
    } else {
      std::uint8_t c[6];
      for (int k = 0; k < 6; ++k) c[k] = InterpolatedByte(span.attributes[2 + k].At(x) * w);
      p.diffuse = PackColour(c);
      p.specular = PackColour(c + 3);
    }
    if (texture) {
      p.s = TexelPosition(span.attributes[0].At(x) * w, texture->width());
      p.t = TexelPosition(span.attributes[1].At(x) * w, texture->height());
    }
    FinishPixel(settings, row + x, depthRow + x, p);
  }
}

void ShadeGeneralSpan(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target) {
  if (AffineSpanHasSimd()) {
    ShadeGeneralSpanAvx2(span, settings, target);
  } else {
    ShadeGeneralSpanPortable(span, settings, target);
  }
}
