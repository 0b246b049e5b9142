#include "platform/capture/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

namespace {

std::uint8_t Widen5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Widen6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

// Where libpng's writes go; the first failing write keeps its cause.
struct Output {
  std::FILE* file = nullptr;
  int cause = 0;
  std::string libraryFault;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<Output*>(png_get_io_ptr(png));
  errno = 0;
  if (std::fwrite(data, 1, size, out->file) != size) {
    out->cause = errno ? errno : EIO;
    png_error(png, "write failed");
  }
}

void FlushBytes(png_structp png) {
  auto* out = static_cast<Output*>(png_get_io_ptr(png));
  if (std::fflush(out->file) != 0) {
    out->cause = errno ? errno : EIO;
    png_error(png, "write failed");
  }
}

// libpng's own faults are kept instead of printed.
void Fault(png_structp png, png_const_charp message) {
  auto* out = static_cast<Output*>(png_get_error_ptr(png));
  out->libraryFault = message;
  png_longjmp(png, 1);
}

void Warning(png_structp, png_const_charp) {}

// One picture row as 8-bit RGB.
void RowOf(const std::uint16_t* source, int width, std::uint8_t* row) {
  for (int x = 0; x < width; ++x) {
    row[x * 3 + 0] = Widen5(source[x] >> 11);
    row[x * 3 + 1] = Widen6((source[x] >> 5) & 0x3F);
    row[x * 3 + 2] = Widen5(source[x] & 0x1F);
  }
}

void RowOf(const std::uint32_t* source, int width, std::uint8_t* row) {
  for (int x = 0; x < width; ++x) {
    row[x * 3 + 0] = static_cast<std::uint8_t>(source[x] >> 16);
    row[x * 3 + 1] = static_cast<std::uint8_t>(source[x] >> 8);
    row[x * 3 + 2] = static_cast<std::uint8_t>(source[x]);
  }
}

template <class Pixel>
bool WritePicture(const std::string& path, const Pixel* pixels, int width, int height, std::string* fault) {
  Output out;
  out.file = std::fopen(path.c_str(), "wb");
  if (!out.file) {
    *fault = path + ": cannot be written (" + std::strerror(errno) + ")";
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, Fault, Warning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out.file);
    *fault = path + ": cannot be written (" +
             (out.cause ? std::strerror(out.cause) : out.libraryFault.empty() ? "out of memory" : out.libraryFault) +
             ")";
    return false;
  }
  png_set_write_fn(png, &out, WriteBytes, FlushBytes);
  // Fast settings: captures write thousands of frames.
  png_set_compression_level(png, 1);
  png_set_filter(png, 0, PNG_FILTER_SUB);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    RowOf(pixels + static_cast<std::size_t>(y) * width, width, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  errno = 0;
  if (std::fclose(out.file) != 0) {
    *fault = path + ": cannot be written (" + std::strerror(errno ? errno : EIO) + ")";
    return false;
  }
  return true;
}

}  // namespace

bool WritePng(const std::string& path, const std::uint16_t* rgb565, int width, int height, std::string* fault) {
  return WritePicture(path, rgb565, width, height, fault);
}

bool WritePng(const std::string& path, const std::uint32_t* xrgb, int width, int height, std::string* fault) {
  return WritePicture(path, xrgb, width, height, fault);
}

bool WritePng(const std::string& path, const std::uint16_t* rgb565, int width, int height) {
  std::string fault;
  const bool ok = WritePng(path, rgb565, width, height, &fault);
  if (!ok) std::fprintf(stderr, "%s\n", fault.c_str());
  return ok;
}

}  // namespace platform
