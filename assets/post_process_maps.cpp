#include "assets/post_process_maps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "assets/animation_codec.h"
#include "assets/codec_kernels.h"

std::uint8_t LumaMap[256];
std::uint8_t ChromaMap[64];

namespace {

constexpr int PicturePixels = DecodedPictureBytes / 4;

float Clamp(float value, float low, float high) {
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

// The pixels of the rectangle's row y (rows of FrameWidth pixels), limited to the 256 x 256
// picture whatever FrameWidth and the rectangle are: [first, last) or an empty range.
void RowPixels(int y, int x0, int x1, long* first, long* last) {
  const long rowStart = static_cast<long>(y) * FrameWidth;
  *first = std::max(rowStart + x0, 0L);
  *last = std::min(rowStart + x1, static_cast<long>(PicturePixels));
}

// Byte k of every 4-byte pixel maps through maps[k] (nullptr: kept).
struct PixelMaps {
  const std::uint8_t* byte[3];
};

// The maps a walk uses are constants of each instance, so the loop holds no per-pixel test.
template <bool Map0, bool Map1, bool Map2>
void MapBytes(const PixelMaps& maps, std::uint8_t* __restrict pixel, long count) {
  const std::uint8_t* __restrict map0 = maps.byte[0];
  const std::uint8_t* __restrict map1 = maps.byte[1];
  const std::uint8_t* __restrict map2 = maps.byte[2];
  long m = 0;
  // Two pixels from one 8-byte read, every mapped byte stored alone. The read reaches the first
  // byte of the pixel after the two (a plane's walk starts at byte 1 or 2), so a pixel must follow.
  for (; m + 3 <= count; m += 2, pixel += 8) {
    std::uint64_t pair;
    std::memcpy(&pair, pixel, 8);
    if (Map0) pixel[0] = map0[pair & 255], pixel[4] = map0[(pair >> 32) & 255];
    if (Map1) pixel[1] = map1[(pair >> 8) & 255], pixel[5] = map1[(pair >> 40) & 255];
    if (Map2) pixel[2] = map2[(pair >> 16) & 255], pixel[6] = map2[(pair >> 48) & 255];
  }
  for (; m < count; ++m, pixel += 4) {
    if (Map0) pixel[0] = map0[pixel[0]];
    if (Map1) pixel[1] = map1[pixel[1]];
    if (Map2) pixel[2] = map2[pixel[2]];
  }
}

void MapPixels(const PixelMaps& maps, std::uint8_t* pixel, long count) {
  const long done = ActiveCodecKernels.mapPixels(maps.byte, pixel, count);
  pixel += 4 * done;
  count -= done;
  switch ((maps.byte[0] != nullptr) | (maps.byte[1] != nullptr) << 1 | (maps.byte[2] != nullptr) << 2) {
    case 1: return MapBytes<true, false, false>(maps, pixel, count);
    case 2: return MapBytes<false, true, false>(maps, pixel, count);
    case 3: return MapBytes<true, true, false>(maps, pixel, count);
    case 4: return MapBytes<false, false, true>(maps, pixel, count);
    case 5: return MapBytes<true, false, true>(maps, pixel, count);
    case 6: return MapBytes<false, true, true>(maps, pixel, count);
    case 7: return MapBytes<true, true, true>(maps, pixel, count);
    default: return;
  }
}

// Maps the bytes of every pixel of the rectangle through maps, row by row: rows of a narrow
// frame that share pixels map them again.
void MapRectangle(const PixelMaps& maps, std::uint8_t* bytes, int x0, int y0, int x1, int y1) {
  if (x0 >= x1) return;
  for (int y = y0; y < y1; ++y) {
    long first, last;
    RowPixels(y, x0, x1, &first, &last);
    if (first < last) MapPixels(maps, bytes + 4 * first, last - first);
  }
}

void BuildLumaMap(float gain, float contrast) {
  for (int i = 0; i < 256; ++i) {
    float f = Clamp(static_cast<float>(i - 128) * contrast + 128.0f, 0.0f, 255.0f);
    f = Clamp(f * gain, 0.0f, 255.0f);
    LumaMap[i] = static_cast<std::uint8_t>(f);
  }
}

// ChromaMap, and in full the map of every byte value: those of 64 and more, which well-formed
// frames never hold, map as 63.
void BuildChromaMap(float scale, float offset, std::uint8_t* full) {
  for (int i = 0; i < 64; ++i) {
    const float v = Clamp(static_cast<float>(i - 32) * scale + offset, -32.0f, 31.0f);
    ChromaMap[i] = static_cast<std::uint8_t>(v + 32.0f);
  }
  std::fill(std::copy(ChromaMap, ChromaMap + 64, full), full + 256, ChromaMap[63]);
}

}  // namespace

void AdjustLuma(float gain, float contrast, std::uint8_t* picture, int x0, int y0, int x1, int y1) {
  BuildLumaMap(gain, contrast);
  MapRectangle({{LumaMap, nullptr, nullptr}}, picture, x0, y0, x1, y1);
}

void AdjustChroma(float scale, float offset, std::uint8_t* plane, int x0, int y0, int x1, int y1) {
  std::uint8_t fullMap[256];
  BuildChromaMap(scale, offset, fullMap);
  MapRectangle({{fullMap, nullptr, nullptr}}, plane, x0, y0, x1, y1);
}

void PulsingContrastEffect(float effectClock) {
  AdjustLuma(0.6f, 2.0f * std::sin(effectClock * 0.10466667f), DecodedPicture, 0, 0, 256, 256);
}

void BoostContrastEffect() { AdjustLuma(1.0f, 1.2f, DecodedPicture, 0, 0, 256, 256); }

void AnimatedContrastEffect(float contrast) {
  AdjustLuma(1.0f, contrast, DecodedPicture, 0, 0, 255, 255);
}

// AdjustLuma, then AdjustChroma on Cr and on Cb, over the same rectangle: done in one walk, which
// gives the same bytes since each map reads and writes only its own byte of a pixel.
void VividColourEffect() {
  BuildLumaMap(0.8f, 1.2f);
  std::uint8_t chroma[256];
  BuildChromaMap(1.5f, 0.0f, chroma);
  MapRectangle({{LumaMap, chroma, chroma}}, DecodedPicture, 0, 0, 255, 255);
}

void InvertLumaEffect() { AdjustLuma(1.0f, -1.4f, DecodedPicture, 0, 0, 255, 255); }
