// Entries 12, 14 and 21: the cylinder wearing the item animation (its timer, inherited from the
// pullo scenes), the overlay variant, and the spinning talo with its early clock step.
#include <cmath>

#include "assets/loader.h"
#include "assets/post_process.h"
#include "late_scene_test.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using ItemCylinderTest = LateSceneTest;
using TaloTest = LateSceneTest;

TEST_F(ItemCylinderTest, ItemTimerShowsTheFrameBeforeItsAdvanceAndWrapsAtTheFrameCount) {
  SetStream(0, 5);  // offsetCount 6
  struct Case {
    float timer, delta;
    int shown;
    float after;
  };
  for (const Case& c : {Case{3.9f, 0.2f, 3, 4.1f}, Case{4.9f, 0.2f, 4, 0.0f}, Case{7.5f, 0.2f, 0, 0.0f}}) {
    FrameStepTimerC = c.timer;
    RunFrame(ItemCylinderScene, c.delta);
    ASSERT_EQ(Uploads().size(), 1u);
    EXPECT_EQ(Uploads()[0]->texture, RenderTextures[0]);
    EXPECT_EQ(UploadedFrame(0, NoPostProcess), c.shown) << c.timer;
    EXPECT_FLOAT_EQ(FrameStepTimerC, c.after) << c.timer;
  }
  EXPECT_EQ(AnimationTarget, 0);
}

TEST_F(ItemCylinderTest, CylinderWearsTheFrameOverLastFramesTrailAndLightsSettle) {
  ViewOffset = {5.0f, -40.0f, 0.0f};
  PhaseClock = 300.0f;  // no cap in this scene
  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_FLOAT_EQ(Lights[0].position.y, 40.0f);
  EXPECT_FLOAT_EQ(Lights[0].position.z, -5.0f);
  EXPECT_EQ(PhaseClock, 302.0f);
  EXPECT_EQ(EffectClock, 2.0f);

  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 4u);
  const Vector3 sway = {40.0f * std::sin(0.005814815f * 300.0f), -30.0f, 30.0f * std::sin(0.00628f * 300.0f)};
  ExpectObjectAt(*objects[0], CameraPoint({sway.x, 50.0f + sway.y, sway.z}, 0.0f, 0.0f));
  EXPECT_EQ(objects[0]->texture, RenderTextures[0]);
  EXPECT_FLOAT_EQ(objects[0]->lVertices[0].tv, 4.0f);  // stored coordinates x 8
  EXPECT_TRUE(objects[0]->states.alphaBlend);
  EXPECT_NEAR(objects[0]->matrix._22, 1.0 / std::tan(40.0 * 0.017444444444444446), 1e-4);
  EXPECT_EQ(objects[1]->texture, TextureSlots[0]);
  EXPECT_TRUE(!objects[2]->states.alphaBlend && objects[2]->states.colorKey);
  ExpectObjectAt(*objects[3], {0.0f, 0.0f, 0.0f});  // the spike, with the offset zeroed
  EXPECT_TRUE(objects[3]->states.alphaBlend);

  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 7u);
  ExpectQuad(*quads[0], {1.1f, 2.0f, 180});
  EXPECT_TRUE(quads[0]->texture == RenderTextures[2] && !quads[0]->states.alphaBlend);
  for (int k = 1; k <= 5; ++k) ExpectQuad(*quads[k], {1.0f + 0.05f * k, 2.0f * k, 50});
  ExpectQuad(*quads[6], {-0.34f, 0.0f, 200, 100.0f, -50.0f});
  EXPECT_FALSE(quads[6]->states.alphaBlend);
  EXPECT_EQ(Copies(), 1);

  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_EQ(Lights[0].position.y, 0.0f);
  EXPECT_EQ(Lights[1].position.x, -20.0f);
  EXPECT_EQ(NormalScale, -1.0f);
  EXPECT_EQ(AmbientColour.green, 155.0f);
}

