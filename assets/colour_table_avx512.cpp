// The conversion's AVX-512 kernel (codec_kernels.h): ConvertPicture's table reads, sixteen
// pixels at a time.
#include <immintrin.h>

#include <cstring>

#include "assets/animation_codec.h"
#include "assets/codec_kernels.h"

// Sixteen pixels at a time: their indices in 32-bit lanes, one gather of the aligned entry pairs
// that hold their entries (never a read past the table's end), then the wanted halves. Returns
// the pixels of the row done.
__attribute__((target("avx512f,avx512bw"))) int ConvertRowAvx512(const std::uint8_t* source,
                                                                   std::uint16_t* row, int width) {
  using Words16 = std::uint32_t __attribute__((vector_size(64)));
  const auto* pairs = reinterpret_cast<const int*>(ColourTable);
  int x = 0;
  for (; x + 16 <= width; x += 16, source += 64) {
    Words16 pixels;
    std::memcpy(&pixels, source, 64);
    const Words16 index =
        ((pixels & 255) << 12) | (((pixels >> 8) & 255) << 6) | ((pixels >> 16) & 255);
    // The masked forms: the plain ones start from undefined registers, which the compiler warns of.
    const Words16 pair = reinterpret_cast<Words16>(_mm512_mask_i32gather_epi32(
        _mm512_setzero_si512(), 0xFFFF, reinterpret_cast<__m512i>(index >> 1), pairs, 4));
    const Words16 entry = pair >> ((index & 1) << 4);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x),
                        _mm512_maskz_cvtepi32_epi16(0xFFFF, reinterpret_cast<__m512i>(entry)));
  }
  return x;
}
