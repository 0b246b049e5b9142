// Entries 12 and 21: the item timer the cylinder inherits from the pullo scenes, the lights that
// settle after the first frame, and the talo scene's early clock step.
#include <cmath>

#include "assets/loader.h"
#include "assets/post_process.h"
#include "late_scene_test.h"
#include "render/light.h"
#include "render/object.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using ItemCylinderTest = LateSceneTest;
using TaloTest = LateSceneTest;

TEST_F(ItemCylinderTest, ShowsTheFrameBeforeTheAdvanceAndWrapsAtTheFrameCount) {
  SetStream(0, 5);  // offsetCount 6
  const float cases[][4] = {{3.9f, 0.2f, 3, 4.1f}, {4.9f, 0.2f, 4, 0.0f}, {7.5f, 0.2f, 0, 0.0f}};
  for (const auto& [timer, delta, shown, after] : cases) {
    FrameStepTimerC = timer;
    RunFrame(ItemCylinderScene, delta);
    ASSERT_EQ(Uploads().size(), 1u);
    EXPECT_EQ(Uploads()[0]->texture, RenderTextures[0]);
    EXPECT_EQ(UploadedFrame(0, NoPostProcess), shown) << timer;
    EXPECT_FLOAT_EQ(FrameStepTimerC, after) << timer;
  }
}

TEST_F(ItemCylinderTest, LightsFollowTheInheritedCameraOnceThenStandStill) {
  ViewOffset = {5.0f, -40.0f, 0.0f};
  PhaseClock = 300.0f;  // no cap in this scene
  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_EQ(Lights[0].position.y, 40.0f);
  EXPECT_EQ(Lights[0].position.z, -5.0f);
  EXPECT_EQ(PhaseClock, 302.0f);
  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 4u);
  const Vector3 sway = {40.0f * std::sin(0.005814815f * 300.0f), -30.0f, 30.0f * std::sin(0.00628f * 300.0f)};
  ExpectObjectAt(*objects[0], CameraPoint({sway.x, 50.0f + sway.y, sway.z}, 0.0f, 0.0f));
  EXPECT_EQ(objects[0]->texture, RenderTextures[0]);
  EXPECT_FLOAT_EQ(objects[0]->lVertices[0].tv, 4.0f);  // stored coordinates x 8
  ExpectObjectAt(*objects[3], {0.0f, 0.0f, 0.0f});     // the spike, after the offset is zeroed
  ASSERT_EQ(Quads().size(), 7u);
  EXPECT_EQ(Copies(), 1);
  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_EQ(Lights[0].position.y, 0.0f);
  EXPECT_EQ(Lights[1].position.z, -20.0f);
}

TEST_F(TaloTest, LightsUseTheClockOnEntryAndEverythingElseTheAdvancedOne) {
  EffectClock = 10.0f;
  ViewOffset = {1.0f, 2.0f, 3.0f};
  RunFrame(TaloScene, 0.5f);
  EXPECT_EQ(EffectClock, 10.5f);
  LightParams = {0.4f * 10.0f, 3.0f * 10.0f + 512.0f, 20.0f, 2400.0f, 1.0f, 0.7f, 0.4f, 40.0f, 0};
  PlaceLight(9);
  EXPECT_EQ(Lights[0].position.x, Lights[9].position.x);
  EXPECT_EQ(Lights[0].position.z, Lights[9].position.z);
  EXPECT_EQ(Lights[1].position.z, -3.0f);  // at the previous frame's camera

  const double fov = (60.0 + 40.0 * std::sin(0.0785 * 10.5)) * 0.017444444444444446;
  const float depth = 10.0f * (std::sin(0.0628f * 10.5f) + 1.0f);
  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_NEAR(objects[0]->matrix._22, 1.0 / std::tan(fov / 2), 1e-4);
  ExpectObjectAt(*objects[0], CameraPoint({0.0f, -40.0f, depth}, 0.0f, 50.0f));
  EXPECT_EQ(objects[2]->states.zEnable, DWORD{D3DZB_FALSE});  // left off by the band quad
  EXPECT_EQ(Quads().size(), 11u);
  EXPECT_EQ(Copies(), 2);
}

TEST_F(TaloTest, ItemTimerWrapsBeforeTheUpload) {
  SetStream(0, 3);
  FrameStepTimerD = 2.95f;
  RunFrame(TaloScene, 0.1f);
  EXPECT_EQ(FrameStepTimerD, 0.0f);
  EXPECT_EQ(UploadedFrame(0, BoostContrast), 0);
  RunFrame(TaloScene, 1.5f);
  EXPECT_EQ(UploadedFrame(0, BoostContrast), 1);
}

}  // namespace