TEST_F(ItemCylinderTest, OverlayAddsThePictureAndShowsKoneFrameWithoutUploadingIt) {
  EffectClock = 10.0f;
  RunFrame(ItemCylinderSceneOverlay, 1.0f);
  EXPECT_EQ(Uploads().size(), 1u);  // the item frame only
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 9u);
  ExpectQuad(*quads[7], {0.7f + 0.2f * std::cos(0.03925f * 12.0f), -512.0f, 255, 140.0f, -170.0f});
  EXPECT_EQ(quads[7]->texture, TextureSlots[2]);
  EXPECT_TRUE(quads[7]->states.alphaBlend && quads[7]->states.colorKey);
  ExpectQuad(*quads[8], {0.5f, 0.0f, 128});
  EXPECT_EQ(quads[8]->texture, RenderTextures[1]);
  EXPECT_TRUE(!quads[8]->states.alphaBlend && !quads[8]->states.colorKey);
}

TEST_F(TaloTest, LightsUseTheClockOnEntryAndEverythingAfterTheAdvancedOne) {
  EffectClock = 10.0f;
  ViewOffset = {1.0f, 2.0f, 3.0f};
  RunFrame(TaloScene, 0.5f);
  EXPECT_EQ(EffectClock, 10.5f);
  EXPECT_EQ(PhaseClock, 50.0f);

  LightParams = {0.4f * 10.0f, 3.0f * 10.0f + 512.0f, 20.0f, 2400.0f, 1.0f, 0.7f, 0.4f, 40.0f, 0};
  PlaceLight(9);
  EXPECT_EQ(Lights[0].position.x, Lights[9].position.x);
  EXPECT_EQ(Lights[0].position.z, Lights[9].position.z);
  EXPECT_EQ(Lights[0].falloff, 60.0f);
  EXPECT_EQ(Lights[1].position.z, -3.0f);  // at the camera of the previous frame
  EXPECT_EQ(Lights[3].green, 0.5f);
  EXPECT_EQ(LightCount, 4);

  const double fov = (60.0 + 40.0 * std::sin(0.0785 * 10.5)) * 0.017444444444444446;
  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_NEAR(objects[0]->matrix._22, 1.0 / std::tan(fov / 2), 1e-4);
  const float depth = 10.0f * (std::sin(0.0628f * 10.5f) + 1.0f);
  EXPECT_EQ(ViewOffset.z, depth);
  ExpectObjectAt(*objects[0], CameraPoint({0.0f, -40.0f, depth}, 0.0f, 50.0f));
  for (const auto* object : objects) {
    EXPECT_EQ(object->texture, TextureSlots[0]);
    EXPECT_TRUE(object->states.colorKey && !object->states.alphaBlend);
    EXPECT_EQ(object->states.zEnable, DWORD{D3DZB_FALSE});  // left off by the band quad
  }

  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 11u);
  ExpectQuad(*quads[0], {1.05f, 0.0f, 50});
  ExpectQuad(*quads[1], {-1.0f, 0.0f, 50, 160.0f, 0.0f}, 0.3f);
  ExpectQuad(*quads[2], {1.0f, 0.0f, 255, 120.0f, 0.0f}, 0.5f, 2.0f);
  EXPECT_EQ(quads[2]->texture, RenderTextures[0]);
  for (int k = 1; k <= 8; ++k) ExpectQuad(*quads[2 + k], {1.0f + 0.05f * k, 0.0f, 50});
  EXPECT_EQ(Copies(), 2);
  EXPECT_EQ(FramePostProcess, BoostContrast);
  EXPECT_EQ(QuadStretch.y, 1.0f);
}

TEST_F(TaloTest, ItemTimerWrapsBeforeTheUpload) {
  SetStream(0, 3);
  FrameStepTimerD = 2.95f;
  RunFrame(TaloScene, 0.1f);
  EXPECT_EQ(FrameStepTimerD, 0.0f);
  EXPECT_EQ(UploadedFrame(0, BoostContrast), 0);
  RunFrame(TaloScene, 1.5f);
  EXPECT_EQ(UploadedFrame(0, BoostContrast), 1);  // the frame after the advance
}

}  // namespace
