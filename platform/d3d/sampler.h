// Texel and colour arithmetic shared by the span shaders: bilinear sampling with wrapping, the
// nearest texel for colour keys, modulate, saturating add, depth values, stores. Colours are 0x00RRGGBB, 8 bits a
// channel. Texture positions are 16.16 fixed point in texels with the half-texel already taken
// off, so a position of exactly i << 16 is the centre of texel i.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/d3d/texture.h"

// std::llround (halves away from zero) without the library call that set-up and every span would
// pay: the fraction below the truncated value is exact.
inline std::int64_t RoundHalfAway(double x) {
  if (!(std::fabs(x) < 0x1p62)) return std::llround(x);
  const std::int64_t whole = static_cast<std::int64_t>(x);
  const double fraction = x - static_cast<double>(whole);
  return whole + (fraction >= 0.5) - (fraction <= -0.5);
}

// 16.16 texel position of texture coordinate u on a texture of size texels; u wraps at 1. The
// wrapped value is never negative, so truncating it is its floor.
inline std::int32_t TexelPosition(double u, int size) {
  double wrapped = u - std::floor(u);
  return static_cast<std::int32_t>(wrapped * size * 65536.0) - 32768;
}

// Positions on power-of-two textures step modulo 2^32 (modulus 0); on others they are kept in
// [0, size << 16), where every sample and key test is the same as at any position a multiple of
// the texture size away.
inline std::uint32_t TexelModulus(int size, bool powerOfTwo) {
  return powerOfTwo ? 0 : static_cast<std::uint32_t>(size) << 16;
}

inline std::uint32_t Advance(std::uint32_t s, std::uint32_t ds, std::uint32_t modulus) {
  s += ds;
  return modulus && s >= modulus ? s - modulus : s;
}

// n steps of ds at once, under the same modulus as Advance.
inline std::uint32_t AdvanceBy(std::uint32_t ds, int n, std::uint32_t modulus) {
  return modulus ? static_cast<std::uint32_t>(std::uint64_t{ds} * static_cast<std::uint32_t>(n) % modulus)
                 : ds * static_cast<std::uint32_t>(n);
}

inline int WrapTexel(std::int32_t i, int size, bool powerOfTwo) {
  if (powerOfTwo) return i & (size - 1);
  i %= size;
  return i < 0 ? i + size : i;
}

// (a * (256 - f) + b * f) >> 8 per channel, two channels at a time in 16-bit fields.
inline std::uint32_t LerpColour(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
  std::uint32_t g = 256 - f;
  std::uint32_t redBlue = (((a & 0xFF00FF) * g + (b & 0xFF00FF) * f) >> 8) & 0xFF00FF;
  std::uint32_t green = (((a & 0xFF00) * g + (b & 0xFF00) * f) >> 8) & 0xFF00;
  return redBlue | green;
}

inline std::uint32_t SampleBilinear(const Texture& t, std::int32_t s, std::int32_t u) {
  int w = t.width(), h = t.height();
  bool p2 = t.powerOfTwo();
  std::int32_t i0 = s >> 16, j0 = u >> 16;
  std::uint32_t fs = (static_cast<std::uint32_t>(s) >> 8) & 0xFF;
  std::uint32_t fu = (static_cast<std::uint32_t>(u) >> 8) & 0xFF;
  int x0 = WrapTexel(i0, w, p2), x1 = WrapTexel(i0 + 1, w, p2);
  const std::uint32_t* row0 = t.widened() + WrapTexel(j0, h, p2) * w;
  const std::uint32_t* row1 = t.widened() + WrapTexel(j0 + 1, h, p2) * w;
  return LerpColour(LerpColour(row0[x0], row0[x1], fs), LerpColour(row1[x0], row1[x1], fs), fu);
}

// The stored 16-bit value of the texel nearest the sample point.
inline std::uint16_t NearestTexel(const Texture& t, std::int32_t s, std::int32_t u) {
  bool p2 = t.powerOfTwo();
  // Half a texel on, modulo 2^32 as the wide loops add: positions near 2^31 wrap instead of
  // overflowing.
  const auto rounded = [](std::int32_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) + 0x8000u) >> 16;
  };
  int x = WrapTexel(rounded(s), t.width(), p2);
  int y = WrapTexel(rounded(u), t.height(), p2);
  return t.pixels()[y * t.width() + x];
}

// Texture times diffuse per channel: (t * (d + 1)) >> 8, so white keeps the texel and black
// gives black.
inline std::uint32_t Modulate(std::uint32_t texel, std::uint32_t diffuse) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    std::uint32_t t = (texel >> shift) & 0xFF, d = (diffuse >> shift) & 0xFF;
    out |= ((t * (d + 1)) >> 8) << shift;
  }
  return out;
}

inline std::uint32_t AddSaturated(std::uint32_t a, std::uint32_t b) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    std::uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF);
    out |= (sum > 255 ? 255 : sum) << shift;
  }
  return out;
}

inline std::uint16_t NarrowColour(std::uint32_t c) {
  return NarrowRgb888((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

inline std::uint32_t PackColour(const std::uint8_t* rgb) {
  return static_cast<std::uint32_t>(rgb[0]) << 16 | static_cast<std::uint32_t>(rgb[1]) << 8 | rgb[2];
}

// An interpolated colour channel, rounded and clamped to 0..255.
inline std::uint8_t InterpolatedByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
}

// The 16-bit depth of z: 0 at or before the near plane, 0xFFFF from the far plane on.
inline std::uint16_t DepthValue(double z) {
  if (!(z > 0)) return 0;
  if (z >= 1) return 0xFFFF;
  return static_cast<std::uint16_t>(z * 65535.0);
}

// Frame pixels: R5G6B5 words, or 0x00RRGGBB words in true colour (no truncation).
inline std::uint32_t LoadPixel(const std::uint16_t* pixel) { return WidenRgb565(*pixel); }
inline std::uint32_t LoadPixel(const std::uint32_t* pixel) { return *pixel; }
inline void PutPixel(std::uint16_t* pixel, std::uint32_t colour) { *pixel = NarrowColour(colour); }
inline void PutPixel(std::uint32_t* pixel, std::uint32_t colour) { *pixel = colour; }

template <class Pixel>
inline void StoreColour(Pixel* pixel, std::uint32_t colour, bool additive) {
  if (additive) colour = AddSaturated(LoadPixel(pixel), colour);
  PutPixel(pixel, colour);
}

inline bool KeyedTexel(const Texture& texture, std::int32_t s, std::int32_t t) {
  std::uint16_t texel = NearestTexel(texture, s, t);
  return texel >= texture.sourceKeyLow && texel <= texture.sourceKeyHigh;
}
