#include "platform/d3d/texture.h"

#include <algorithm>
#include <cstring>

#include "platform/d3d/span_kernels.h"

Texture::Texture(int width, int height)
    : width_(width),
      height_(height),
      powerOfTwo_((width & (width - 1)) == 0 && (height & (height - 1)) == 0),
      pixels_(static_cast<std::size_t>(width) * height, 0),
      widened_(static_cast<std::size_t>(width) * height, 0) {}

void Texture::Widen(int firstRow, int lastRow) {
  const std::size_t first = static_cast<std::size_t>(firstRow) * width_, end = static_cast<std::size_t>(lastRow) * width_;
  std::size_t i = first;
  i += ActiveSpanKernels.widenTexels(pixels_.data() + first, widened_.data() + first, end - first);
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
      int i = ActiveSpanKernels.maxBytes(down.data(), rows + r * rowBytes, rowBytes);
      for (; i < rowBytes; ++i) down[i] = std::max(down[i], rows[r * rowBytes + i]);
    }
    std::uint32_t* blocks = blockMaxima_.data() + static_cast<std::size_t>(by) * columns;
    for (int bx = ActiveSpanKernels.blockPairMaxima(down.data(), columns, blocks); bx < columns; ++bx) {
      std::uint8_t block[4] = {};
      for (int k = 0; k < 16; ++k) block[k % 4] = std::max(block[k % 4], down[16 * bx + k]);
      std::memcpy(&blocks[bx], block, 4);
    }
  }
  blockMaximaStale_ = false;
  return blockMaxima_;
}
