// Shading of one row span of a triangle: depth test, colour (Gouraud or flat, perspective-correct
// or affine), texture sample and colour key, modulate, specular add, blend, store.
#pragma once

#include <cstdint>

#include "platform/d3d/rasterizer.h"
#include "platform/d3d/triangle_setup.h"

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

// The spans of a flat, affine triangle drawn without depth (a screen quad's). Everything but where
// a row starts on the texture is the same on every row, so it is worked out once.
class FlatQuadShader {
 public:
  FlatQuadShader(const TriangleSetup& t, const DrawSettings& settings, const RenderTarget& target);
  // Pixels [xFirst, xEnd) of row y, inside the target.
  void Shade(int y, int xFirst, int xEnd) const;

 private:
  template <class Pixel>
  void ShadeRow(Pixel* row, int y, int xFirst, int xEnd) const;

  const RenderTarget& target_;
  const Plane &u_, &v_;
  const Texture* texture_;  // null: fill
  std::uint32_t diffuse_, specular_;
  std::uint32_t ds_, dt_;   // per pixel, as the span loops take them
  std::uint32_t fill_;      // without a texture
  bool additive_, colourKey_, powerOfTwo_;
  bool nothing_;            // texture times black, added
  const std::uint8_t* liveBlocks_;
};
