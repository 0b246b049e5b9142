// Shading of one row span of a triangle: depth test, colour (Gouraud or flat, perspective-correct
// or affine), texture sample and colour key, modulate, specular add, blend, store.
#pragma once

#include <cstdint>

#include "platform/d3d/rasterizer.h"

// A value along a row: start + dx * x at pixel column x.
struct RowGradient {
  double start, dx;
  double At(int x) const { return start + dx * x; }
};

struct SpanInput {
  int y, xFirst, xEnd;  // pixels [xFirst, xEnd) of row y, inside the target
  RowGradient z, q;
  // Multiplied by q, or plain when affine.
  RowGradient attributes[ScreenVertex::kAttributes];
  bool affine, flatColour;
  std::uint8_t diffuse[3], specular[3];  // when flatColour
};

class SpanShader {
 public:
  SpanShader(const DrawSettings& settings, const RenderTarget& target)
      : settings_(settings), target_(target) {}
  void Shade(const SpanInput& span) const;

 private:
  template <class Pixel>
  void ShadeAffineFlat(const SpanInput& span, Pixel* row) const;

  const DrawSettings& settings_;
  const RenderTarget& target_;
};
