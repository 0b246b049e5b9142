#include "platform/d3d/affine_span.h"

#include <immintrin.h>

#include <algorithm>

#include "platform/d3d/live_blocks.h"
#include "platform/d3d/sampler.h"

namespace {

int Log2(int size) {
  int n = 0;
  while ((1 << n) < size) ++n;
  return n;
}

// True when eight pixels from position (s, t) on, stepping (ds, dt), sample only dead blocks.
bool EightPixelsDead(const AffineSpan& span, std::uint32_t s, std::uint32_t t) {
  std::int32_t iA = static_cast<std::int32_t>(s) >> 16, iB = static_cast<std::int32_t>(s + 7 * span.ds) >> 16;
  std::int32_t jA = static_cast<std::int32_t>(t) >> 16, jB = static_cast<std::int32_t>(t + 7 * span.dt) >> 16;
  std::int32_t iMin = std::min(iA, iB), iMax = std::max(iA, iB) + 1;
  std::int32_t jMin = std::min(jA, jB), jMax = std::max(jA, jB) + 1;
  // Wide footprints (minified or wrapped positions) are simply drawn.
  if (iMax - iMin > 8 || jMax - jMin > 8) return false;
  int columns = span.texture->width() >> kLiveBlockShift, rows = span.texture->height() >> kLiveBlockShift;
  for (std::int32_t bj = jMin >> kLiveBlockShift; bj <= jMax >> kLiveBlockShift; ++bj) {
    const std::uint8_t* row = span.liveBlocks + (bj & (rows - 1)) * columns;
    for (std::int32_t bi = iMin >> kLiveBlockShift; bi <= iMax >> kLiveBlockShift; ++bi) {
      if (row[bi & (columns - 1)]) return false;
    }
  }
  return true;
}

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

__attribute__((target("avx2"))) void ShadeAffineSpanAvx2(const AffineSpan& span) {
  const Texture& texture = *span.texture;
  const int* texels = reinterpret_cast<const int*>(texture.widened());
  const __m256i widthMask = _mm256_set1_epi32(texture.width() - 1);
  const __m256i heightMask = _mm256_set1_epi32(texture.height() - 1);
  const __m128i rowShift = _mm_cvtsi32_si128(Log2(texture.width()));
  const __m256i one = _mm256_set1_epi32(1), byte = _mm256_set1_epi32(0xFF);
  const __m256i full = _mm256_set1_epi16(256);
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  std::uint32_t d = span.diffuse;
  const __m256i diffuse = _mm256_set1_epi64x(static_cast<long long>(
      (std::uint64_t{(d & 0xFF) + 1}) | (std::uint64_t{((d >> 8) & 0xFF) + 1} << 16) |
      (std::uint64_t{((d >> 16) & 0xFF) + 1} << 32)));
  const __m256i specular = _mm256_set1_epi32(static_cast<int>(span.specular));
  __m256i s = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(span.s)),
                               _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int>(span.ds))));
  __m256i t = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(span.t)),
                               _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<int>(span.dt))));
  const __m256i sStep = _mm256_set1_epi32(static_cast<int>(span.ds * 8));
  const __m256i tStep = _mm256_set1_epi32(static_cast<int>(span.dt * 8));
  const __m256i zero = _mm256_setzero_si256();
  int i = 0;
  std::uint32_t sFirst = span.s, tFirst = span.t;
  for (; i + 8 <= span.count; i += 8, sFirst += 8 * span.ds, tFirst += 8 * span.dt) {
    if (span.liveBlocks && EightPixelsDead(span, sFirst, tFirst)) {
      s = _mm256_add_epi32(s, sStep);
      t = _mm256_add_epi32(t, tStep);
      continue;
    }
    __m256i x0 = _mm256_and_si256(_mm256_srai_epi32(s, 16), widthMask);
    __m256i x1 = _mm256_and_si256(_mm256_add_epi32(x0, one), widthMask);
    __m256i y0 = _mm256_and_si256(_mm256_srai_epi32(t, 16), heightMask);
    __m256i y1 = _mm256_and_si256(_mm256_add_epi32(y0, one), heightMask);
    __m256i row0 = _mm256_sll_epi32(y0, rowShift), row1 = _mm256_sll_epi32(y1, rowShift);
    __m256i t00 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row0, x0), 4);
    __m256i t01 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row0, x1), 4);
    __m256i t10 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row1, x0), 4);
    __m256i t11 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(row1, x1), 4);
    __m256i fsLow, fsHigh, ftLow, ftHigh;
    SpreadWeights(_mm256_and_si256(_mm256_srli_epi32(s, 8), byte), fsLow, fsHigh);
    SpreadWeights(_mm256_and_si256(_mm256_srli_epi32(t, 8), byte), ftLow, ftHigh);
    __m256i gsLow = _mm256_sub_epi16(full, fsLow), gsHigh = _mm256_sub_epi16(full, fsHigh);
    __m256i gtLow = _mm256_sub_epi16(full, ftLow), gtHigh = _mm256_sub_epi16(full, ftHigh);
    __m256i topLow = Lerp16(_mm256_unpacklo_epi8(t00, zero), _mm256_unpacklo_epi8(t01, zero), fsLow, gsLow);
    __m256i topHigh = Lerp16(_mm256_unpackhi_epi8(t00, zero), _mm256_unpackhi_epi8(t01, zero), fsHigh, gsHigh);
    __m256i botLow = Lerp16(_mm256_unpacklo_epi8(t10, zero), _mm256_unpacklo_epi8(t11, zero), fsLow, gsLow);
    __m256i botHigh = Lerp16(_mm256_unpackhi_epi8(t10, zero), _mm256_unpackhi_epi8(t11, zero), fsHigh, gsHigh);
    __m256i low = _mm256_srli_epi16(_mm256_mullo_epi16(Lerp16(topLow, botLow, ftLow, gtLow), diffuse), 8);
    __m256i high = _mm256_srli_epi16(_mm256_mullo_epi16(Lerp16(topHigh, botHigh, ftHigh, gtHigh), diffuse), 8);
    __m256i colour = _mm256_adds_epu8(_mm256_packus_epi16(low, high), specular);
    std::uint16_t* target = span.target + i;
    if (span.additive) {
      colour = _mm256_adds_epu8(colour, Widen565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(target))));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), Narrow565(colour));
    s = _mm256_add_epi32(s, sStep);
    t = _mm256_add_epi32(t, tStep);
  }
  if (i < span.count) {
    // The last few pixels as a full step through a scratch copy.
    std::uint16_t scratch[8] = {};
    int rest = span.count - i;
    std::copy_n(span.target + i, rest, scratch);
    AffineSpan last = span;
    last.target = scratch;
    last.count = 8;
    last.s = sFirst;
    last.t = tFirst;
    last.liveBlocks = nullptr;
    ShadeAffineSpanAvx2(last);
    std::copy_n(scratch, rest, span.target + i);
  }
}

}  // namespace

void ShadeAffineSpanPortable(const AffineSpan& span) {
  std::uint32_t s = span.s, t = span.t;
  for (int i = 0; i < span.count; ++i, s += span.ds, t += span.dt) {
    std::uint32_t texel = SampleBilinear(*span.texture, static_cast<std::int32_t>(s), static_cast<std::int32_t>(t));
    std::uint32_t colour = AddSaturated(Modulate(texel, span.diffuse), span.specular);
    if (span.additive) colour = AddSaturated(WidenRgb565(span.target[i]), colour);
    span.target[i] = NarrowColour(colour);
  }
}

bool AffineSpanHasSimd() {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2;
}

void ShadeAffineSpan(const AffineSpan& span) {
  if (AffineSpanHasSimd()) {
    ShadeAffineSpanAvx2(span);
  } else {
    ShadeAffineSpanPortable(span);
  }
}
