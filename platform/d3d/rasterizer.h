// Triangle rasterizer of the software device: the top-left fill rule with pixel centres at integer
// coordinates, 8 bits of sub-pixel precision, perspective-correct Gouraud colours and texture
// coordinates, bilinear wrapped sampling, modulate and specular add, additive or no blending into
// the R5G6B5 frame (or a true-colour one), 16-bit LESSEQUAL depth and source colour keys.
//
// A batch is built on the demo's thread (vertices already in screen space, guard-band clipped),
// then queued and rasterized with the others by the worker pool (draw_queue.h). Every pixel's
// value depends only on the triangle and the pixel's position, never on the band it fell in, so
// pictures are the same bit for bit for any thread count. Work is skipped only where the picture provably stays the same:
// additive layers of black, and additive texels that modulate to black (live_blocks.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d/d3d7.h"
#include "platform/d3d/texture.h"

// A vertex in screen pixels. q = 1/w; attributes are stored multiplied by q so that every field
// is affine in screen space (clipping and interpolation are then linear).
struct ScreenVertex {
  static constexpr int kAttributes = 8;  // u, v, diffuse r, g, b, specular r, g, b (colours 0..255)
  float x, y, z, q;
  float attributes[kAttributes];
};

struct DrawSettings {
  const Texture* texture = nullptr;
  bool additive = false;     // ONE/ONE blending with saturation; else the colour is written
  bool depthTest = false;    // LESSEQUAL against the 16-bit buffer
  bool depthWrite = false;   // only with depthTest
  bool colourKey = false;    // drop pixels whose nearest texel is within the texture's source key
  bool specular = false;     // add the specular colour after texturing
  DWORD cullMode = D3DCULL_NONE;
  // Additive quads: the texture's live blocks under liveDiffuse (live_blocks.h), or null.
  const std::uint8_t* liveBlocks = nullptr;
  std::uint32_t liveDiffuse = 0;
};

struct RenderTarget {
  std::uint16_t* colour;  // R5G6B5 frame, rows packed (unused in true colour)
  std::uint16_t* depth;
  int width, height;      // 640 x 480 times the rendering's scale
  std::uint32_t* trueColour = nullptr;  // set: the frame is 0x00RRGGBB pixels, drawn without truncation
};

class TriangleBatch {
 public:
  void Clear() {
    vertices_.clear();
    insideGuardBand_.clear();
    triangles_.clear();
  }
  int AddVertex(const ScreenVertex& v);
  // In drawing order; a triangle that leaves the guard band is clipped to it here.
  void AddTriangle(int a, int b, int c);
  bool empty() const { return triangles_.empty(); }

  const std::vector<ScreenVertex>& vertices() const { return vertices_; }
  struct Triangle {
    int v[3];
  };
  const std::vector<Triangle>& triangles() const { return triangles_; }

 private:
  std::vector<ScreenVertex> vertices_;
  std::vector<std::uint8_t> insideGuardBand_;  // per vertex, found once for all its triangles
  std::vector<Triangle> triangles_;
};
