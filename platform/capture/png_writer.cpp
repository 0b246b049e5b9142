#include "platform/capture/png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace platform {

namespace {

std::uint8_t Widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

}  // namespace

bool WritePng(const std::string& path, const std::uint16_t* rgb565, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::fprintf(stderr, "%s: PNG encoding failed\n", path.c_str());
    return false;
  }
  png_init_io(png, file);
  // Fast settings: captures write thousands of frames.
  png_set_compression_level(png, 1);
  png_set_filter(png, 0, PNG_FILTER_SUB);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    const std::uint16_t* source = rgb565 + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[x * 3 + 0] = Widen5(source[x] >> 11);
      row[x * 3 + 1] = Widen6((source[x] >> 5) & 0x3F);
      row[x * 3 + 2] = Widen5(source[x] & 0x1F);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  const bool ok = std::fclose(file) == 0;
  if (!ok) std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
  return ok;
}

}  // namespace platform
