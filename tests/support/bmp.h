// Uncompressed BMP files built byte by byte, for the readers of bitmap resources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// An uncompressed BMP: 24-bit from colour(x, y) = 0xRRGGBB, or 8-bit with index(x, y) into a
// palette of paletteSize entries (entry i = colour(i, 0)). Top row first unless bottomUp.
inline std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, bool bottomUp,
                                  std::uint32_t (*colour)(int, int), int paletteSize = 0) {
  std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  std::size_t paletteBytes = bits == 8 ? 4 * paletteSize : 0;
  std::size_t offset = 14 + 40 + paletteBytes;
  std::vector<std::uint8_t> b(offset + stride * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(bottomUp ? height : -height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  Put32(b, 46, static_cast<std::uint32_t>(paletteSize));
  for (int i = 0; i < paletteSize; ++i) {
    std::uint32_t c = colour(i, 0);
    b[54 + 4 * i] = c & 0xFF;
    b[55 + 4 * i] = (c >> 8) & 0xFF;
    b[56 + 4 * i] = (c >> 16) & 0xFF;
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.data() + offset + stride * (bottomUp ? height - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      if (bits == 8) {
        row[x] = static_cast<std::uint8_t>((x + 2 * y) % paletteSize);
      } else {
        std::uint32_t c = colour(x, y);
        row[3 * x] = c & 0xFF;
        row[3 * x + 1] = (c >> 8) & 0xFF;
        row[3 * x + 2] = (c >> 16) & 0xFF;
      }
    }
  }
  return b;
}

}  // namespace testsupport
