#include "assets/colour_table.h"

#include "assets/animation_codec.h"
#include "assets/codec_kernels.h"

namespace {

int ClampedChannel(float value) {
  if (value < 0.0f) return 0;
  if (value > 255.0f) return 255;
  return static_cast<int>(value);
}

struct Rgb888 {
  int r, g, b;
};

// The clamped 8-bit channels of (Y, Cr6, Cb6), before any rounding to fewer bits.
Rgb888 ColourTableChannels(int y, int cr6, int cb6) {
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
  return {ClampedChannel(l + cr * 1.596f), ClampedChannel(l - cr * 0.813f - cb * 0.391f),
          ClampedChannel(l + cb * 2.018f)};
}

}  // namespace

std::uint16_t ColourTableEntry(int y, int cr6, int cb6) {
  const Rgb888 c = ColourTableChannels(y, cr6, cb6);
  return static_cast<std::uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3));
}

std::uint32_t TrueColourTableEntry(int y, int cr6, int cb6) {
  const Rgb888 c = ColourTableChannels(y, cr6, cb6);
  return static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b);
}

void BuildColourTable(std::uint16_t* table) {
  for (int y = 0; y < 256; ++y) {
    for (int cr6 = 0; cr6 < 64; ++cr6) {
      for (int cb6 = 0; cb6 < 64; ++cb6) table[y * 4096 + cr6 * 64 + cb6] = ColourTableEntry(y, cr6, cb6);
    }
  }
}

void BuildTrueColourTable(std::uint32_t* table) {
  for (int y = 0; y < 256; ++y) {
    for (int cr6 = 0; cr6 < 64; ++cr6) {
      for (int cb6 = 0; cb6 < 64; ++cb6) table[y * 4096 + cr6 * 64 + cb6] = TrueColourTableEntry(y, cr6, cb6);
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
