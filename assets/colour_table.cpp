#include "assets/colour_table.h"

#include "assets/animation_codec.h"
#include "assets/codec_kernels.h"

namespace {

int ClampedChannel(float value) {
  if (value < 0.0f) return 0;
  if (value > 255.0f) return 255;
  return static_cast<int>(value);
}

}  // namespace

std::uint16_t ColourTableEntry(int y, int cr6, int cb6) {
  const float luma = static_cast<float>(y);
  float cr = static_cast<float>(4 * cr6 - 128);
  float cb = static_cast<float>(4 * cb6 - 128);
  if (luma > 248.0f) {
    const float t = luma - (248.0f - luma) * 0.01f;
    cr = cr / t;
    cb = cb / t;
  }
  if (luma < 16.0f) {
    const float t = 16.0f - luma;  // |16 - y|, positive here
    cr = cr / t;
    cb = cb / t;
  }
  const float l = (luma - 16.0f) * 1.164f;
  const int r = ClampedChannel(l + cr * 1.596f);
  const int g = ClampedChannel(l - cr * 0.813f - cb * 0.391f);
  const int b = ClampedChannel(l + cb * 2.018f);
  return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

void BuildColourTable(std::uint16_t* table) {
  for (int y = 0; y < 256; ++y) {
    for (int cr6 = 0; cr6 < 64; ++cr6) {
      for (int cb6 = 0; cb6 < 64; ++cb6) table[y * 4096 + cr6 * 64 + cb6] = ColourTableEntry(y, cr6, cb6);
    }
  }
}

void ConvertPicture(const std::uint8_t* source, std::uint16_t* destination, int pitch, int width,
                    int height) {
  const int rowUnits = pitch >> 1;
  const auto wideRow = ActiveCodecKernels.convertRow;
  for (int r = 0; r < height; ++r) {
    std::uint16_t* row = destination + r * rowUnits;
    const int done = wideRow(source, row, width);
    source += 4 * done;
    for (int x = done; x < width; ++x, source += 4) {
      row[x] = ColourTable[((source[0] * 64) | source[1]) * 64 | source[2]];
    }
  }
}
