#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "assets/loader.h"
#include "headless_device.h"
#include "render/light.h"
#include "render/quad.h"
#include "shell/graphics.h"

namespace {

using Kind = d3drec::Call::Kind;

class QuadTest : public ToolkitTest {
 protected:
  // Draws one quad and returns its four recorded vertices (the device records only a
  // four-vertex TL triangle strip).
  std::vector<D3DTLVERTEX> Draw(float size, float angle, int brightness, float dx = 0.0f, float dy = 0.0f) {
    DrawQuad(size, angle, brightness, dx, dy);
    const auto draws = CallsOf(Kind::DrawPrimitive);
    EXPECT_EQ(draws.size(), 1u);
    if (draws.empty()) return {};
    return draws[0].tlVertices;
  }
};

void ExpectCorner(const D3DTLVERTEX& v, float x, float y, float tolerance = 1e-3f) {
  EXPECT_NEAR(v.sx, x, tolerance);
  EXPECT_NEAR(v.sy, y, tolerance);
}

TEST_F(QuadTest, FullScreenCornersInStripOrderWithFixedDepth) {
  const auto v = Draw(1.0f, 0.0f, 255, 0.0f, 0.0f);
  ASSERT_EQ(v.size(), 4u);
  ExpectCorner(v[0], 0.0f, 0.0f, 0.0f);
  ExpectCorner(v[1], 639.0f, 0.0f, 0.0f);
  ExpectCorner(v[2], 0.0f, 479.0f, 0.0f);
  ExpectCorner(v[3], 639.0f, 479.0f, 0.0f);
  for (const D3DTLVERTEX& corner : v) {
    std::uint32_t depthBits;
    std::memcpy(&depthBits, &corner.sz, 4);
    EXPECT_EQ(depthBits, 0x3F7FFF58u);
    EXPECT_EQ(corner.rhw, 1.0f);
    EXPECT_EQ(corner.color, 0xFFFFFFu);
    EXPECT_EQ(corner.specular, 0u);
  }
}

TEST_F(QuadTest, SizeShiftAndStretchScaleAboutTheCentre) {
  auto v = Draw(0.0f, 100.0f, 255, 12.5f, -7.0f);
  for (const D3DTLVERTEX& corner : v) ExpectCorner(corner, 332.5f, 233.0f, 0.0f);

  d3drec::ClearCalls();
  v = Draw(-1.0f, 0.0f, 255);  // a negative size mirrors through the centre
  ExpectCorner(v[0], 640.0f, 480.0f, 0.0f);
  ExpectCorner(v[3], 1.0f, 1.0f, 0.0f);

  d3drec::ClearCalls();
  QuadStretch = {2.0f, 1.0f};
  v = Draw(1.0f, 0.0f, 255);
  ExpectCorner(v[0], -320.0f, 0.0f, 0.0f);
  ExpectCorner(v[3], 958.0f, 479.0f, 0.0f);

  d3drec::ClearCalls();
  QuadStretch = {1.0f, 0.5f};
  v = Draw(0.5f, 0.0f, 255, 10.0f, 20.0f);
  ExpectCorner(v[0], 320.0f - 160.0f + 10.0f, 240.0f - 60.0f + 20.0f, 0.0f);
}

TEST_F(QuadTest, AnglesTurnAnticlockwiseAsSeen) {
  // A quarter turn: top left (-320, -240) goes to (-240, 320) from the centre, bottom left.
  auto v = Draw(1.0f, 256.0f, 255);
  ExpectCorner(v[0], 320.0f - 240.0f, 240.0f + 320.0f);
  ExpectCorner(v[1], 320.0f - 240.0f, 240.0f - 319.0f);
  ExpectCorner(v[3], 320.0f + 239.0f, 240.0f - 319.0f);
  // WorkVector keeps the last corner's turned offsets.
  EXPECT_NEAR(WorkVector.x, 239.0f, 1e-3f);
  EXPECT_NEAR(WorkVector.y, -319.0f, 1e-3f);

  d3drec::ClearCalls();
  v = Draw(1.0f, 512.0f, 255);  // upside down
  ExpectCorner(v[0], 640.0f, 480.0f);
  ExpectCorner(v[3], 1.0f, 1.0f);

  // The angle unit is 3.14159 / 512 as a float, not pi / 512: a full turn misses by a little.
  d3drec::ClearCalls();
  v = Draw(1.0f, 1024.0f, 255);
  const float radians = 1024.0f * 0.0061359182f;
  EXPECT_FLOAT_EQ(v[0].sx, -320.0f * std::cos(radians) + -240.0f * std::sin(radians) + 320.0f);
  EXPECT_NE(v[0].sx, 0.0f);
}

TEST_F(QuadTest, OnlyTheLowEightBitsOfBrightnessCount) {
  const struct {
    int brightness;
    D3DCOLOR colour;
  } cases[] = {{0, 0x000000}, {1, 0x010101}, {128, 0x808080}, {256, 0x000000}, {300, 0x2C2C2C}, {-1, 0xFFFFFF}};
  for (const auto& c : cases) {
    d3drec::ClearCalls();
    const auto v = Draw(1.0f, 0.0f, c.brightness);
    for (const D3DTLVERTEX& corner : v) EXPECT_EQ(corner.color, c.colour) << "brightness " << c.brightness;
  }
}

TEST_F(QuadTest, TextureSpansOneWholeTextureFromTheOrigin) {
  QuadTexOrigin = {0.5f, -0.25f};
  const auto v = Draw(0.3f, 77.0f, 255);
  const float expected[4][2] = {{0.5f, -0.25f}, {1.5f, -0.25f}, {0.5f, 0.75f}, {1.5f, 0.75f}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(v[k].tu, expected[k][0]);
    EXPECT_EQ(v[k].tv, expected[k][1]);
  }
}

TEST_F(QuadTest, QuadIsDrawnWithDepthTestingOffAndLeavesItOff) {
  DepthTestOn();
  Draw(1.0f, 0.0f, 255);
  const auto draws = CallsOf(Kind::DrawPrimitive);
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].states.zEnable, D3DZB_FALSE);
  DWORD z = D3DZB_TRUE;
  Device->GetRenderState(D3DRENDERSTATE_ZENABLE, &z);
  EXPECT_EQ(z, D3DZB_FALSE);
}

TEST_F(QuadTest, StateHelpersSetTheirStatesInOrder) {
  AdditiveBlendOn();
  BlendOff();
  DepthTestOn();
  DepthTestOff();
  const auto states = CallsOf(Kind::SetRenderState);
  const DWORD expected[][2] = {{D3DRENDERSTATE_ALPHABLENDENABLE, TRUE}, {D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE},
                               {D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE}, {D3DRENDERSTATE_ALPHABLENDENABLE, FALSE},
                               {D3DRENDERSTATE_ZENABLE, D3DZB_TRUE},     {D3DRENDERSTATE_ZENABLE, D3DZB_FALSE}};
  ASSERT_EQ(states.size(), std::size(expected));
  for (std::size_t k = 0; k < states.size(); ++k) {
    EXPECT_EQ(states[k].state, expected[k][0]) << k;
    EXPECT_EQ(states[k].value, expected[k][1]) << k;
  }
}

TEST_F(QuadTest, FeedbackCopyGoesFromTheBackBufferIntoRenderTextureTwo) {
  CopyBackBufferToTexture();
  const auto copies = CallsOf(Kind::LoadTextureFromSurface);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].texture, RenderTextures[2]);
  EXPECT_EQ(copies[0].source, BackBuffer);
}

}  // namespace
