// Windows BMP files as the program's bitmap resources hold them: uncompressed, bottom-up rows
// padded to four bytes, either 24 bits a pixel (blue, green, red) or 8 bits a pixel with a
// 256-entry palette. The reader takes back exactly what the writer makes (and reports anything
// else as a fault), so the tools can check and show the files they wrote.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace art {

// 8-bit RGB picture, three bytes a pixel, rows top to bottom.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// An 8-bit palette picture: one index a pixel, rows top to bottom.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;
  std::array<std::array<std::uint8_t, 3>, 256> palette{};  // r, g, b
};

std::vector<std::uint8_t> EncodeBmp24(const RgbImage& image);
std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& image);

// 8-bit RGBA picture, four bytes a pixel (alpha 255 opaque), rows top to bottom.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

// 32 bits a pixel with alpha (a version 4 info header with bit masks), as window icons are kept.
// Only for the icon: DecodeBmp takes the resource bitmaps' depths and refuses this one.
std::vector<std::uint8_t> EncodeBmp32(const RgbaImage& image);

struct DecodedBmp {
  int bitsPerPixel = 0;
  RgbImage picture;            // the colours, whatever the depth
  std::vector<std::uint8_t> indices;  // 8-bit files only
};

// False with a message naming the fault when the bytes are not such a BMP.
bool DecodeBmp(const std::vector<std::uint8_t>& file, DecodedBmp* out, std::string* fault);

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* fault);
bool ReadFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* fault);

}  // namespace art
