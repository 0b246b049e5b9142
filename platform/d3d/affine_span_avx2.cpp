// The AVX2 loops of screen quads (span_kernels.h): ShadeAffineSpanPortable eight pixels a step,
// leaving out steps that sample only dead blocks, into R5G6B5 or true-colour frames.
#include <immintrin.h>

#include <algorithm>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/bilinear_avx2.h"
#include "platform/d3d/live_blocks.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

// Positions of a span's first eight pixels: by multiplies modulo 2^32, or stepped one by one where
// they are kept below a modulus.
__attribute__((target("avx2"))) inline __m256i FirstLanes(std::uint32_t first, std::uint32_t d, std::uint32_t modulus) {
  if (!modulus) {
    return _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(first)),
                            _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
                                               _mm256_set1_epi32(static_cast<int>(d))));
  }
  alignas(32) std::uint32_t lanes[8];
  lanes[0] = first;
  for (int k = 1; k < 8; ++k) lanes[k] = Advance(lanes[k - 1], d, modulus);
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
}

__attribute__((target("avx2"))) inline __m256i StepLanes(__m256i s, __m256i step, std::uint32_t modulus) {
  s = _mm256_add_epi32(s, step);
  if (!modulus) return s;
  __m256i over = _mm256_cmpgt_epi32(s, _mm256_set1_epi32(static_cast<int>(modulus - 1)));
  return _mm256_sub_epi32(s, _mm256_and_si256(over, _mm256_set1_epi32(static_cast<int>(modulus))));
}

template <class Pixel>
__attribute__((target("avx2"))) void ShadeSpan(const BasicAffineSpan<Pixel>& span) {
  constexpr bool trueColour = sizeof(Pixel) == 4;
  // Everything the loop reads is held in locals (see TexelGrid).
  const TexelGrid grid(*span.texture);
  const bool additive = span.additive, colourKey = span.colourKey;
  Pixel* const targets = span.target;
  const int count = span.count;
  const std::uint32_t d = span.diffuse;
  // Factors (channel + 1) of blue and red, then green and (none, so 0) alpha.
  const __m256i blueRedFactors = _mm256_set1_epi32(static_cast<int>(((d & 0xFF) + 1) | (((d >> 16) & 0xFF) + 1) << 16));
  const __m256i greenAlphaFactors = _mm256_set1_epi32(static_cast<int>(((d >> 8) & 0xFF) + 1));
  const __m256i specular = _mm256_set1_epi32(static_cast<int>(span.specular));
  const std::uint32_t sModulus = TexelModulus(grid.width, grid.powerOfTwo);
  const std::uint32_t tModulus = TexelModulus(grid.height, grid.powerOfTwo);
  __m256i s = FirstLanes(span.s, span.ds, sModulus), t = FirstLanes(span.t, span.dt, tModulus);
  const std::uint32_t sEight = AdvanceBy(span.ds, 8, sModulus), tEight = AdvanceBy(span.dt, 8, tModulus);
  const __m256i sStep = _mm256_set1_epi32(static_cast<int>(sEight));
  const __m256i tStep = _mm256_set1_epi32(static_cast<int>(tEight));
  int i = 0;
  std::uint32_t sFirst = span.s, tFirst = span.t;
  DeadSteps dead(span.liveBlocks, *span.texture, span.ds, span.dt, 8);
  const bool skipDead = dead.testing();
  int skippedSteps = 0;
  for (; i + 8 <= count; i += 8, sFirst = Advance(sFirst, sEight, sModulus), tFirst = Advance(tFirst, tEight, tModulus),
                          s = StepLanes(s, sStep, sModulus), t = StepLanes(t, tStep, tModulus)) {
    if (const int skip = skipDead ? dead.Skip(sFirst, tFirst, count - i) : 0) {
      // The loop's own step takes the last; live blocks come with power-of-two textures only.
      const std::uint32_t more = static_cast<std::uint32_t>(skip - 1);
      skippedSteps += skip;
      i += (skip - 1) * 8;
      sFirst += more * sEight;
      tFirst += more * tEight;
      s = _mm256_add_epi32(s, _mm256_set1_epi32(static_cast<int>(more * sEight)));
      t = _mm256_add_epi32(t, _mm256_set1_epi32(static_cast<int>(more * tEight)));
      continue;
    }
    const Taps8 taps = FetchTaps8(grid, s, t);
    __m256i keyed = colourKey ? KeyedTaps8(grid, taps, s, t) : _mm256_setzero_si256();
    if (colourKey && _mm256_movemask_epi8(keyed) == -1) continue;
    __m256i blueRed, greenAlpha;
    BlendTaps8(taps, s, t, blueRed, greenAlpha);
    __m256i colour = _mm256_adds_epu8(Modulate8(blueRed, greenAlpha, blueRedFactors, greenAlphaFactors), specular);
    Pixel* target = targets + i;
    if constexpr (trueColour) {
      __m256i existing = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(target));
      if (additive) colour = _mm256_adds_epu8(colour, existing);
      if (colourKey) colour = _mm256_blendv_epi8(colour, existing, keyed);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), colour);
    } else {
      __m128i existing = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target));
      if (additive) colour = _mm256_adds_epu8(colour, Widen565(existing));
      __m128i out = Narrow565(colour);
      if (colourKey) {
        __m256i keyed16 = _mm256_permute4x64_epi64(_mm256_packs_epi32(keyed, _mm256_setzero_si256()), 0x08);
        out = _mm_blendv_epi8(out, existing, _mm256_castsi256_si128(keyed16));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(target), out);
    }
  }
  if (skipDead) dead.Count(count / 8, skippedSteps);
  if (i < span.count) {
    // The last few pixels as a full step through a scratch copy.
    Pixel scratch[8] = {};
    int rest = span.count - i;
    std::copy_n(span.target + i, rest, scratch);
    BasicAffineSpan<Pixel> last = span;
    last.target = scratch;
    last.count = 8;
    last.s = sFirst;
    last.t = tFirst;
    last.liveBlocks = nullptr;
    ShadeSpan(last);
    std::copy_n(scratch, rest, span.target + i);
  }
}

}  // namespace

void ShadeAffineSpanAvx2(const AffineSpan& span) { ShadeSpan(span); }
void ShadeAffineSpanAvx2(const TrueColourAffineSpan& span) { ShadeSpan(span); }

bool ProcessorHasAvx2() {
  __builtin_cpu_init();  // may run before the compiler's own start-up check
  return __builtin_cpu_supports("avx2");
}
