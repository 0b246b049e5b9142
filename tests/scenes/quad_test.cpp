#include <gtest/gtest.h>

#include "assets/loader.h"
#include "scene_test.h"
#include "render/light.h"
#include "render/quad.h"
#include "shell/graphics.h"

namespace {

using Kind = d3drec::Call::Kind;

class QuadTest : public ToolkitTest {
 protected:
  // The four recorded vertices of one quad (the device records only a 4-vertex TL strip).
  std::vector<D3DTLVERTEX> Draw(float size, float angle, int brightness, float dx = 0.0f, float dy = 0.0f) {
    d3drec::ClearCalls();
    DrawQuad(size, angle, brightness, dx, dy);
    const auto draws = CallsOf(Kind::DrawPrimitive);
    EXPECT_EQ(draws.size(), 1u);
    return draws.empty() ? std::vector<D3DTLVERTEX>(4) : draws[0].tlVertices;
  }
};

void ExpectCorner(const D3DTLVERTEX& v, float x, float y, float tolerance = 0.0f) {
  EXPECT_NEAR(v.sx, x, tolerance);
  EXPECT_NEAR(v.sy, y, tolerance);
}

TEST_F(QuadTest, CornersScaleAboutTheCentreAndShift) {
  auto v = Draw(1.0f, 0.0f, 255);
  ExpectCorner(v[0], 0.0f, 0.0f);
  ExpectCorner(v[1], 639.0f, 0.0f);
  ExpectCorner(v[2], 0.0f, 479.0f);
  ExpectCorner(v[3], 639.0f, 479.0f);
  for (const D3DTLVERTEX& corner : Draw(0.0f, 100.0f, 255, 12.5f, -7.0f)) ExpectCorner(corner, 332.5f, 233.0f);
  v = Draw(-1.0f, 0.0f, 255);  // a negative size mirrors through the centre
  ExpectCorner(v[0], 640.0f, 480.0f);
  ExpectCorner(v[3], 1.0f, 1.0f);
  QuadStretch = {2.0f, 1.0f};
  v = Draw(1.0f, 0.0f, 255);
  ExpectCorner(v[0], -320.0f, 0.0f);
  ExpectCorner(v[3], 958.0f, 479.0f);
  QuadStretch = {1.0f, 0.5f};
  ExpectCorner(Draw(0.5f, 0.0f, 255, 10.0f, 20.0f)[0], 170.0f, 200.0f);
}

TEST_F(QuadTest, AnglesTurnAnticlockwiseAsSeen) {
  // A quarter turn: top left (-320, -240) goes to (-240, 320) from the centre, bottom left.
  auto v = Draw(1.0f, 256.0f, 255);
  ExpectCorner(v[0], 80.0f, 560.0f, 1e-3f);
  ExpectCorner(v[1], 80.0f, -79.0f, 1e-3f);
  ExpectCorner(v[3], 559.0f, -79.0f, 1e-3f);
  // WorkVector keeps the last corner's turned offsets.
  EXPECT_NEAR(WorkVector.x, 239.0f, 1e-3f);
  EXPECT_NEAR(WorkVector.y, -319.0f, 1e-3f);
  v = Draw(1.0f, 512.0f, 255);  // upside down
  ExpectCorner(v[0], 640.0f, 480.0f, 1e-3f);
  ExpectCorner(v[3], 1.0f, 1.0f, 1e-3f);
}

TEST_F(QuadTest, GreyFromTheLowEightBitsAndOneWholeTextureFromTheOrigin) {
  const struct {
    int brightness;
    D3DCOLOR colour;
  } cases[] = {{0, 0x000000}, {128, 0x808080}, {255, 0xFFFFFF}, {256, 0x000000}, {300, 0x2C2C2C}, {-1, 0xFFFFFF}};
  for (const auto& c : cases) {
    for (const D3DTLVERTEX& corner : Draw(1.0f, 0.0f, c.brightness)) EXPECT_EQ(corner.color, c.colour) << c.brightness;
  }
  QuadTexOrigin = {0.5f, -0.25f};
  const auto v = Draw(0.3f, 77.0f, 255);
  const float expected[4][2] = {{0.5f, -0.25f}, {1.5f, -0.25f}, {0.5f, 0.75f}, {1.5f, 0.75f}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(v[k].tu, expected[k][0]);
    EXPECT_EQ(v[k].tv, expected[k][1]);
  }
}

TEST_F(QuadTest, QuadTurnsDepthTestingOffAndTheCopyTakesTheBackBuffer) {
  DepthTestOn();
  Draw(1.0f, 0.0f, 255);
  EXPECT_EQ(CallsOf(Kind::DrawPrimitive)[0].states.zEnable, D3DZB_FALSE);
  DWORD z = D3DZB_TRUE;
  Device->GetRenderState(D3DRENDERSTATE_ZENABLE, &z);
  EXPECT_EQ(z, D3DZB_FALSE);


  CopyBackBufferToTexture();
  const auto copies = CallsOf(Kind::LoadTextureFromSurface);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies[0].texture, RenderTextures[2]);
  EXPECT_EQ(copies[0].source, BackBuffer);
}

}  // namespace
