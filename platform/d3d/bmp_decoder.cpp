#include "platform/d3d/bmp_decoder.h"

#include <cstdlib>

#include "platform/d3d/texture.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::int64_t kMaxDimension = 16384;

std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

bool Fail(std::string& fault, const char* why) {
  fault = why;
  return false;
}

}  // namespace

bool DecodeBmp(const std::uint8_t* data, std::size_t size, BmpImage& image, std::string& fault) {
  if (!data || size < kFileHeaderSize + kInfoHeaderSize) return Fail(fault, "truncated header");
  if (data[0] != 'B' || data[1] != 'M') return Fail(fault, "not a BMP (no \"BM\" signature)");
  std::uint32_t pixelOffset = U32(data + 10);
  std::uint32_t infoSize = U32(data + 14);
  if (infoSize < kInfoHeaderSize || kFileHeaderSize + infoSize > size)
    return Fail(fault, "unsupported or truncated info header");
  std::int64_t width = static_cast<std::int32_t>(U32(data + 18));
  std::int64_t height = static_cast<std::int32_t>(U32(data + 22));
  std::uint16_t bits = U16(data + 28);
  std::uint32_t compression = U32(data + 30);
  std::uint32_t coloursUsed = U32(data + 46);
  if (compression != 0) return Fail(fault, "compressed BMPs are not supported");
  if (bits != 24 && bits != 8) return Fail(fault, "only 24-bit and 8-bit BMPs are supported");
  bool topDown = height < 0;
  height = std::llabs(height);
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension)
    return Fail(fault, "bad picture size");

  const std::uint8_t* palette = data + kFileHeaderSize + infoSize;
  std::uint32_t paletteCount = 0;
  if (bits == 8) {
    paletteCount = coloursUsed == 0 ? 256 : coloursUsed;
    if (paletteCount > 256) return Fail(fault, "palette larger than 256 entries");
    if (kFileHeaderSize + infoSize + 4ull * paletteCount > size) return Fail(fault, "truncated palette");
  }
  std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  if (pixelOffset > size || stride * height > size - pixelOffset)
    return Fail(fault, "truncated pixel data");

  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.assign(static_cast<std::size_t>(width * height), 0);
  image.colours.assign(static_cast<std::size_t>(width * height), 0);
  for (std::int64_t row = 0; row < height; ++row) {
    const std::uint8_t* source = data + pixelOffset + stride * (topDown ? row : height - 1 - row);
    std::uint16_t* target = image.pixels.data() + row * width;
    std::uint32_t* colours = image.colours.data() + row * width;
    for (std::int64_t x = 0; x < width; ++x) {
      const std::uint8_t* bgr = source + 3 * x;
      if (bits == 8) {
        if (source[x] >= paletteCount) return Fail(fault, "palette index out of range");
        bgr = palette + 4 * source[x];
      }
      target[x] = NarrowRgb888(bgr[2], bgr[1], bgr[0]);
      colours[x] = static_cast<std::uint32_t>(bgr[2]) << 16 | bgr[1] << 8 | bgr[0];
    }
  }
  return true;
}
