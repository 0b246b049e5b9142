#include "tools/art/canvas.h"

#include <cmath>

namespace art {

Vec3& Canvas::Wrapped(int x, int y) {
  x %= width;
  y %= height;
  if (x < 0) x += width;
  if (y < 0) y += height;
  return At(x, y);
}

Vec3 Canvas::Sample(float x, float y) const {
  x = std::clamp(x, 0.0f, static_cast<float>(width - 1));
  y = std::clamp(y, 0.0f, static_cast<float>(height - 1));
  int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
  float fx = x - x0, fy = y - y0;
  Vec3 top = Lerp(At(x0, y0), At(x1, y0), fx);
  Vec3 bottom = Lerp(At(x0, y1), At(x1, y1), fx);
  return Lerp(top, bottom, fy);
}

namespace {

std::vector<float> GaussianKernel(float sigma) {
  int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3)));
  std::vector<float> k(2 * radius + 1);
  float sum = 0;
  for (int i = -radius; i <= radius; ++i) sum += k[i + radius] = std::exp(-(i * i) / (2 * sigma * sigma));
  for (float& v : k) v /= sum;
  return k;
}

// One blur pass along rows (horizontal) or columns; edges wrap or clamp.
Canvas BlurPass(const Canvas& src, const std::vector<float>& k, bool horizontal, bool wrap) {
  Canvas out(src.width, src.height);
  int radius = static_cast<int>(k.size() / 2);
  int length = horizontal ? src.width : src.height;
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) {
      Vec3 acc;
      int along = horizontal ? x : y;
      for (int i = -radius; i <= radius; ++i) {
        int j = along + i;
        if (wrap) {
          j %= length;
          if (j < 0) j += length;
        } else {
          j = std::clamp(j, 0, length - 1);
        }
        acc += (horizontal ? src.At(j, y) : src.At(x, j)) * k[i + radius];
      }
      out.At(x, y) = acc;
    }
  }
  return out;
}

}  // namespace

Canvas Blur(const Canvas& source, float sigma, bool wrap) {
  std::vector<float> k = GaussianKernel(sigma);
  return BlurPass(BlurPass(source, k, true, wrap), k, false, wrap);
}

static std::uint8_t To8(float v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

std::vector<std::uint8_t> ToRgb8(const Canvas& canvas) {
  std::vector<std::uint8_t> out;
  out.reserve(canvas.pixels.size() * 3);
  for (const Vec3& p : canvas.pixels) {
    out.push_back(To8(p.x));
    out.push_back(To8(p.y));
    out.push_back(To8(p.z));
  }
  return out;
}

bool SurvivesKey(std::uint8_t r, std::uint8_t g, std::uint8_t b, unsigned limit) {
  unsigned v = static_cast<unsigned>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
  return v > limit;
}

float Luminance(Vec3 c) { return 0.299f * c.x + 0.587f * c.y + 0.114f * c.z; }

void SeparateFromKey(Canvas& canvas, float cutoff) {
  // The dimmest red the 16-bit key keeps, with a margin for rounding (8 would be 1 in 5 bits).
  constexpr float kMinRed = 12.0f / 255.0f;
  for (Vec3& p : canvas.pixels) {
    p = Vec3{Clamp01(p.x), Clamp01(p.y), Clamp01(p.z)};
    if (p.x >= kMinRed || p.y >= 76.0f / 255.0f) continue;
    if (p.x == 0 && p.y == 0 && p.z == 0) continue;
    if (Luminance(p) < cutoff)
      p = Vec3{0, 0, 0};
    else
      p.x = kMinRed;
  }
}

}  // namespace art
