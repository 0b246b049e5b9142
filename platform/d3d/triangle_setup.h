// The rasterizer's two halves for one triangle: set-up (fixed-point corners sorted by row, the
// rows covered, the planes of depth, 1/w and the attributes) and the shading of its rows. The
// draw queue (draw_queue.h) runs both on the workers.
#pragma once

#include <cstdint>

#include "platform/d3d/rasterizer.h"

// A plane a(x, y) = base + dx * x + dy * y over pixel coordinates.
struct Plane {
  double base, dx, dy;
  double RowStart(int y) const { return base + dy * y; }
};

struct TriangleSetup {
  std::int64_t x[3], y[3];  // fixed point, sorted by y
  bool longEdgeLeft;        // the edge from vertex 0 to vertex 2 bounds the left side
  int rowFirst, rowEnd;
  Plane z, q, attributes[ScreenVertex::kAttributes];
  bool affine;      // q is the same everywhere: attributes need no per-pixel divide
  bool flatColour;  // diffuse and specular the same at all three corners
  std::uint8_t diffuse[3], specular[3];
};

// False when the triangle is culled, degenerate or off screen.
bool SetupTriangle(const ScreenVertex* v[3], const DrawSettings& settings, const RenderTarget& target,
                   TriangleSetup& t);

// Shades the triangle's spans in rows [rowFirst, rowEnd) of the target.
void RasterizeRows(const TriangleSetup& t, const DrawSettings& settings, const RenderTarget& target,
                   int rowFirst, int rowEnd);
