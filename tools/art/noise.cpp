#include "tools/art/noise.h"

#include <cmath>

namespace art {

std::uint32_t Hash(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float HashUnit(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  return static_cast<float>(Hash(a, b, c) >> 8) * (1.0f / 16777216.0f);
}

namespace {

float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

int Wrap(int i, int period) {
  if (period <= 0) return i;
  i %= period;
  return i < 0 ? i + period : i;
}

float Gradient(int ix, int iy, float dx, float dy, std::uint32_t seed) {
  float angle = HashUnit(static_cast<std::uint32_t>(ix), static_cast<std::uint32_t>(iy), seed) * 6.2831853f;
  return std::cos(angle) * dx + std::sin(angle) * dy;
}

}  // namespace

float Noise2(float x, float y, int period, std::uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float dx = x - fx, dy = y - fy;
  int x0 = Wrap(ix, period), x1 = Wrap(ix + 1, period);
  int y0 = Wrap(iy, period), y1 = Wrap(iy + 1, period);
  float a = Gradient(x0, y0, dx, dy, seed), b = Gradient(x1, y0, dx - 1, dy, seed);
  float c = Gradient(x0, y1, dx, dy - 1, seed), d = Gradient(x1, y1, dx - 1, dy - 1, seed);
  float u = Fade(dx), v = Fade(dy);
  float top = a + (b - a) * u, bottom = c + (d - c) * u;
  return (top + (bottom - top) * v) * 1.41f;
}

float Fractal2(float x, float y, int octaves, int period, std::uint32_t seed) {
  float sum = 0, amplitude = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += Noise2(x, y, period, seed + static_cast<std::uint32_t>(o) * 131u) * amplitude;
    norm += amplitude;
    amplitude *= 0.5f;
    x *= 2;
    y *= 2;
    period *= 2;
  }
  return sum / norm;
}

float Noise3(float x, float y, float z, std::uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  auto ix = static_cast<std::uint32_t>(static_cast<int>(fx));
  auto iy = static_cast<std::uint32_t>(static_cast<int>(fy));
  auto iz = static_cast<std::uint32_t>(static_cast<int>(fz));
  float u = Fade(x - fx), v = Fade(y - fy), w = Fade(z - fz);
  auto corner = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    return HashUnit(ix + a, iy + b, (iz + c) ^ (seed * 0x51ED27u)) * 2 - 1;
  };
  float x00 = corner(0, 0, 0) + (corner(1, 0, 0) - corner(0, 0, 0)) * u;
  float x10 = corner(0, 1, 0) + (corner(1, 1, 0) - corner(0, 1, 0)) * u;
  float x01 = corner(0, 0, 1) + (corner(1, 0, 1) - corner(0, 0, 1)) * u;
  float x11 = corner(0, 1, 1) + (corner(1, 1, 1) - corner(0, 1, 1)) * u;
  float y0 = x00 + (x10 - x00) * v, y1 = x01 + (x11 - x01) * v;
  return y0 + (y1 - y0) * w;
}

float Fractal3(float x, float y, float z, int octaves, std::uint32_t seed) {
  float sum = 0, amplitude = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += Noise3(x, y, z, seed + static_cast<std::uint32_t>(o) * 977u) * amplitude;
    norm += amplitude;
    amplitude *= 0.5f;
    x *= 2.03f;
    y *= 2.03f;
    z *= 2.03f;
  }
  return sum / norm;
}

}  // namespace art
