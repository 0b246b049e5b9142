// The reconstruction's AVX-512 kernels (codec_kernels.h): the plain loops of
// frame_reconstruction.cpp, 32 or 16 pixels a step with byte permutes in 64-byte vectors.
#include <immintrin.h>

#include "assets/codec_kernels.h"

namespace {

// Bytes index[0..31] of row, signed, times factor, in 16-bit lanes.
__attribute__((target("avx512bw,avx512vbmi"))) __m512i PickSamples(__m512i index, __m512i row,
                                                                    __m512i factor) {
  // The masked forms: the plain ones start from undefined registers, which the compiler warns of.
  const __m256i picked =
      _mm512_maskz_extracti64x4_epi64(0xF, _mm512_maskz_permutexvar_epi8(~0ull, index, row), 0);
  return _mm512_mullo_epi16(_mm512_cvtepi8_epi16(picked), factor);
}

// One row of the horizontal pass, 32 pixels at a time in 16-bit lanes: each lane picks its
// block's two samples with a byte permute.
template <int Shift>
__attribute__((target("avx512bw,avx512vbmi"))) int InterpolateRow(const std::uint8_t* samples,
                                                                     int width, int columns,
                                                                     int scale, std::uint8_t* out) {
  alignas(64) std::uint8_t left[64], right[64];
  alignas(64) std::int16_t position[32];
  for (int lane = 0; lane < 64; ++lane) {
    left[lane] = static_cast<std::uint8_t>((lane & 31) >> Shift);
    right[lane] = static_cast<std::uint8_t>(left[lane] + 1);
  }
  for (int lane = 0; lane < 32; ++lane) position[lane] = static_cast<std::int16_t>(lane & ((1 << Shift) - 1));
  const __m512i leftIndex = _mm512_load_si512(left), rightIndex = _mm512_load_si512(right);
  const __m512i k = _mm512_load_si512(position), factor = _mm512_set1_epi16(static_cast<short>(scale));
  const __m128i shift = _mm_cvtsi32_si128(Shift);
  int x = 0;
  for (; x + 32 <= width; x += 32) {
    const int first = x >> Shift, available = columns + 1 - first;  // samples left in the row
    const __mmask64 inRow = available >= 64 ? ~0ull : (1ull << available) - 1;
    const __m512i row = _mm512_maskz_loadu_epi8(inRow, samples + first);
    const __m512i a = PickSamples(leftIndex, row, factor), b = PickSamples(rightIndex, row, factor);
    const __m512i value =
        _mm512_add_epi16(a, _mm512_sra_epi16(_mm512_mullo_epi16(k, _mm512_sub_epi16(b, a)), shift));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), _mm512_maskz_cvtepi16_epi8(~0u, value));
  }
  return x;
}

// 32 scratch bytes in 16-bit lanes.
template <bool SignedSamples>
__attribute__((target("avx512bw"))) __m512i WidenSamples(const std::uint8_t* bytes) {
  const __m256i samples = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
  return SignedSamples ? _mm512_cvtepi8_epi16(samples) : _mm512_cvtepu8_epi16(samples);
}

// The vertical pass's runs of one block row, 32 columns at a time in 16-bit lanes.
template <bool SignedSamples>
__attribute__((target("avx512bw,avx512vbmi"))) int InterpolateColumns(
    const std::uint8_t* top, const std::uint8_t* bottom, int width, int blockHeight, int shift,
    bool vertical, std::uint8_t* rows) {
  const __m128i count = _mm_cvtsi32_si128(shift);
  int x = 0;
  for (; x + 32 <= width; x += 32) {
    const __m512i a = WidenSamples<SignedSamples>(top + x);
    const __m512i step = vertical ? _mm512_sub_epi16(WidenSamples<SignedSamples>(bottom + x), a)
                                  : _mm512_setzero_si512();
    __m512i accumulator = _mm512_sll_epi16(a, count);
    for (int k = 0; k < blockHeight; ++k, accumulator = _mm512_add_epi16(accumulator, step)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(rows + k * width + x),
                          _mm512_maskz_cvtepi16_epi8(~0u, _mm512_sra_epi16(accumulator, count)));
    }
  }
  return x;
}

}  // namespace

bool ProcessorHasAvx512Bw() {
  __builtin_cpu_init();  // may run before the compiler's own start-up check
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}

bool ProcessorHasAvx512Permutes() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
}

int (*const InterpolateRowAvx512[5])(const std::uint8_t*, int, int, int, std::uint8_t*) = {
    InterpolateRow<0>, InterpolateRow<1>, InterpolateRow<2>, InterpolateRow<3>, InterpolateRow<4>};

int (*const InterpolateColumnsAvx512[2])(const std::uint8_t*, const std::uint8_t*, int, int, int,
                                         bool, std::uint8_t*) = {InterpolateColumns<false>,
                                                                 InterpolateColumns<true>};

// Sixteen pixels at a time with one byte permute and a masked store that leaves byte 3 alone.
__attribute__((target("avx512bw,avx512vbmi"))) int InterleavePixelsAvx512(
    const std::uint8_t* luma, const std::uint8_t* cr, const std::uint8_t* cb, int pixels,
    std::uint8_t* picture) {
  alignas(64) std::uint8_t order[64];
  for (int k = 0; k < 64; ++k) order[k] = static_cast<std::uint8_t>(16 * (k % 4) + k / 4);
  const __m512i permute = _mm512_load_si512(order);
  int p = 0;
  for (; p + 16 <= pixels; p += 16) {
    __m512i planes = _mm512_castsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + p)));
    planes = _mm512_inserti32x4(planes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + p)), 1);
    planes = _mm512_inserti32x4(planes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + p)), 2);
    _mm512_mask_storeu_epi8(picture + 4 * p, 0x7777777777777777ull,
                            _mm512_maskz_permutexvar_epi8(~0ull, permute, planes));
  }
  return p;
}
