#include "platform/d3d/texture.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/d3d/span_kernels.h"

namespace {

bool PowersOfTwo(int width, int height) { return (width & (width - 1)) == 0 && (height & (height - 1)) == 0; }

std::atomic<std::uint64_t> NextGeneration{1};

}  // namespace

void Texture::Changed() {
  generation_ = NextGeneration.fetch_add(1, std::memory_order_relaxed);
  blockMaximaStale_ = true;
}

Texture::Texture(int width, int height, int maxScale, bool trueColour)
    : logicalWidth_(width),
      logicalHeight_(height),
      maxScale_(maxScale),
      trueColour_(trueColour),
      width_(width),
      height_(height),
      powerOfTwo_(PowersOfTwo(width, height)),
      pixels_(static_cast<std::size_t>(width) * height * maxScale * maxScale, 0),
      widened_(static_cast<std::size_t>(width) * height * maxScale * maxScale, 0),
      generation_(NextGeneration.fetch_add(1, std::memory_order_relaxed)) {}

void Texture::SetScale(int scale) {
  if (scale == scale_ || scale < 1 || scale > maxScale_) return;
  const int oldWidth = width_, oldHeight = height_, oldScale = scale_;
  const std::vector<std::uint16_t> oldPixels(pixels_.begin(), pixels_.begin() + std::ptrdiff_t{oldWidth} * oldHeight);
  const std::vector<std::uint32_t> oldWidened(widened_.begin(), widened_.begin() + std::ptrdiff_t{oldWidth} * oldHeight);
  scale_ = scale;
  width_ = logicalWidth_ * scale;
  height_ = logicalHeight_ * scale;
  powerOfTwo_ = PowersOfTwo(width_, height_);
  for (int y = 0; y < height_; ++y) {
    const std::size_t from = static_cast<std::size_t>(y * oldScale / scale) * oldWidth;
    for (int x = 0; x < width_; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width_ + x, j = from + x * oldScale / scale;
      pixels_[i] = oldPixels[j];
      widened_[i] = oldWidened[j];
    }
  }
  Changed();
}

void Texture::Narrow(int firstRow, int lastRow) {
  const std::size_t end = static_cast<std::size_t>(lastRow) * width_;
  for (std::size_t i = static_cast<std::size_t>(firstRow) * width_; i < end; ++i) {
    const std::uint32_t c = widened_[i];
    pixels_[i] = NarrowRgb888((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
  }
  Changed();
}

void Texture::Widen(int firstRow, int lastRow) {
  const std::size_t first = static_cast<std::size_t>(firstRow) * width_, end = static_cast<std::size_t>(lastRow) * width_;
  std::size_t i = first;
  i += ActiveSpanKernels.widenTexels(pixels_.data() + first, widened_.data() + first, end - first);
  for (; i < end; ++i) widened_[i] = WidenRgb565(pixels_[i]);
  Changed();
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
