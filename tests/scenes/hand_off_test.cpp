// What one scene leaves for the next: the frame each scene shows from the timer it inherits and
// the timer it hands on, the callback and target it installs, the quad state every entry puts
// back, and lights placed from the clock a scene starts with.
#include <algorithm>
#include <tuple>

#include "assets/animation.h"
#include "assets/post_process.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scene_test.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"
#include "shell/scene_table.h"

namespace {

using HandOffTest = SceneTest;

struct StepCase {
  void (*scene)();
  float* timer;
  float before, delta;
  Frame shown;  // the frame before the timer's advance
  float after;
  int frames = 0;  // the shown stream's length, if not the usual
};

TEST_F(HandOffTest, EachSceneShowsTheFrameOfItsTimerAndHandsOnTheAdvancedTimer) {
  float *a = &FrameStepTimerA, *b = &FrameStepTimerB, *c = &FrameStepTimerC, *d = &FrameStepTimerD;
  const StepCase cases[] = {
      {KoneTunnelScene, a, 7.4f, 1.0f, {Kone, 7}, 7.9f},
      {KoneTunnelScene, a, 7.6f, 1.0f, {Kone, 7}, 0.0f},
      {KoneTunnelScene, a, 20.0f, 1.0f, {Kone, 0}, 0.0f},  // past the end of the stream
      {KonePairScene, a, 7.5f, 1.0f, {Kone, 7}, 0.0f},
      {KonePairSceneB, a, 7.5f, 1.0f, {Kone, 7}, 0.0f},
      {TaloTrioScene, a, 3.0f, 5.0f, {Item, 3}, 3.0f},  // entry 5 holds the frame
      {TaloTrioFadeIn, a, 6.0f, 12.5f, {Item, 6}, 0.0f},
      {TaloTrioFadeOut, a, 7.0f, 1.0f, {Item, 7}, 7.5f},
      {ContrastTunnelScene, b, 18.6f, 1.0f, {Stream3dfx, 18}, 15.0f},  // loops over the last four
      {TunnelInsetScene, c, 7.5f, 1.0f, {Pullo, 7}, 0.0f},            // over all of pullo
      {ItemCylinderScene, c, 3.9f, 0.2f, {Item, 3}, 4.1f, 5},
      {ItemCylinderScene, c, 4.9f, 0.2f, {Item, 4}, 0.0f, 5},
      {ItemCylinderScene, c, 7.5f, 0.2f, {Item, 0}, 0.0f, 5},
      {TaloScene, d, 2.95f, 0.1f, {Item, 0}, 0.0f, 3},  // wraps before the upload
      {TaloScene, d, 0.0f, 1.5f, {Item, 1}, 1.5f, 3},
      {MinaSpikeScene, d, 1.0f, 1.0f, {Mina, 4}, 1.0f},  // mina keeps no timer
  };
  for (const StepCase& step : cases) {
    SetUp();
    if (step.frames > 0) SetStream(step.shown.first, step.frames);
    *step.timer = step.before;
    RunFrame(step.scene, step.delta);
    SCOPED_TRACE(::testing::Message() << "slot " << step.shown.first << " from " << step.before);
    EXPECT_EQ(LastUploaded(), step.shown);
    EXPECT_FLOAT_EQ(*step.timer, step.after);
  }
}

TEST_F(HandOffTest, ScenesInstallTheirCallbackBeforeTheirFirstUpload) {
  const std::tuple<void (*)(), PostProcessRoutine, int> scenes[] = {
      {KonePairSceneB, PulsingContrast, 1}, {TaloTrioScene, BoostContrast, 0},
      {ContrastTunnelScene, AnimatedContrast, 1}, {TunnelInsetScene, BoostContrast, 0},
      {KelmuPlaybackScene, VividColour, 1}, {KelmuSpikeScene, InvertLuma, 1},
      {MinaSpikeScene, VividColour, 1}, {TaloScene, BoostContrast, 0}};
  for (auto [scene, callback, target] : scenes) {
    SetUp();
    AnimationTarget = 1 - target;
    RunFrame(scene, 1.0f);
    EXPECT_EQ(FramePostProcess, callback);
    EXPECT_EQ(AnimationTarget, target);
    ASSERT_FALSE(Uploads().empty());
    EXPECT_EQ(Uploads().back()->texture, RenderTextures[target]);
  }
  // Pulsing contrast at clock 0 flattens luma: in force for the scene's very first upload.
  SetUp();
  RunFrame(KonePairSceneB, 1.0f);
  const std::uint8_t seen = DecodedPicture[0];
  FramePostProcess = NoPostProcess;
  UploadAnimationFrame(AnimationStreamImages[Kone], 0);
  EXPECT_NE(DecodedPicture[0], seen);
}

TEST_F(HandOffTest, EveryEntryInPlayingOrderPutsTheQuadStateBack) {
  for (const SceneTableEntry& entry : SceneTable) {
    for (int frame = 0; frame < 3; ++frame) {
      RunFrame(entry.scene, 1.5f);
      SCOPED_TRACE(entry.name);
      EXPECT_EQ(QuadStretch.x, 1.0f);
      EXPECT_EQ(QuadStretch.y, 1.0f);
      EXPECT_EQ(QuadTexOrigin.u, 0.0f);
      EXPECT_EQ(QuadTexOrigin.v, 0.0f);
      if (!Uploads().empty()) {
        EXPECT_GE(LastUploaded().second, 0);
      }
    }
  }
}

// Lights orbit with the clock the scene started with; the rest of the frame uses the advanced one.
TEST_F(HandOffTest, LightsFollowTheClockOnEntryAndObjectsTheAdvancedOne) {
  for (void (*scene)() : {TaloTrioScene, TaloScene}) {
    LightRecord still[MaxLights];
    D3DLVERTEX placed{};
    for (float delta : {0.0f, 3.0f}) {
      SetUp();
      EffectClock = 10.0f;
      ViewOffset = {1.0f, 2.0f, 3.0f};
      RunFrame(scene, delta);
      ASSERT_FALSE(Objects().empty());
      const D3DLVERTEX vertex = Objects()[0]->lVertices.at(0);
      if (delta == 0.0f) {
        std::copy(std::begin(Lights), std::end(Lights), still);
        placed = vertex;
        continue;
      }
      EXPECT_GT(EffectClock, 10.0f);
      for (int i = 0; i < MaxLights; ++i) {
        EXPECT_EQ(Lights[i].position.x, still[i].position.x) << i;
        EXPECT_EQ(Lights[i].position.z, still[i].position.z) << i;
      }
      EXPECT_NE(vertex.z, placed.z);
    }
  }
}

TEST(FrameStep, AStreamTooShortForItsLoopRestartsAtFrameZeroNotBelow) {
  float timer = 2.5f;  // three frames: "the last four" would restart at -1
  AdvanceFrameStep(timer, 0.5f, 3, 3 - 4);
  EXPECT_EQ(timer, 0.0f);
  AdvanceFrameStep(timer, 0.5f, 3, 3 - 4);
  EXPECT_EQ(timer, 0.5f);
}

}  // namespace
