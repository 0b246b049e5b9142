#include "assets/post_process_maps.h"

#include <algorithm>
#include <cmath>

#include <immintrin.h>

#include "assets/animation_codec.h"
#include "assets/cpu_features.h"

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

// The 64 table lookups of sixteen pixels in a few instructions (AVX-512 VBMI byte permutes); on
// other processors every byte is mapped on its own.
__attribute__((target("avx512bw,avx512vbmi"))) __m512i MapBytes64(
    __m512i bytes, const __m512i table[4]) {
  const __m512i low = _mm512_permutex2var_epi8(table[0], bytes, table[1]);
  const __m512i high = _mm512_permutex2var_epi8(table[2], bytes, table[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(bytes), low, high);
}

__attribute__((target("avx512bw,avx512vbmi"))) __m512i MapLanes(__m512i bytes,
                                                                   const __m512i tables[3][4],
                                                                   const __mmask64 lanes[3]) {
  __m512i mapped = bytes;
  for (int k = 0; k < 3; ++k) {
    if (lanes[k] != 0) mapped = _mm512_mask_blend_epi8(lanes[k], mapped, MapBytes64(bytes, tables[k]));
  }
  return mapped;
}

// Maps count pixels from pixel on, sixteen at a time. The last group is read and written through
// a byte mask that ends at the last pixel's last mapped byte, so that nothing past it is touched.
__attribute__((target("avx512bw,avx512vbmi"))) void MapPixelsWide(const PixelMaps& maps,
                                                                    std::uint8_t* pixel,
                                                                    long count) {
  // One lookup per distinct map, blended into the lanes of every byte it maps.
  const std::uint8_t* groupMap[3] = {};
  __m512i tables[3][4] = {};
  __mmask64 lanes[3] = {};
  int lastMapped = 0;
  for (int k = 0; k < 3; ++k) {
    if (maps.byte[k] == nullptr) continue;
    lastMapped = k;
    int group = 0;
    while (groupMap[group] != nullptr && groupMap[group] != maps.byte[k]) ++group;
    if (groupMap[group] == nullptr) {
      groupMap[group] = maps.byte[k];
      for (int q = 0; q < 4; ++q) tables[group][q] = _mm512_loadu_si512(maps.byte[k] + 64 * q);
    }
    lanes[group] |= 0x1111111111111111ull << k;
  }
  for (; count > 16; count -= 16, pixel += 64) {
    _mm512_storeu_si512(pixel, MapLanes(_mm512_loadu_si512(pixel), tables, lanes));
  }
  const __mmask64 tail = ~0ull >> (64 - (4 * (count - 1) + lastMapped + 1));
  _mm512_mask_storeu_epi8(pixel, tail, MapLanes(_mm512_maskz_loadu_epi8(tail, pixel), tables, lanes));
}

void MapPixels(const PixelMaps& maps, std::uint8_t* pixel, long count) {
  if (HasByteShuffles()) return MapPixelsWide(maps, pixel, count);
  for (long m = 0; m < count; ++m, pixel += 4) {
    for (int k = 0; k < 3; ++k) {
      if (maps.byte[k] != nullptr) pixel[k] = maps.byte[k][pixel[k]];
    }
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
