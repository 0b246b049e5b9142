#include "assets/post_process.h"

#include <algorithm>
#include <cmath>

#include "assets/animation.h"
#include "scenes/scene_vars.h"

float LumaContrast = 1.2f;
std::uint8_t LumaMap[256];
std::uint8_t ChromaMap[64];

namespace {

constexpr int PicturePixels = DecodedPictureBytes / 4;

float Clamp(float value, float low, float high) {
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

// Maps byte 0 of every pixel of the rectangle (rows of FrameWidth pixels, 4 bytes each) through
// map. Only pixels inside the 256 x 256 picture are touched, whatever FrameWidth and the
// rectangle are.
void MapRectangle(const std::uint8_t* map, std::uint8_t* bytes, int x0, int y0, int x1, int y1) {
  if (x0 >= x1) return;
  for (int y = y0; y < y1; ++y) {
    const long rowStart = static_cast<long>(y) * FrameWidth;
    const long first = std::max(rowStart + x0, 0L);
    const long last = std::min(rowStart + x1, static_cast<long>(PicturePixels));
    for (long m = first; m < last; ++m) bytes[4 * m] = map[bytes[4 * m]];
  }
}

}  // namespace

void AdjustLuma(float gain, float contrast, std::uint8_t* picture, int x0, int y0, int x1, int y1) {
  for (int i = 0; i < 256; ++i) {
    float f = Clamp(static_cast<float>(i - 128) * contrast + 128.0f, 0.0f, 255.0f);
    f = Clamp(f * gain, 0.0f, 255.0f);
    LumaMap[i] = static_cast<std::uint8_t>(f);
  }
  MapRectangle(LumaMap, picture, x0, y0, x1, y1);
}

void AdjustChroma(float scale, float offset, std::uint8_t* plane, int x0, int y0, int x1, int y1) {
  // Values of 64 and more, which well-formed frames never hold, map as 63.
  std::uint8_t clampedMap[256];
  for (int i = 0; i < 64; ++i) {
    const float v = Clamp(static_cast<float>(i - 32) * scale + offset, -32.0f, 31.0f);
    ChromaMap[i] = static_cast<std::uint8_t>(v + 32.0f);
  }
  std::fill(std::copy(ChromaMap, ChromaMap + 64, clampedMap), clampedMap + 256, ChromaMap[63]);
  MapRectangle(clampedMap, plane, x0, y0, x1, y1);
}

void PulsingContrast() {
  AdjustLuma(0.6f, 2.0f * std::sin(EffectClock * 0.10466667f), DecodedPicture, 0, 0, 256, 256);
}

void BoostContrast() { AdjustLuma(1.0f, 1.2f, DecodedPicture, 0, 0, 256, 256); }

void AnimatedContrast() { AdjustLuma(1.0f, LumaContrast, DecodedPicture, 0, 0, 255, 255); }

void VividColour() {
  AdjustLuma(0.8f, 1.2f, DecodedPicture, 0, 0, 255, 255);
  AdjustChroma(1.5f, 0.0f, DecodedPicture + 1, 0, 0, 255, 255);
  AdjustChroma(1.5f, 0.0f, DecodedPicture + 2, 0, 0, 255, 255);
}

void InvertLuma() { AdjustLuma(1.0f, -1.4f, DecodedPicture, 0, 0, 255, 255); }
