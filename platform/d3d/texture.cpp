#include "platform/d3d/texture.h"

#include <algorithm>

Texture::Texture(int width, int height)
    : width_(width),
      height_(height),
      powerOfTwo_((width & (width - 1)) == 0 && (height & (height - 1)) == 0),
      pixels_(static_cast<std::size_t>(width) * height, 0),
      widened_(static_cast<std::size_t>(width) * height, 0) {}

void Texture::Widen(int firstRow, int lastRow) {
  for (std::size_t i = static_cast<std::size_t>(firstRow) * width_,
                   end = static_cast<std::size_t>(lastRow) * width_;
       i < end; ++i) {
    widened_[i] = WidenRgb565(pixels_[i]);
  }
  blockMaximaStale_ = true;
}

const std::vector<std::uint32_t>& Texture::blockMaxima() const {
  if (!blockMaximaStale_) return blockMaxima_;
  int columns = width_ / 4;
  blockMaxima_.assign(static_cast<std::size_t>(columns) * (height_ / 4), 0);
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* blocks = blockMaxima_.data() + (y / 4) * columns;
    for (int x = 0; x < width_; ++x) {
      std::uint32_t t = widened_[static_cast<std::size_t>(y) * width_ + x], &m = blocks[x / 4];
      m = std::max(m & 0xFF0000, t & 0xFF0000) | std::max(m & 0xFF00, t & 0xFF00) | std::max(m & 0xFF, t & 0xFF);
    }
  }
  blockMaximaStale_ = false;
  return blockMaxima_;
}
