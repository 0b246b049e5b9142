#include <gtest/gtest.h>

#include <cmath>

#include "headless_device.h"
#include "render/light.h"
#include "render/object.h"
#include "render/projection.h"

namespace {

using LightTest = ToolkitTest;

void ExpectPosition(const LightRecord& light, float x, float y, float z) {
  EXPECT_NEAR(light.position.x, x, 1e-3f);
  EXPECT_NEAR(light.position.y, y, 1e-3f);
  EXPECT_NEAR(light.position.z, z, 1e-3f);
}

TEST_F(LightTest, LightsSitOnTheirSphereTurnedXThenYThenZAndTouchNothingElse) {
  for (int i = 0; i < MaxLights; ++i) Lights[i].intensity = static_cast<float>(100 + i);
  LightCount = 3;
  LightParams = {0.0f, 0.0f, 0.0f, 200.0f, 0.25f, 0.5f, 0.75f, 50.0f, 1};
  PlaceLight(0);
  ExpectPosition(Lights[0], 0.0f, 0.0f, 50.0f);
  EXPECT_EQ(Lights[0].falloff, 4.0f);
  EXPECT_EQ(Lights[0].green, 0.5f);
  EXPECT_EQ(Lights[0].allowNegative, 1);
  for (int i : {1, 2, 3, 9}) EXPECT_EQ(Lights[i].intensity, static_cast<float>(100 + i));
  EXPECT_EQ(LightCount, 3);

  LightParams.angleY = 256.0f;
  PlaceLight(1);
  ExpectPosition(Lights[1], -50.0f, 0.0f, 0.0f);

  LightParams = {};
  LightParams.distance = 50.0f;
  LightParams.angleX = 256.0f;
  PlaceLight(2);
  ExpectPosition(Lights[2], 0.0f, -50.0f, 0.0f);

  // X first, then Z: (0, -50, 0) turned a quarter about z lands on (-50, 0, 0). The other order
  // would leave it at (0, -50, 0).
  LightParams.angleZ = 256.0f;
  PlaceLight(3);
  ExpectPosition(Lights[3], -50.0f, 0.0f, 0.0f);
}

TEST(ProjectionTest, MatrixFromFieldOfViewAndPlanesShrinksAsTheFieldWidens) {
  const D3DMATRIX m = BuildProjection(0.01f, 10000.0f, 1.5707964f);
  EXPECT_NEAR(m._11, 0.75f, 1e-6f);
  EXPECT_NEAR(m._22, 1.0f, 1e-6f);
  EXPECT_EQ(m._33, 1.000001f);
  EXPECT_EQ(m._43, -0.01000001f);
  EXPECT_EQ(m._34, 1.0f);
  const float others[] = {m._12, m._13, m._14, m._21, m._23, m._24, m._31, m._32, m._41, m._42, m._44};
  for (float value : others) EXPECT_EQ(value, 0.0f);
  // The scenes convert degrees with 3.14 / 180 in double precision.
  const auto fov = [](double degrees) { return static_cast<float>(degrees * 0.017444444444444446); };
  const D3DMATRIX wide = BuildProjection(0.01f, 10000.0f, fov(150.0));
  EXPECT_GT(BuildProjection(0.01f, 10000.0f, fov(60.0))._22, wide._22);
  EXPECT_NEAR(wide._22, 0.268f, 2e-3f);
  EXPECT_NEAR(wide._11, 0.75f * wide._22, 1e-6f);
  EXPECT_EQ(BuildProjection(1.0f, 100.0f, 1.0f)._33, static_cast<float>(100.0 / 99.0));
}

}  // namespace
