// Entries 13, 15, 17, 22 and 23: the cylinder body under last frame's camera, its clocks, the
// trail copy, and what its wrappers add and hand on.
#include <cmath>

#include "assets/loader.h"
#include "late_scene_test.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using CylinderTest = LateSceneTest;

TEST_F(CylinderTest, BodyLightsFromLastFramesCameraAndCopiesObjectsButNotTrails) {
  ViewOffset = {7.0f, -30.0f, 3.0f};  // as the previous frame left it
  RunFrame(CylinderSceneTrail, 1.0f);
  EXPECT_EQ(Lights[0].position.y, 30.0f);
  EXPECT_EQ(Lights[0].position.z, -7.0f);
  EXPECT_EQ(Lights[1].position.y, 30.0f);

  // t = 0: camera yaw 0, pitch a quarter turn, field of view 80 degrees.
  const Vector3 offset = {20.0f * std::sin(0.005814815f * 50.0f), -200.0f, 20.0f * std::sin(0.00628f * 50.0f)};
  const auto place = [&](float x, float y, float z) {
    return CameraPoint({x + offset.x, y + offset.y, z + offset.z}, 0.0f, 256.0f);
  };
  const auto objects = Objects();
  ASSERT_GE(objects.size(), 3u);
  ExpectObjectAt(*objects[0], place(0, 0, 0));
  EXPECT_EQ(objects[0]->texture, TextureSlots[5]);
  EXPECT_NEAR(objects[0]->matrix._22, 1.0 / std::tan(40.0 * 0.017444444444444446), 1e-4);
  ExpectObjectAt(*objects[2], place(30, 0, 0));
  // The spikes whose centre stays in the view box, in order, textured from their normals.
  size_t next = 3;
  for (int i = -400; i < 600; i += 100) {
    const Vector3 at = place(0, static_cast<float>(i), 40.0f * std::sin(static_cast<float>(i)));
    if (at.z < 0 || at.z > 400 || std::fabs(at.x) > 400) continue;
    ASSERT_LT(next, objects.size());
    ExpectObjectAt(*objects[next], at);
    EXPECT_EQ(objects[next++]->lVertices[0].tv, 0.0f);
  }
  EXPECT_EQ(next, objects.size());

  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 10u);  // last frame's trail, eight glow trails, the slot-3 picture
  const auto copy = Draws(d3drec::Call::Kind::LoadTextureFromSurface);
  ASSERT_EQ(copy.size(), 1u);
  EXPECT_TRUE(copy[0] > objects.back() && copy[0] < quads[1]);
  ExpectQuad(*quads[8], {1.4f, 16.0f, 50});
  EXPECT_TRUE(quads[9]->texture == TextureSlots[3] && quads[9]->states.colorKey);
  ExpectQuad(*quads[9], {0.7f + 0.1f * std::cos(0.03925f * 2.0f), -512.0f, 255, 140.0f, -170.0f});
  EXPECT_EQ(ForceEnvMap, 0);
  EXPECT_EQ(NormalScale, 1.0f);
}

TEST_F(CylinderTest, PhaseClockStopsAt256AndOnlyTheSidewaysSwayFreezes) {
  PhaseClock = 255.0f;
  RunFrame(CylinderSceneTrail, 0.0f);
  EXPECT_EQ(PhaseClock, 255.0f);
  RunFrame(CylinderSceneTrail, 1.0f);
  RunFrame(CylinderSceneTrail, 1.0f);  // sways from 256
  EXPECT_EQ(PhaseClock, 256.0f);
  const Vector3 sway = ViewOffset;
  RunFrame(CylinderSceneTrail, 1.0f);
  EXPECT_EQ(ViewOffset.x, sway.x);
  EXPECT_EQ(ViewOffset.z, sway.z);
  EXPECT_NE(ViewOffset.y, sway.y);
  EXPECT_EQ(EffectClock, 6.0f);
}

TEST_F(CylinderTest, FrameVariantDecodesKoneFrameTwoOnlyOnItsFirstFrame) {
  for (int frame = 0; frame < 3; ++frame) {
    RunFrame(CylinderSceneFrame, 1.0f);
    ASSERT_EQ(Uploads().size(), frame == 0 ? 1u : 0u);
    if (frame == 0) {
      EXPECT_EQ(UploadedFrame(1, NoPostProcess), 2);
    }
    ASSERT_EQ(Quads().size(), 11u);
    EXPECT_TRUE(Quads()[9]->texture == RenderTextures[1] && Quads()[9]->states.alphaBlend);
  }
}

TEST_F(CylinderTest, InsetVariantsAfterSpikeScenesStartEnvironmentMappedForOneFrame) {
  const std::pair<void (*)(), float> variants[] = {{CylinderSceneInsetHalf, 0.5f}, {CylinderSceneInsetFull, 1.0f}};
  for (auto [scene, size] : variants) {
    ForceEnvMap = 1;  // as entries 18 and 19 leave it
    RunFrame(scene, 1.0f);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Objects()[k]->lVertices[0].tv, 0.0f) << k;
    RunFrame(scene, 1.0f);
    for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(Objects()[k]->lVertices[0].tv, 2.0f) << k;
    const auto quads = Quads();
    ASSERT_EQ(quads.size(), 12u);
    ExpectQuad(*quads[10], {size, 0.0f, 255});
    ExpectQuad(*quads[11], {0.35f, 0.0f, 180, 120.0f, 0.0f}, -1.0f);  // mirrored
    EXPECT_EQ(QuadStretch.x, 1.0f);
  }
}

}  // namespace
