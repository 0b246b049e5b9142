#include "assets/colour_table.h"

#include <cstring>

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

namespace {

// The plain conversion's copy of ColourTable with luma varying fastest: index Cr6 << 14 |
// Cb6 << 8 | Y. A decoded picture's chroma changes slowly from pixel to pixel and its luma
// quickly, so a frame reads about a third as many cache lines of it as of ColourTable. Made
// from ColourTable at start-up (PrepareConversion) or by the first plain conversion: processors
// with a wide conversion never touch it.
std::uint16_t LumaFastTable[ColourTableEntries];
bool LumaFastTableMade = false;

void MakeLumaFastTable() {
  for (int c0 = 0; c0 < 4096; c0 += 64) {  // 64 chroma pairs of every luma at a time
    for (int y = 0; y < 256; ++y) {
      for (int c = c0; c < c0 + 64; ++c) LumaFastTable[c << 8 | y] = ColourTable[y << 12 | c];
    }
  }
  LumaFastTableMade = true;
}

using Words4 = std::uint32_t __attribute__((vector_size(16)));

// The LumaFastTable indices of four pixels, as one vector through the compiler's portable vector
// types (SSE2 on x86-64, NEON on aarch64). ColourTable's index is Y << 12 | byte 1 << 6 |
// byte 2, so a chroma byte's top two bits OR into the field above its own: byte 1's into Y,
// byte 2's into Cr6.
Words4 LumaFastIndices(const std::uint8_t* source) {
  Words4 pixels;
  std::memcpy(&pixels, source, 16);
  return (pixels & 255) | ((pixels >> 14) & 3) | ((pixels >> 8) & 0xFF00) |
         ((pixels << 6) & 0xFC000);
}

// Pixels done: eight at a time, their entries gathered into two 8-byte stores.
int ConvertRow(const std::uint8_t* __restrict source, std::uint16_t* __restrict row, int width) {
  if (width >= 8 && !LumaFastTableMade) MakeLumaFastTable();
  const std::uint16_t* __restrict table = LumaFastTable;
  int x = 0;
  for (; x + 8 <= width; x += 8, source += 32) {
    const Words4 first = LumaFastIndices(source), second = LumaFastIndices(source + 16);
    const std::uint64_t low = table[first[0]] | std::uint64_t{table[first[1]]} << 16 |
                              std::uint64_t{table[first[2]]} << 32 | std::uint64_t{table[first[3]]} << 48;
    const std::uint64_t high = table[second[0]] | std::uint64_t{table[second[1]]} << 16 |
                               std::uint64_t{table[second[2]]} << 32 | std::uint64_t{table[second[3]]} << 48;
    std::memcpy(row + x, &low, 8);
    std::memcpy(row + x + 4, &high, 8);
  }
  return x;
}

}  // namespace

void PrepareConversion() {
  if (PlainConversion() && !LumaFastTableMade) MakeLumaFastTable();
}

void ConvertPicture(const std::uint8_t* source, std::uint16_t* destination, int pitch, int width,
                    int height) {
  const int rowUnits = pitch >> 1;
  const auto wideRow = ActiveCodecKernels.convertRow;
  // A wide kernel's last few pixels take the table itself: the luma-fastest copy is the plain
  // conversion's alone, never made where a wide kernel converts.
  const bool plainRows = PlainConversion();
  for (int r = 0; r < height; ++r) {
    std::uint16_t* row = destination + r * rowUnits;
    const int done = wideRow(source, row, width);
    source += 4 * done;
    const int plain = plainRows ? ConvertRow(source, row + done, width - done) : 0;
    source += 4 * plain;
    for (int x = done + plain; x < width; ++x, source += 4) {
      row[x] = ColourTable[((source[0] * 64) | source[1]) * 64 | source[2]];
    }
  }
}
