// The AVX-512 loops of screen quads (span_kernels.h): ShadeAffineSpanPortable sixteen pixels a
// step, leaving out steps that sample only dead blocks, into R5G6B5 or true-colour frames. The
// last step of a span is masked. Magnified steps read their texels from an 8 x 8 patch of the
// texture by permutes; the others load each pair of neighbouring texels at once, gathering only
// where a pair wraps.
#include <immintrin.h>

#include <algorithm>

#include "platform/d3d/affine_span.h"
#include "platform/d3d/avx512_target.h"
#include "platform/d3d/bilinear_avx2.h"
#include "platform/d3d/live_blocks.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/span_kernels.h"

namespace {

constexpr int kStep = 16;

struct Taps {
  __m512i t00, t01, t10, t11;  // top-left, top-right, bottom-left, bottom-right texels
};

AVX512_INLINE __m512i Wrap(__m512i i, int size, bool powerOfTwo) {
  if (powerOfTwo) return _mm512_and_si512(i, _mm512_set1_epi32(size - 1));
  const __m512i n = _mm512_set1_epi32(size);
  i = _mm512_mask_add_epi32(i, _mm512_cmplt_epi32_mask(i, _mm512_setzero_si512()), i, n);
  return _mm512_mask_sub_epi32(i, _mm512_cmpgt_epi32_mask(i, _mm512_set1_epi32(size - 1)), i, n);
}

AVX512_INLINE __m512i Join(__m256i low, __m256i high) {
  const __m512i base = _mm512_castsi256_si512(low);
  return _mm512_mask_inserti64x4(base, 0xFF, base, high, 1);
}

AVX512_INLINE __m512i TexelIndices(const TexelGrid& grid, __m512i x, __m512i y) {
  const __m512i row = grid.powerOfTwo ? _mm512_sllv_epi32(y, _mm512_set1_epi32(grid.rowShift))
                                      : _mm512_mullo_epi32(y, _mm512_set1_epi32(grid.width));
  return _mm512_add_epi32(row, x);
}

AVX512_INLINE __m512i Gather(const TexelGrid& grid, __m512i x, __m512i y) {
  // The masked form: the plain one starts from an undefined register, which the compiler warns of.
  return _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, TexelIndices(grid, x, y), grid.texels, 4);
}

AVX512_INLINE Taps GatherTaps(const TexelGrid& grid, __m512i s, __m512i t) {
  const __m512i one = _mm512_set1_epi32(1);
  const __m512i i = _mm512_srai_epi32(s, 16), j = _mm512_srai_epi32(t, 16);
  const __m512i x0 = Wrap(i, grid.width, grid.powerOfTwo), x1 = Wrap(_mm512_add_epi32(i, one), grid.width, grid.powerOfTwo);
  const __m512i y0 = Wrap(j, grid.height, grid.powerOfTwo), y1 = Wrap(_mm512_add_epi32(j, one), grid.height, grid.powerOfTwo);
  if (_mm512_cmpeq_epi32_mask(x0, _mm512_set1_epi32(grid.width - 1))) {
    return {Gather(grid, x0, y0), Gather(grid, x1, y0), Gather(grid, x0, y1), Gather(grid, x1, y1)};
  }
  // No pair wraps: each row's two texels are one 64-bit load, as in the eight-pixel loops.
  const __m512i top = TexelIndices(grid, x0, y0), bottom = TexelIndices(grid, x0, y1);
  __m256i left[4], right[4];
  GatherPairs8(grid.texels, _mm512_castsi512_si256(top), left[0], right[0]);
  GatherPairs8(grid.texels, _mm512_extracti64x4_epi64(top, 1), left[1], right[1]);
  GatherPairs8(grid.texels, _mm512_castsi512_si256(bottom), left[2], right[2]);
  GatherPairs8(grid.texels, _mm512_extracti64x4_epi64(bottom, 1), left[3], right[3]);
  return {Join(left[0], left[1]), Join(right[0], right[1]), Join(left[2], left[3]), Join(right[2], right[3])};
}

