#include "tools/anim/sample_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace anim {

namespace {

double Hash(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

// Smooth value noise in 0..1, four octaves.
double Noise(double x, double y) {
  double sum = 0.0, amplitude = 0.5;
  for (int octave = 0; octave < 4; ++octave) {
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = Hash(ix, iy, octave) * (1 - sx) + Hash(ix + 1, iy, octave) * sx;
    const double bottom = Hash(ix, iy + 1, octave) * (1 - sx) + Hash(ix + 1, iy + 1, octave) * sx;
    sum += amplitude * (top * (1 - sy) + bottom * sy);
    x *= 2.0;
    y *= 2.0;
    amplitude *= 0.5;
  }
  return sum / 0.9375;
}

struct Colour {
  double r, g, b;
};

// A lit ball of the given colour at (cx, cy), radius r, all in 0..1 of the picture; false
// outside it.
bool Ball(double u, double v, double cx, double cy, double r, Colour base, Colour* out) {
  const double dx = (u - cx) / r, dy = (v - cy) / r;
  const double d2 = dx * dx + dy * dy;
  if (d2 > 1.0) return false;
  const double dz = std::sqrt(1.0 - d2);
  const double light = std::max(0.0, -0.5 * dx - 0.6 * dy + 0.62 * dz);
  const double highlight = std::pow(std::max(0.0, light), 24.0) * 200.0;
  *out = {base.r * (0.15 + 0.85 * light) + highlight, base.g * (0.15 + 0.85 * light) + highlight,
          base.b * (0.15 + 0.85 * light) + highlight};
  return true;
}

}  // namespace

RgbPicture SamplePicture(int width, int height, int frame) {
  RgbPicture picture{width, height, std::vector<std::uint8_t>(std::size_t{3} * width * height)};
  const double t = frame * 0.05;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = (x + 0.5) / width, v = (y + 0.5) / height;
      Colour c;
      if (v < 0.45) {  // sky with clouds
        const double cloud = Noise(u * 6 + t, v * 12);
        c = {90 + 120 * v + 90 * cloud, 130 + 100 * v + 80 * cloud, 220 - 40 * v + 30 * cloud};
      } else {  // ground: grass-like texture, darker with distance
        const double grass = Noise(u * 40, v * 60);
        const double shade = 0.5 + 0.8 * (v - 0.45);
        c = {(60 + 80 * grass) * shade, (110 + 100 * grass) * shade, (30 + 40 * grass) * shade};
      }
      if (u > 0.72 && u < 0.9 && v > 0.2 && v < 0.62) c = {150, 40 + 20 * Noise(u * 30, v * 30), 35};
      if (u > 0.76 && u < 0.8 && v > 0.3 && v < 0.4) c = {250, 240, 200};
      Ball(u, v, 0.3 + 0.1 * std::sin(t), 0.6, 0.16, {230, 200, 60}, &c);
      Ball(u, v, 0.55, 0.72 + 0.05 * std::cos(t * 1.3), 0.1, {70, 90, 240}, &c);
      const double grain = (Hash(x, y, 99 + frame) - 0.5) * 10.0;
      const double rgb[3] = {c.r + grain, c.g + grain, c.b + grain};
      for (int k = 0; k < 3; ++k) {
        picture.rgb[3 * (std::size_t(y) * width + x) + k] = static_cast<std::uint8_t>(std::clamp(rgb[k], 0.0, 255.0));
      }
    }
  }
  return picture;
}

}  // namespace anim
