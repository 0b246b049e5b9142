#include "tools/art/bmp.h"

#include <cstdio>
#include <cstring>

namespace art {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t Get32(const std::vector<std::uint8_t>& in, size_t at) {
  return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8 |
         static_cast<std::uint32_t>(in[at + 2]) << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}
unsigned Get16(const std::vector<std::uint8_t>& in, size_t at) { return in[at] | in[at + 1] << 8; }

int RowStride(int width, int bytesPerPixel) { return (width * bytesPerPixel + 3) & ~3; }

std::vector<std::uint8_t> Headers(int width, int height, int bits, int paletteEntries) {
  int stride = RowStride(width, bits / 8);
  std::uint32_t dataOffset = kFileHeaderSize + kInfoHeaderSize + 4 * paletteEntries;
  std::uint32_t dataSize = static_cast<std::uint32_t>(stride) * height;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, dataOffset + dataSize);
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, dataSize);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, static_cast<std::uint32_t>(paletteEntries));
  Put32(out, 0);
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp32(const RgbaImage& image) {
  constexpr std::uint32_t kV4HeaderSize = 108;
  const std::uint32_t dataOffset = kFileHeaderSize + kV4HeaderSize;
  const std::uint32_t dataSize = 4u * static_cast<std::uint32_t>(image.width) * static_cast<std::uint32_t>(image.height);
  std::vector<std::uint8_t> out = {'B', 'M'};
  Put32(out, dataOffset + dataSize);
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, kV4HeaderSize);
  Put32(out, static_cast<std::uint32_t>(image.width));
  Put32(out, static_cast<std::uint32_t>(image.height));  // bottom-up rows
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 3);  // BI_BITFIELDS
  Put32(out, dataSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(out, mask);
  Put32(out, 0x73524742);              // 'sRGB'
  out.insert(out.end(), 36 + 12, 0);  // end points and gammas, unused with sRGB
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = &image.rgba[4 * (static_cast<size_t>(y) * image.width + x)];
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeBmp24(const RgbImage& image) {
  std::vector<std::uint8_t> out = Headers(image.width, image.height, 24, 0);
  int pad = RowStride(image.width, 3) - image.width * 3;
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint8_t* row = &image.rgb[static_cast<size_t>(y) * image.width * 3];
    for (int x = 0; x < image.width; ++x) {
      out.push_back(row[3 * x + 2]);
      out.push_back(row[3 * x + 1]);
      out.push_back(row[3 * x]);
    }
    out.insert(out.end(), pad, 0);
  }
  return out;
}

std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& image) {
  std::vector<std::uint8_t> out = Headers(image.width, image.height, 8, 256);
  for (const auto& c : image.palette) {
    out.push_back(c[2]);
    out.push_back(c[1]);
    out.push_back(c[0]);
    out.push_back(0);
  }
  int pad = RowStride(image.width, 1) - image.width;
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint8_t* row = &image.indices[static_cast<size_t>(y) * image.width];
    out.insert(out.end(), row, row + image.width);
    out.insert(out.end(), pad, 0);
  }
  return out;
}

bool DecodeBmp(const std::vector<std::uint8_t>& file, DecodedBmp* out, std::string* fault) {
  auto fail = [&](const std::string& why) {
    *fault = why;
    return false;
  };
  if (file.size() < kFileHeaderSize + kInfoHeaderSize) return fail("shorter than the BMP headers");
  if (file[0] != 'B' || file[1] != 'M') return fail("does not start with \"BM\"");
  std::uint32_t dataOffset = Get32(file, 10);
  if (Get32(file, 14) != kInfoHeaderSize) return fail("unsupported info header size");
  auto width = static_cast<std::int32_t>(Get32(file, 18));
  auto height = static_cast<std::int32_t>(Get32(file, 22));
  unsigned bits = Get16(file, 28);
  if (Get32(file, 30) != 0) return fail("compressed BMP");
  if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return fail("bad picture size");
  if (bits != 24 && bits != 8) return fail("depth is neither 24 nor 8 bits");
  int bytesPerPixel = static_cast<int>(bits / 8);
  size_t stride = static_cast<size_t>(RowStride(width, bytesPerPixel));
  if (bits == 8 && dataOffset < kFileHeaderSize + kInfoHeaderSize + 1024) return fail("palette missing");
  if (dataOffset > file.size() || file.size() - dataOffset < stride * height)
    return fail("pixel rows run past the end of the file");
  out->bitsPerPixel = static_cast<int>(bits);
  out->picture.width = width;
  out->picture.height = height;
  out->picture.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  out->indices.clear();
  if (bits == 8) out->indices.assign(static_cast<size_t>(width) * height, 0);
  const size_t paletteAt = kFileHeaderSize + kInfoHeaderSize;
  for (int y = 0; y < height; ++y) {
    size_t row = dataOffset + stride * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* dst = &out->picture.rgb[(static_cast<size_t>(y) * width + x) * 3];
      const std::uint8_t* bgr;
      if (bits == 8) {
        std::uint8_t index = file[row + x];
        out->indices[static_cast<size_t>(y) * width + x] = index;
        bgr = &file[paletteAt + 4 * index];
      } else {
        bgr = &file[row + 3 * x];
      }
      dst[0] = bgr[2];
      dst[1] = bgr[1];
      dst[2] = bgr[0];
    }
  }
  return true;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* fault) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *fault = path + ": cannot open for writing";
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) *fault = path + ": write failed";
  return ok;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* fault) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *fault = path + ": cannot open";
    return false;
  }
  bytes->clear();
  std::uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) *fault = path + ": read failed";
  return ok;
}

}  // namespace art
