#include "tools/art/icon.h"

#include <png.h>

#include <algorithm>
#include <cmath>

#include "tools/art/animations.h"
#include "tools/art/sdf.h"

namespace art {

namespace {

// Signed distance to a square of half side h with corners rounded by radius r.
float RoundedSquare(float x, float y, float h, float r) {
  float qx = std::fabs(x) - (h - r), qy = std::fabs(y) - (h - r);
  float outside = std::sqrt(std::max(qx, 0.0f) * std::max(qx, 0.0f) + std::max(qy, 0.0f) * std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

// Colour and coverage at a point of the icon, coordinates -1..1 with y up.
void Shade(float x, float y, bool small, Vec3* colour, float* alpha) {
  const float pixel = small ? 2.0f / 32 : 2.0f / 256;
  float body = RoundedSquare(x, y, small ? 1.0f : 0.94f, small ? 0.25f : 0.22f);
  *alpha = Clamp01(0.5f - body / pixel);
  Vec3 c = Lerp(Vec3{0.05f, 0.04f, 0.13f}, Vec3{0.13f, 0.1f, 0.27f}, 0.5f + 0.5f * y);
  // The ring, cyan, with a soft glow.
  const float r = std::sqrt(x * x + y * y);
  const float ringWidth = small ? 0.07f : 0.035f;
  const float ring = std::fabs(r - (small ? 0.8f : 0.74f));
  c += Vec3{0.1f, 0.75f, 1.0f} * (std::exp(-ring * (small ? 12.0f : 18.0f)) * 0.35f);
  c = Lerp(c, Vec3{0.45f, 0.9f, 1.0f}, Clamp01(0.5f - (ring - ringWidth) / pixel));
  // The letters, magenta tubes with white cores, filling most of the ring.
  const float scale = small ? 1.3f : 1.55f;
  const float letters = EmblemLetterDistance(x * scale, y * scale) / scale;
  const float stroke = small ? 0.1f : 0.06f;
  c += Vec3{1.0f, 0.2f, 0.8f} * (std::exp(-letters * 14.0f) * 0.4f);
  c = Lerp(c, Vec3{1.0f, 0.3f, 0.85f}, Clamp01(0.5f - (letters - stroke) / pixel));
  c = Lerp(c, Vec3{1.0f, 0.92f, 0.98f}, Clamp01(0.5f - (letters - stroke * 0.45f) / pixel));
  *colour = c;
}

}  // namespace

RgbaImage MakeIcon(int size) {
  const bool small = size <= 32;
  constexpr int kSamples = 4;
  RgbaImage image{size, size, std::vector<std::uint8_t>(4 * static_cast<size_t>(size) * size)};
  for (int row = 0; row < size; ++row) {
    for (int col = 0; col < size; ++col) {
      Vec3 sum;
      float coverage = 0;
      for (int s = 0; s < kSamples * kSamples; ++s) {
        float x = ((col + (s % kSamples + 0.5f) / kSamples) / size) * 2 - 1;
        float y = 1 - ((row + (s / kSamples + 0.5f) / kSamples) / size) * 2;
        Vec3 colour;
        float alpha;
        Shade(x, y, small, &colour, &alpha);
        sum += colour * alpha;
        coverage += alpha;
      }
      std::uint8_t* p = &image.rgba[4 * (static_cast<size_t>(row) * size + col)];
      // Colour unpremultiplied, so see-through edges keep their hue.
      Vec3 c = coverage > 0 ? sum / coverage : Vec3{};
      p[0] = static_cast<std::uint8_t>(Clamp01(c.x) * 255 + 0.5f);
      p[1] = static_cast<std::uint8_t>(Clamp01(c.y) * 255 + 0.5f);
      p[2] = static_cast<std::uint8_t>(Clamp01(c.z) * 255 + 0.5f);
      p[3] = static_cast<std::uint8_t>(coverage / (kSamples * kSamples) * 255 + 0.5f);
    }
  }
  return image;
}

bool WriteIconPng(const std::string& path, const RgbaImage& icon, std::string* fault) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(icon.width);
  image.height = static_cast<png_uint_32>(icon.height);
  image.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&image, path.c_str(), 0, icon.rgba.data(), 0, nullptr) == 0) {
    *fault = path + ": " + image.message;
    return false;
  }
  return true;
}

}  // namespace art