// The texels at patch indices (row x 8 + column) of an 8 x 8 patch held as four pairs of rows.
AVX512_INLINE __m512i Pick(const __m512i rows[4], __m512i at) {
  const __mmask16 lower = _mm512_test_epi32_mask(at, _mm512_set1_epi32(32));
  return _mm512_mask_blend_epi32(lower, _mm512_permutex2var_epi32(rows[0], at, rows[1]),
                                 _mm512_permutex2var_epi32(rows[2], at, rows[3]));
}

// The taps of a step whose positions run from (sFirst, tFirst) by (ds, dt) modulo 2^32 on a
// power-of-two texture: from an 8 x 8 patch when the step moves at most a texel a pixel and its
// texels lie within eight columns that do not wrap and eight rows, else gathered. With fewRows
// (FewRows of dt) the step's texels lie within three rows, so its taps within the patch's upper
// four.
AVX512_INLINE Taps FetchTaps(const TexelGrid& grid, __m512i s, __m512i t, std::uint32_t sFirst,
                             std::uint32_t tFirst, std::uint32_t ds, std::uint32_t dt, bool fewRows) {
  const auto small = [](std::uint32_t d) {
    return static_cast<std::int32_t>(d) >= -(1 << 16) && static_cast<std::int32_t>(d) <= (1 << 16);
  };
  if (!grid.powerOfTwo || grid.width < 8 || !small(ds) || !small(dt)) return GatherTaps(grid, s, t);
  const std::uint32_t last = kStep - 1;
  const std::int32_t iA = static_cast<std::int32_t>(sFirst) >> 16, iB = static_cast<std::int32_t>(sFirst + last * ds) >> 16;
  const std::int32_t jA = static_cast<std::int32_t>(tFirst) >> 16, jB = static_cast<std::int32_t>(tFirst + last * dt) >> 16;
  const std::int32_t iMin = std::min(iA, iB), jMin = std::min(jA, jB);
  const int column = iMin & (grid.width - 1);
  if (std::max(iA, iB) - iMin > 6 || std::max(jA, jB) - jMin > 6 || column + 8 > grid.width) {
    return GatherTaps(grid, s, t);
  }
  const __m512i index =
      _mm512_add_epi32(_mm512_slli_epi32(_mm512_sub_epi32(_mm512_srai_epi32(t, 16), _mm512_set1_epi32(jMin)), 3),
                       _mm512_sub_epi32(_mm512_srai_epi32(s, 16), _mm512_set1_epi32(iMin)));
  const __m512i right = _mm512_add_epi32(index, _mm512_set1_epi32(1));
  const __m512i below = _mm512_add_epi32(index, _mm512_set1_epi32(8));
  const __m512i belowRight = _mm512_add_epi32(index, _mm512_set1_epi32(9));
  // Rows one texture row apart unless the patch wraps past the last row.
  const int top = jMin & (grid.height - 1);
  const int* first = grid.texels + (top << grid.rowShift) + column;
  const auto row = [&](int k) {
    return reinterpret_cast<const __m256i*>(top + 8 <= grid.height ? first + (k << grid.rowShift)
                                                                   : grid.texels + (((top + k) & (grid.height - 1)) << grid.rowShift) + column);
  };
  const __m512i upper[2] = {Join(_mm256_loadu_si256(row(0)), _mm256_loadu_si256(row(1))),
                            Join(_mm256_loadu_si256(row(2)), _mm256_loadu_si256(row(3)))};
  if (fewRows) {
    // Every tap within the upper four rows: one permute a tap.
    return {_mm512_permutex2var_epi32(upper[0], index, upper[1]), _mm512_permutex2var_epi32(upper[0], right, upper[1]),
            _mm512_permutex2var_epi32(upper[0], below, upper[1]),
            _mm512_permutex2var_epi32(upper[0], belowRight, upper[1])};
  }
  // Unrolled, so that the patch stays in registers.
  const __m512i rows[4] = {upper[0], upper[1], Join(_mm256_loadu_si256(row(4)), _mm256_loadu_si256(row(5))),
                           Join(_mm256_loadu_si256(row(6)), _mm256_loadu_si256(row(7)))};  // rows 2k, 2k + 1
  return {Pick(rows, index), Pick(rows, right), Pick(rows, below), Pick(rows, belowRight)};
}

