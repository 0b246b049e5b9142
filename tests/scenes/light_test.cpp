#include <gtest/gtest.h>

#include <cmath>

#include "scene_test.h"
#include "render/light.h"
#include "render/object.h"

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

}  // namespace
