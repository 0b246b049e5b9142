#include "platform/d3d/texture.h"

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
}