// True when a step's sixteen positions, dt apart, span less than two texel rows: the rows they
// fall in are at most three.
bool FewRows(std::uint32_t dt) {
  const std::int64_t d = static_cast<std::int32_t>(dt);
  return (kStep - 1) * (d < 0 ? -d : d) < (std::int64_t{2} << 16);
}

AVX512_INLINE __m512i Lerp16(__m512i a, __m512i b, __m512i f, __m512i g) {
  return _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(a, g), _mm512_mullo_epi16(b, f)), 8);
}

// The bilinear lerp of four taps, across by (fs, gs) and down by (ft, gt).
AVX512_INLINE __m512i Lerp2d(__m512i fs, __m512i gs, __m512i ft, __m512i gt, __m512i t00, __m512i t01, __m512i t10,
                             __m512i t11) {
  return Lerp16(Lerp16(t00, t01, fs, gs), Lerp16(t10, t11, fs, gs), ft, gt);
}

// Bilinear samples as two 16-bit lanes a pixel: blue and red (bytes 0 and 2 of the texels), and
// green and alpha (bytes 1 and 3); the weights are each position's fraction in both halves.
AVX512_INLINE void Blend(const Taps& taps, __m512i s, __m512i t, __m512i& blueRed, __m512i& greenAlpha) {
  const __m512i pick =
      _mm512_broadcast_i32x4(_mm_setr_epi8(1, -128, 1, -128, 5, -128, 5, -128, 9, -128, 9, -128, 13, -128, 13, -128));
  const __m512i full = _mm512_set1_epi16(256), even = _mm512_set1_epi32(0x00FF00FF);
  const __m512i fs = _mm512_shuffle_epi8(s, pick), ft = _mm512_shuffle_epi8(t, pick);
  const __m512i gs = _mm512_sub_epi16(full, fs), gt = _mm512_sub_epi16(full, ft);
  blueRed = Lerp2d(fs, gs, ft, gt, _mm512_and_si512(taps.t00, even), _mm512_and_si512(taps.t01, even),
                   _mm512_and_si512(taps.t10, even), _mm512_and_si512(taps.t11, even));
  greenAlpha = Lerp2d(fs, gs, ft, gt, _mm512_srli_epi16(taps.t00, 8), _mm512_srli_epi16(taps.t01, 8),
                      _mm512_srli_epi16(taps.t10, 8), _mm512_srli_epi16(taps.t11, 8));
}

// Lanes whose nearest texel is within the source key: one of the taps, the right one from half
// a texel on, the lower likewise.
AVX512_INLINE __mmask16 Keyed(const TexelGrid& grid, const Taps& taps, __m512i s, __m512i t) {
  const __m512i half = _mm512_set1_epi32(0x8000);
  const __mmask16 right = _mm512_test_epi32_mask(s, half), lower = _mm512_test_epi32_mask(t, half);
  const __m512i c = _mm512_mask_blend_epi32(lower, _mm512_mask_blend_epi32(right, taps.t00, taps.t01),
                                            _mm512_mask_blend_epi32(right, taps.t10, taps.t11));
  const __m512i value = _mm512_or_si512(
      _mm512_or_si512(_mm512_and_si512(_mm512_srli_epi32(c, 8), _mm512_set1_epi32(0xF800)),
                      _mm512_and_si512(_mm512_srli_epi32(c, 5), _mm512_set1_epi32(0x07E0))),
      _mm512_and_si512(_mm512_srli_epi32(c, 3), _mm512_set1_epi32(0x001F)));
  return _mm512_cmpge_epi32_mask(value, _mm512_set1_epi32(grid.keyLow)) &
         _mm512_cmple_epi32_mask(value, _mm512_set1_epi32(grid.keyHigh));
}

