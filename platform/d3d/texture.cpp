#include "platform/d3d/texture.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "platform/d3d/bilinear_avx2.h"

namespace {

// The AVX2 loops below do what they can in whole vectors and return how far they got; the
// callers' scalar loops finish the rest.
__attribute__((target("avx2"))) std::size_t WidenAvx2(const std::uint16_t* pixels, std::uint32_t* widened,
                                                      std::size_t count) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(widened + i), Widen565(packed));
  }
  return i;
}

// into[i] = max(into[i], from[i]) for the bytes of whole 32-byte steps.
__attribute__((target("avx2"))) int MaxBytesAvx2(std::uint8_t* into, const std::uint8_t* from, int count) {
  int i = 0;
  for (; i + 32 <= count; i += 32) {
    auto* to = reinterpret_cast<__m256i*>(into + i);
    _mm256_storeu_si256(to, _mm256_max_epu8(_mm256_loadu_si256(to),
                                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i))));
  }
  return i;
}

// Byte-wise maxima over each block's four texels of `down`, two blocks a step.
__attribute__((target("avx2"))) int BlockPairMaximaAvx2(const std::uint8_t* down, int columns, std::uint32_t* blocks) {
  int bx = 0;
  for (; bx + 2 <= columns; bx += 2) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(down + 16 * bx));
    v = _mm256_max_epu8(v, _mm256_shuffle_epi32(v, 0xB1));
    v = _mm256_max_epu8(v, _mm256_shuffle_epi32(v, 0x4E));
    blocks[bx] = static_cast<std::uint32_t>(_mm256_extract_epi32(v, 0));
    blocks[bx + 1] = static_cast<std::uint32_t>(_mm256_extract_epi32(v, 4));
  }
  return bx;
}

}  // namespace

Texture::Texture(int width, int height)
    : width_(width),
      height_(height),
      powerOfTwo_((width & (width - 1)) == 0 && (height & (height - 1)) == 0),
      pixels_(static_cast<std::size_t>(width) * height, 0),
      widened_(static_cast<std::size_t>(width) * height, 0) {}

void Texture::Widen(int firstRow, int lastRow) {
  const std::size_t first = static_cast<std::size_t>(firstRow) * width_, end = static_cast<std::size_t>(lastRow) * width_;
  std::size_t i = first;
  if (HasAvx2()) i += WidenAvx2(pixels_.data() + first, widened_.data() + first, end - first);
  for (; i < end; ++i) widened_[i] = WidenRgb565(pixels_[i]);
  blockMaximaStale_ = true;
}

const std::vector<std::uint32_t>& Texture::blockMaxima() const {
  if (!blockMaximaStale_) return blockMaxima_;
  const int columns = width_ / 4, rowBytes = 4 * width_;
  blockMaxima_.resize(static_cast<std::size_t>(columns) * (height_ / 4));
  // Channel bytes one by one (the top byte is always 0): first down the block's four rows, then
  // across its four columns.
  std::vector<std::uint8_t> down(static_cast<std::size_t>(rowBytes));
  for (int by = 0; by < height_ / 4; ++by) {
    const auto* rows = reinterpret_cast<const std::uint8_t*>(widened_.data() + static_cast<std::size_t>(4 * by) * width_);
    std::copy_n(rows, rowBytes, down.begin());
    for (int r = 1; r < 4; ++r) {
      int i = HasAvx2() ? MaxBytesAvx2(down.data(), rows + r * rowBytes, rowBytes) : 0;
      for (; i < rowBytes; ++i) down[i] = std::max(down[i], rows[r * rowBytes + i]);
    }
    std::uint32_t* blocks = blockMaxima_.data() + static_cast<std::size_t>(by) * columns;
    for (int bx = HasAvx2() ? BlockPairMaximaAvx2(down.data(), columns, blocks) : 0; bx < columns; ++bx) {
      std::uint8_t block[4] = {};
      for (int k = 0; k < 16; ++k) block[k % 4] = std::max(block[k % 4], down[16 * bx + k]);
      std::memcpy(&blocks[bx], block, 4);
    }
  }
  blockMaximaStale_ = false;
  return blockMaxima_;
}
