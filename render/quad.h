// Screen-space toolkit: render-state helpers, the textured quad and the back-buffer feedback copy.
//
// DrawQuad draws one textured 640 x 480 rectangle scaled about the screen centre, turned and
// shifted, at depth 0.99999 with depth testing off. Screen space: centre (320, 240), y grows
// downwards, offsets in pixels. Call between BeginScene and EndScene; the caller binds the
// stage-0 texture and picks the blending.
#pragma once

struct QuadScale {
  float x, y;
};

struct TexturePoint {
  float u, v;
};

// (1, 1): extra horizontal and vertical scale of every quad; scenes set it, nothing resets it.
extern QuadScale QuadStretch;
// (0, 0): texture coordinates of the top-left corner; the quad always spans one whole texture
// from there, so moving it scrolls the texture (wrap addressing).
extern TexturePoint QuadTexOrigin;

void AdditiveBlendOn();  // ALPHABLENDENABLE TRUE, SRCBLEND ONE, DESTBLEND ONE
void BlendOff();         // ALPHABLENDENABLE FALSE
void DepthTestOn();      // ZENABLE D3DZB_TRUE
void DepthTestOff();     // ZENABLE D3DZB_FALSE

// size 1.0 = screen size; angle in AngleUnits (positive turns anticlockwise as seen); only the
// low eight bits of brightness count (grey level of the vertex colour); dx, dy shift the centre.
// Leaves depth testing off and WorkVector x, y at corner 3's turned offsets.
void DrawQuad(float size, float angle, int brightness, float dx, float dy);

// The frame drawn so far, point-sampled into RenderTextures[2] (256 x 256).
void CopyBackBufferToTexture();