// As the AVX2 forms in bilinear_avx2.h: each pixel in both halves of its lane, one high multiply
// widening blue and red and one green.
AVX512_INLINE __m512i Widen565(__m256i pixels) {
  const __m512i twice = _mm512_permutexvar_epi16(
      _mm512_setr_epi32(0, 0x10001, 0x20002, 0x30003, 0x40004, 0x50005, 0x60006, 0x70007, 0x80008, 0x90009, 0xA000A,
                        0xB000B, 0xC000C, 0xD000D, 0xE000E, 0xF000F),
      _mm512_castsi256_si512(pixels));
  const __m512i topped =
      _mm512_and_si512(_mm512_sllv_epi16(twice, _mm512_set1_epi32(11)), _mm512_set1_epi32(0xF800F800));
  const __m512i redBlue = _mm512_mulhi_epu16(topped, _mm512_set1_epi16(264));
  const __m512i green =
      _mm512_mulhi_epu16(_mm512_and_si512(twice, _mm512_set1_epi32(0x07E0)), _mm512_set1_epi16(8320));
  return _mm512_or_si512(redBlue, _mm512_slli_epi32(green, 8));
}

AVX512_INLINE __m256i Narrow565(__m512i c) {
  const __m512i kept = _mm512_and_si512(c, _mm512_set1_epi32(0x00F8FCF8));
  const __m512i eight = _mm512_madd_epi16(_mm512_maddubs_epi16(kept, _mm512_set1_epi32(0x00014001)),
                                          _mm512_set1_epi32(0x08000001));
  return _mm512_cvtepi32_epi16(_mm512_srli_epi32(eight, 3));
}

// Positions of a span's first sixteen pixels: by multiplies modulo 2^32, or stepped one by one
// where they are kept below a modulus.
AVX512_INLINE __m512i FirstLanes(std::uint32_t first, std::uint32_t d, std::uint32_t modulus) {
  if (!modulus) {
    const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(first)),
                            _mm512_mullo_epi32(lane, _mm512_set1_epi32(static_cast<int>(d))));
  }
  alignas(64) std::uint32_t lanes[kStep];
  lanes[0] = first;
  for (int k = 1; k < kStep; ++k) lanes[k] = Advance(lanes[k - 1], d, modulus);
  return _mm512_load_si512(lanes);
}

AVX512_INLINE __m512i StepLanes(__m512i s, __m512i step, std::uint32_t modulus) {
  s = _mm512_add_epi32(s, step);
  if (!modulus) return s;
  const __m512i n = _mm512_set1_epi32(static_cast<int>(modulus));
  return _mm512_mask_sub_epi32(s, _mm512_cmpgt_epu32_mask(s, _mm512_set1_epi32(static_cast<int>(modulus - 1))), s, n);
}

