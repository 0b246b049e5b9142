// The software device behind IDirect3DDevice7: render states, the bound texture, the transforms,
// the back buffer and the 16-bit depth buffer, and the two draw paths (screen-space triangle
// strips, projected indexed triangle lists).
//
// One device exists for the whole process; each new context resets it to the context's defaults,
// so interfaces handed out earlier stay valid.
//
// Rendering: the demo always speaks in the 640 x 480 screen space. At scale K the device draws it
// at 640K x 480K: transformed vertices and the viewport are multiplied by K (a pixel's edges land
// on the K-times grid, so the fill rule keeps its meaning), the depth buffer grows alike, and
// textures that receive copies of the frame hold K-times the texels. In true colour the frame and
// those copies keep 8 bits a channel. Scale 1 in 16 bits is the exact picture.
//
// All calls come from the demo's thread. Draws are queued (rasterizer.h) and rasterized together
// when the frame, the depth buffer or a texture is next read or written, so a texture written
// between two draws is still seen by the later one only.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d/d3d7.h"
#include "platform/d3d/draw_queue.h"
#include "platform/d3d/rasterizer.h"
#include "platform/d3d/texture.h"

class SoftwareDevice {
 public:
  static constexpr int kWidth = 640, kHeight = 480;
  static constexpr DWORD kRenderStateCount = 256;

  SoftwareDevice();
  ~SoftwareDevice();
  static SoftwareDevice& Instance();

  // Render states at their Direct3D 7 defaults, identity transforms, no texture, black frame.
  void Reset();
  // Sets the rendering (scale 1 .. Texture::kMaxScale) for the contexts to come; the frame and
  // the depth buffer take its size, textures made afterwards its colour depth.
  void Configure(int scale, bool trueColour);
  int scale() const { return scale_; }
  bool trueColour() const { return trueColour_; }
  int frameWidth() const { return kWidth * scale_; }
  int frameHeight() const { return kHeight * scale_; }

  // The frame: 640 x 480 logical, frameWidth() x frameHeight() stored; in true colour its
  // widened() texels are the picture.
  // Both rasterize the queued draws first.
  Texture& backBuffer() {
    FlushDraws();
    return backBuffer_;
  }
  std::uint16_t* depthBuffer() {
    FlushDraws();
    return depth_.data();
  }

  DWORD renderState(D3DRENDERSTATETYPE state) const { return renderStates_[state]; }
  bool SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  bool SetTextureStageState(D3DTEXTURESTAGESTATETYPE state, DWORD value);
  IDirectDrawSurface7* boundTexture() const { return boundTexture_; }
  void BindTexture(IDirectDrawSurface7* surface);  // keeps a reference, as Direct3D does
  D3DMATRIX* transform(D3DTRANSFORMSTATETYPE state);

  // Colour 0 and depth 1.0.
  void Clear(DWORD flags);
  void DrawTriangleStrip(const D3DTLVERTEX* vertices, DWORD count);
  // Indices at or past vertexCount skip their triangle.
  void DrawIndexedTriangleList(const D3DLVERTEX* vertices, DWORD vertexCount, const WORD* indices,
                               DWORD indexCount);

  DrawSettings settings() const;
  RenderTarget renderTarget();

 private:
  int scale_ = 1;
  bool trueColour_ = false;
  Texture backBuffer_;
  std::vector<std::uint16_t> depth_;
  std::array<DWORD, kRenderStateCount> renderStates_{};
  IDirectDrawSurface7* boundTexture_ = nullptr;
  D3DMATRIX world_{}, view_{}, projection_{};
  TriangleBatch batch_;  // reused by every draw
  // The live blocks last found, for which texture generation and diffuse colour: the layers of a
  // frame mostly repeat one texture under one colour.
  std::vector<std::uint8_t> liveBlocks_;
  std::uint64_t liveGeneration_ = 0;
  std::uint32_t liveDiffuse_ = 0;
  bool liveWorthTesting_ = false;
};
