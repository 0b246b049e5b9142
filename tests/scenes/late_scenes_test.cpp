// Entries 12 to 25: the cylinder body under last frame's camera, the clocks, timers and object
// state the late scenes pass on, and the closing fade checked on real pixels.
#include <cmath>

#include "assets/loader.h"
#include "assets/post_process.h"
#include "platform/d3d/texture.h"
#include "render/object.h"
#include "render/quad.h"
#include "scene_test.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"
#include "shell/graphics.h"

namespace {

using LateSceneTest = SceneTest;

TEST_F(LateSceneTest, CylinderLightsFromLastFramesCameraAndCopiesObjectsButNotTrails) {
  ViewOffset = {7.0f, -30.0f, 3.0f};  // as the previous frame left it
  RunFrame(CylinderSceneTrail, 1.0f);
  EXPECT_EQ(Lights[0].position.y, 30.0f);
  EXPECT_EQ(Lights[0].position.z, -7.0f);
  EXPECT_EQ(Lights[1].position.y, 30.0f);
  const auto objects = Objects();
  ASSERT_GE(objects.size(), 4u);
  for (size_t k = 3; k < objects.size(); ++k) EXPECT_EQ(objects[k]->lVertices[0].tv, 0.0f) << k;  // spikes
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 10u);  // last frame's trail, eight glow trails, the slot-3 picture
  ASSERT_EQ(Copies().size(), 1u);
  EXPECT_TRUE(Copies()[0] > objects.back() && Copies()[0] < quads[1]);
  EXPECT_EQ(ForceEnvMap, 0);
  EXPECT_EQ(NormalScale, 1.0f);
}

TEST_F(LateSceneTest, PhaseClockStopsAt256AndOnlyTheSidewaysSwayFreezes) {
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
}

TEST_F(LateSceneTest, CylinderFrameDecodesKoneFrameTwoOnlyOnItsFirstFrame) {
  for (int frame = 0; frame < 3; ++frame) {
    RunFrame(CylinderSceneFrame, 1.0f);
    ASSERT_EQ(Uploads().size(), frame == 0 ? 1u : 0u);
    if (frame == 0) {
      EXPECT_EQ(LastUploaded(), Frame(Kone, 2));
    }
  }
}

TEST_F(LateSceneTest, InsetVariantsAfterSpikeScenesStartEnvironmentMappedForOneFrame) {
  for (void (*scene)() : {CylinderSceneInsetHalf, CylinderSceneInsetFull}) {
    ForceEnvMap = 1;  // as entries 18 and 19 leave it
    RunFrame(scene, 1.0f);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Objects()[k]->lVertices[0].tv, 0.0f) << k;
    RunFrame(scene, 1.0f);
    for (int k = 0; k < 3; ++k) EXPECT_NE(Objects()[k]->lVertices[0].tv, 0.0f) << k;
  }
}

TEST_F(LateSceneTest, ItemCylinderLightsFollowTheInheritedCameraOnceThenStandStill) {
  ViewOffset = {5.0f, -40.0f, 0.0f};
  PhaseClock = 300.0f;  // no cap in this scene
  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_EQ(Lights[0].position.y, 40.0f);
  EXPECT_EQ(Lights[0].position.z, -5.0f);
  EXPECT_GT(PhaseClock, 300.0f);
  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 4u);
  for (float coordinate : {objects[3]->lVertices[0].x, objects[3]->lVertices[0].y, objects[3]->lVertices[0].z}) {
    EXPECT_NEAR(coordinate, 0.0f, 1e-4);  // the spike, after the offset is zeroed
  }
  const LightRecord first = Lights[0];
  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_NE(Lights[0].position.y, first.position.y);
  EXPECT_EQ(Lights[0].position.y, 0.0f);
}

TEST_F(LateSceneTest, KelmuPlaysEveryFrameOnceAndStartsOverFromAnyInheritedTimer) {
  SetStream(Kelmu, 3);
  FrameStepTimerD = 5.5f;  // beyond this stream, as an earlier scene may leave it
  const int expected[] = {0, 0, 1, 2, 0, 0};
  const float deltas[] = {1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f};
  for (int frame = 0; frame < 6; ++frame) {
    RunFrame(KelmuPlaybackScene, deltas[frame]);
    ASSERT_EQ(Uploads().size(), 1u);
    EXPECT_EQ(LastUploaded(), Frame(Kelmu, expected[frame])) << frame;
  }
}

TEST_F(LateSceneTest, SpikesAreLitAndCulledAsTheScenesBeforeThemLeftIt) {
  LightCount = 3;
  AmbientColour = {200.0f, 0.0f, 0.0f};
  // Culling as entry 17 leaves it: the spike, 50 behind the camera, shows while the view has
  // turned it round.
  CullingOff = 0;
  EffectClock = 2560.0f;
  for (void (*scene)() : {KelmuSpikeScene, MinaSpikeScene}) {
    RunFrame(scene, 1.0f);
    ASSERT_EQ(Objects().size(), 1u);
    const auto& spike = *Objects()[0];
    EXPECT_EQ(spike.lVertices[0].color, 0x282828u);  // ambient 40, no lights: mina keeps kelmu's
    EXPECT_EQ(spike.lVertices[0].tv, 0.0f);          // from the normals
  }
}

// Mean 8-bit green level of an R5G6B5 surface.
double MeanGreen(IDirectDrawSurface7* surface) {
  const Texture& texture = *surface->texture();
  double sum = 0;
  const int count = texture.width() * texture.height();
  for (int i = 0; i < count; ++i) sum += (texture.pixels()[i] >> 5 & 0x3F) * 255.0 / 63;
  return sum / count;
}

TEST_F(LateSceneTest, ClosingDarkensTheCarriedPictureEveryFrameUntilBlack) {
  d3drec::SetRasterizing(true);
  std::vector<std::uint16_t> white(256 * 256, 0xFFFF);
  ASSERT_GE(D3DXLoadTextureFromMemory(Device, RenderTextures[2], 0, white.data(), nullptr,
                                      D3DX_SF_R5G6B5, 0, nullptr, D3DX_FT_POINT), 0);
  BlendOff();  // as entry 24 leaves it
  double carried = MeanGreen(RenderTextures[2]);
  int frames = 0;
  for (; carried > 0.0 && frames < 200; ++frames) {
    Context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    RunFrame(ClosingScene, 0.0f);
    const double now = MeanGreen(RenderTextures[2]);
    ASSERT_LT(now, carried) << "frame " << frames;
    if (frames == 0) {
      EXPECT_GT(MeanGreen(BackBuffer), now);  // the glow is on screen, not in the copy
    }
    carried = now;
  }
  EXPECT_EQ(carried, 0.0);
  EXPECT_GT(frames, 20);
}

}  // namespace