template <class Pixel>
AVX512 void ShadeSpan(const BasicAffineSpan<Pixel>& span) {
  constexpr bool trueColour = sizeof(Pixel) == 4;
  const TexelGrid grid(*span.texture);  // held in locals: stores may alias anything
  const bool additive = span.additive, colourKey = span.colourKey;
  Pixel* const targets = span.target;
  const int count = span.count;
  const std::uint32_t d = span.diffuse;
  // Factors (channel + 1) of blue and red, then green and (none, so 0) alpha.
  const __m512i blueRedFactors = _mm512_set1_epi32(static_cast<int>(((d & 0xFF) + 1) | (((d >> 16) & 0xFF) + 1) << 16));
  const __m512i greenAlphaFactors = _mm512_set1_epi32(static_cast<int>(((d >> 8) & 0xFF) + 1));
  const __m512i specular = _mm512_set1_epi32(static_cast<int>(span.specular));
  const std::uint32_t sModulus = TexelModulus(grid.width, grid.powerOfTwo);
  const std::uint32_t tModulus = TexelModulus(grid.height, grid.powerOfTwo);
  __m512i s = FirstLanes(span.s, span.ds, sModulus), t = FirstLanes(span.t, span.dt, tModulus);
  const std::uint32_t sStep = AdvanceBy(span.ds, kStep, sModulus), tStep = AdvanceBy(span.dt, kStep, tModulus);
  const __m512i sSteps = _mm512_set1_epi32(static_cast<int>(sStep)), tSteps = _mm512_set1_epi32(static_cast<int>(tStep));
  std::uint32_t sFirst = span.s, tFirst = span.t;
  DeadSteps dead(span.liveBlocks, *span.texture, span.ds, span.dt, kStep);
  const bool testDead = dead.testing();
  int skippedSteps = 0;
  const bool fewRows = FewRows(span.dt);
  for (int i = 0; i < count; i += kStep, sFirst = Advance(sFirst, sStep, sModulus), tFirst = Advance(tFirst, tStep, tModulus),
           s = StepLanes(s, sSteps, sModulus), t = StepLanes(t, tSteps, tModulus)) {
    const int pixels = std::min(kStep, count - i);
    if (const int skip = testDead ? dead.Skip(sFirst, tFirst, count - i) : 0) {
      // The loop's own step takes the last; live blocks come with power-of-two textures only.
      const std::uint32_t more = static_cast<std::uint32_t>(skip - 1);
      skippedSteps += skip;
      i += (skip - 1) * kStep;
      sFirst += more * sStep;
      tFirst += more * tStep;
      s = _mm512_add_epi32(s, _mm512_set1_epi32(static_cast<int>(more * sStep)));
      t = _mm512_add_epi32(t, _mm512_set1_epi32(static_cast<int>(more * tStep)));
      continue;
    }
    __mmask16 write = static_cast<__mmask16>((1u << pixels) - 1);
    const Taps taps = FetchTaps(grid, s, t, sFirst, tFirst, span.ds, span.dt, fewRows);
    if (colourKey) write &= static_cast<__mmask16>(~Keyed(grid, taps, s, t));
    if (!write) continue;
    __m512i blueRed, greenAlpha;
    Blend(taps, s, t, blueRed, greenAlpha);
    const __m512i modulated = _mm512_or_si512(_mm512_srli_epi16(_mm512_mullo_epi16(blueRed, blueRedFactors), 8),
                                              _mm512_and_si512(_mm512_mullo_epi16(greenAlpha, greenAlphaFactors),
                                                               _mm512_set1_epi32(0xFF00FF00)));
    __m512i colour = _mm512_adds_epu8(modulated, specular);
    Pixel* target = targets + i;
    if constexpr (trueColour) {
      if (additive) colour = _mm512_adds_epu8(colour, _mm512_maskz_loadu_epi32(write, target));
      _mm512_mask_storeu_epi32(target, write, colour);
    } else {
      if (additive) colour = _mm512_adds_epu8(colour, Widen565(_mm256_maskz_loadu_epi16(write, target)));
      _mm256_mask_storeu_epi16(target, write, Narrow565(colour));
    }
  }
  if (testDead) dead.Count((count + kStep - 1) / kStep, skippedSteps);
}

}  // namespace

void ShadeAffineSpanAvx512(const AffineSpan& span) { ShadeSpan(span); }
void ShadeAffineSpanAvx512(const TrueColourAffineSpan& span) { ShadeSpan(span); }

bool ProcessorHasAvx512() {
  __builtin_cpu_init();  // may run before the compiler's own start-up check
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
         __builtin_cpu_supports("avx512bw");
}
