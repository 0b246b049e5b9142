// BMP decoding for textures made from bitmap resources: uncompressed 24-bit, or 8-bit with a
// palette, bottom-up or top-down, into R5G6B5 rows (top row first) by truncation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct BmpImage {
  int width = 0, height = 0;
  std::vector<std::uint16_t> pixels;  // rows packed, top row first
  std::vector<std::uint32_t> colours; // the same as 0x00RRGGBB, all 8 bits kept (true colour)
};

// False with the fault in words ("truncated pixel data", ...) when the block is not such a BMP.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, BmpImage& image, std::string& fault);
