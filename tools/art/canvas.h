// A picture being made: width x height pixels of linear-ish RGB floats (0..1 is the displayable
// range), rows top to bottom. Generators paint into it; the writers turn it into 8-bit RGB.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/art/vec.h"

namespace art {

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<Vec3> pixels;

  Canvas() = default;
  Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
  Vec3& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Vec3& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Coordinates taken modulo the size, for pictures that must tile.
  Vec3& Wrapped(int x, int y);
  // Bilinear sample at pixel coordinates (pixel centres at integers), clamped to the edges.
  Vec3 Sample(float x, float y) const;
};

// Separable Gaussian blur; wrap = true treats the picture as a tile (no seams at the borders).
Canvas Blur(const Canvas& source, float sigma, bool wrap);

// 8-bit RGB, three bytes a pixel, rows top to bottom. Values are clamped to 0..1 and rounded.
std::vector<std::uint8_t> ToRgb8(const Canvas& canvas);

// Makes a picture safe for colour keying: a pixel whose 8-bit value would be keyed out
// (red below 8 and green below 72) becomes exactly black when it is dimmer than cutoff (0..1
// luminance), and is raised to the dimmest colour the key keeps otherwise. Black stays black.
void SeparateFromKey(Canvas& canvas, float cutoff);

// True when a 24-bit colour survives a source colour key covering 16-bit values up to limit.
bool SurvivesKey(std::uint8_t r, std::uint8_t g, std::uint8_t b, unsigned limit);

float Luminance(Vec3 c);

}  // namespace art
