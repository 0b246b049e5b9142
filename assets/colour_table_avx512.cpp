// The conversion's AVX-512 kernel (codec_kernels.h): ConvertPicture's pixels, sixteen at a time,
// computed by the colour table's own 32-bit float arithmetic instead of read from the table:
// the same operations in the same order give the same bits, and the 2 MB table then stays out of
// the caches the rest of the decoder works in.
#include <immintrin.h>

#include <cstring>

#include "assets/codec_kernels.h"

namespace {

using Words16 = std::int32_t __attribute__((vector_size(64)));
using Floats16 = float __attribute__((vector_size(64)));

__attribute__((target("avx512f"))) Floats16 Splat(float value) { return Floats16{} + value; }

// The clamped 8-bit channel of each lane: below 0 gives 0, above 255 gives 255, else the value
// truncated.
__attribute__((target("avx512f"))) Words16 Channel(Floats16 value) {
  const __m512 low = _mm512_maskz_max_ps(0xFFFF, reinterpret_cast<__m512>(value), _mm512_setzero_ps());
  const __m512 clamped = _mm512_maskz_min_ps(0xFFFF, low, _mm512_set1_ps(255.0f));
  return __builtin_convertvector(reinterpret_cast<Floats16>(clamped), Words16);
}

}  // namespace

// Sixteen pixels at a time: the (Y, Cr6, Cb6) of their table indices, then each entry's
// arithmetic. Returns the pixels of the row done.
__attribute__((target("avx512f,avx512bw"))) int ConvertRowAvx512(const std::uint8_t* source,
                                                                   std::uint16_t* row, int width) {
  int x = 0;
  for (; x + 16 <= width; x += 16, source += 64) {
    Words16 pixels;
    std::memcpy(&pixels, source, 64);
    // The table index is Y << 12 | byte 1 << 6 | byte 2, so a chroma byte's top two bits OR
    // into the field above its own.
    const Words16 y = (pixels & 255) | ((pixels >> 14) & 3);
    const Words16 cr6 = ((pixels >> 8) & 63) | ((pixels >> 22) & 3);
    const Words16 cb6 = (pixels >> 16) & 63;
    const Floats16 luma = __builtin_convertvector(y, Floats16);
    Floats16 cr = __builtin_convertvector(4 * cr6 - 128, Floats16);
    Floats16 cb = __builtin_convertvector(4 * cb6 - 128, Floats16);
    // Chroma damped towards grey above luma 248 and below 16: rare, so tested for first.
    const __mmask16 damped =
        _mm512_cmp_ps_mask(reinterpret_cast<__m512>(luma), _mm512_set1_ps(248.0f), _CMP_GT_OQ) |
        _mm512_cmp_ps_mask(reinterpret_cast<__m512>(luma), _mm512_set1_ps(16.0f), _CMP_LT_OQ);
    if (damped != 0) {
      const Floats16 brightT = luma - (248.0f - luma) * 0.01f;
      const Floats16 darkT = 16.0f - luma;
      const Floats16 t = luma > 248.0f ? brightT : luma < 16.0f ? darkT : Splat(1.0f);
      cr = luma > 248.0f || luma < 16.0f ? cr / t : cr;
      cb = luma > 248.0f || luma < 16.0f ? cb / t : cb;
    }
    const Floats16 l = (luma - 16.0f) * 1.164f;
    const Words16 r = Channel(l + cr * 1.596f);
    const Words16 g = Channel(l - cr * 0.813f - cb * 0.391f);
    const Words16 b = Channel(l + cb * 2.018f);
    const Words16 rgb = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x),
                        _mm512_maskz_cvtepi32_epi16(0xFFFF, reinterpret_cast<__m512i>(rgb)));
  }
  return x;
}
