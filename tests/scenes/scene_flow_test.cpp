// The scenes frame by frame: fades stepped before or after drawing, timers and clocks that loop,
// stop or run backwards, the frame each scene shows from the timer it inherits, the callback and
// target it installs, and the state one entry leaves for the next.
#include <algorithm>
#include <cmath>
#include <tuple>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "platform/d3d/texture.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scene_test.h"
#include "scenes/patterns.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"
#include "shell/graphics.h"
#include "shell/scene_table.h"

namespace {

using EarlySceneTest = SceneTest;

constexpr size_t OpeningQuads = 1 + 2 + 19;  // echo, Scroller, FeedbackTunnel

TEST_F(EarlySceneTest, ScrollerCrossesTwoLayersAndKeepsTheFractionWhenItWraps) {
  FadeA = 1.0f;
  ScrollU = 0.99f;
  ScrollV = 0.995f;
  RunFrame(Scroller, 1.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_TRUE(quads[1]->states.alphaBlend);
  const D3DTLVERTEX &upright = quads[0]->tlVertices[0], &turned = quads[1]->tlVertices[0];
  EXPECT_TRUE(upright.tu == 0.0f && upright.tv == 0.995f && turned.tu == 0.99f && turned.tv == 0.0f)
      << "the upright layer scrolls in v, the turned one in u";
  EXPECT_EQ(Grey(quads[0]) + Grey(quads[1]), 2 * 128);
  EXPECT_NEAR(ScrollV, 0.005f, 1e-6);
  EXPECT_NEAR(ScrollU, 0.01f, 1e-6);
}

TEST_F(EarlySceneTest, OpeningFadesInFromBlackAndLoadsKoneFrameTwoUntilItsTimerMoves) {
  RunFrame(OpeningScene, 0.0f);
  EXPECT_EQ(LastUploaded(), Frame(Kone, 2));
  for (const auto* quad : Quads()) EXPECT_EQ(Grey(quad), 0);
  RunFrame(OpeningScene, 12.5f);  // the timer was still 0: loaded again
  EXPECT_EQ(Uploads().size(), 1u);
  const float fade = FadeA;
  ASSERT_GT(fade, 0.0f);
  RunFrame(OpeningScene, 1.0f);
  EXPECT_TRUE(Uploads().empty());
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), OpeningQuads);
  // Echo, Scroller and tunnel at the fade before this frame's step.
  EXPECT_TRUE(quads[0]->states.alphaBlend);  // as the previous frame left it
  EXPECT_EQ(Grey(quads[0]), static_cast<int>(fade * 60.0f));
  EXPECT_EQ(Grey(quads[1]), static_cast<int>(fade * 128.0f));
  EXPECT_EQ(Grey(quads[3]), static_cast<int>(fade * OpeningTunnel.brightnessScale));
  EXPECT_GT(FadeA, fade);
  RunFrame(OpeningScene, 100.0f);
  EXPECT_EQ(FadeA, 1.0f);
  EXPECT_TRUE(RenderState(D3DRENDERSTATE_SPECULARENABLE) && RenderState(D3DRENDERSTATE_CULLMODE) == D3DCULL_NONE &&
              !RenderState(D3DRENDERSTATE_COLORKEYENABLE)) << "specular on, culling and keying off for what follows";
}

TEST_F(EarlySceneTest, KoneTunnelLeavesTheObjectStateTheTrioDrawsWith) {
  CullingOff = 0;
  LightCount = 0;
  RunFrame(KoneTunnelScene, 1.0f);
  EXPECT_FALSE(Quads().back()->states.alphaBlend);
  EXPECT_TRUE(CullingOff == 1 && LightCount == 4 && ForceEnvMap == 0) << "the object state the trio inherits";
  RunFrame(TaloTrioScene, 1.0f);
  ASSERT_EQ(Objects().size(), 3u);  // lit, not culled
  for (const auto* object : Objects()) EXPECT_NE(object->lVertices[0].color & 0xFFFFFF, 0u);
}

TEST_F(EarlySceneTest, TrioWrappersFadeTheTunnelBeforeDrawing) {
  RunFrame(TaloTrioFadeIn, 12.5f);
  EXPECT_GT(FadeB, 0.0f);
  EXPECT_EQ(Grey(Quads()[1]), static_cast<int>(FadeB * TrioTunnel.brightnessScale));
  RunFrame(TaloTrioFadeIn, 100.0f);
  EXPECT_EQ(FadeB, 1.0f);
  RunFrame(TaloTrioFadeOut, 10.0f);
  EXPECT_LT(FadeB, 1.0f);
  EXPECT_EQ(Grey(Quads()[1]), static_cast<int>(FadeB * TrioTunnel.brightnessScale));
  RunFrame(TaloTrioFadeOut, 200.0f);
  EXPECT_EQ(FadeB, 0.0f);
}

TEST_F(EarlySceneTest, ThreeDfxLoopsOverAllButFiveFramesThenTheTunnelFadesInFromBlack) {
  FadeB = 0.4f;  // whatever the trio left
  int highest = 0;
  for (int frame = 0; frame < 28; ++frame) {
    RunFrame(AnimationScene, 1.0f);
    highest = std::max(highest, LastUploaded().second);
  }
  EXPECT_EQ(highest, 13) << "19 frames: 14 to 18 never appear here";
  EXPECT_TRUE(FrameStepTimerB == 0.0f && FadeB == 0.0f);

  FrameStepTimerC = 5.0f;
  EffectClock = 10.0f;
  RunFrame(ContrastTunnelScene, 1.0f);
  ASSERT_EQ(Quads().size(), 32u);
  EXPECT_EQ(Grey(Quads()[1]), 0);  // the fade rises after the tunnel is drawn
  EXPECT_LT(LumaContrast, 1.2f);
  EXPECT_EQ(FrameStepTimerC, 0.0f);  // pullo waits at its first frame
  EXPECT_LT(EffectClock, 10.0f);     // the clock runs backwards here
  RunFrame(ContrastTunnelScene, 100.0f);
  EXPECT_EQ(LumaContrast, -1.7f);
  EXPECT_EQ(FadeB, 1.0f);
}

TEST_F(EarlySceneTest, TunnelFadeKeepsTheLastStillAndTurnsTheRingsWithTheClockOnEntry) {
  EffectClock = 30.0f;
  RunFrame([] { RingTunnel(0); }, 1.0f);
  std::vector<std::vector<D3DTLVERTEX>> rings;
  for (const auto* quad : Quads()) rings.push_back(quad->tlVertices);
  PhaseClock = 255.0f;
  FrameStepTimerC = 4.0f;
  RunFrame(TunnelFadeScene, 1.0f);
  ASSERT_EQ(Uploads().size(), 1u);  // render texture 1 keeps the last 3dfx frame
  EXPECT_EQ(LastUploaded(), Frame(Pullo, 4));
  EXPECT_EQ(PhaseClock, 256.0f);
  EXPECT_NE(EffectClock, 30.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 1 + 31 + 2u);  // the tunnel still draws at FadeB 0
  ASSERT_EQ(rings.size(), 31u);
  for (int k = 0; k < 31; ++k)
    for (int c = 0; c < 4; ++c)
      EXPECT_TRUE(quads[1 + k]->tlVertices[c].sx == rings[k][c].sx && quads[1 + k]->tlVertices[c].sy == rings[k][c].sy)
          << "ring " << k << " turned with the clock on entry";
  EXPECT_TRUE(quads[32]->states.alphaBlend && !quads[32]->states.colorKey);
  EXPECT_TRUE(!quads[33]->states.alphaBlend && quads[33]->states.colorKey);
}

using LateSceneTest = SceneTest;

TEST_F(LateSceneTest, CylinderLightsFromLastFramesCameraCopiesObjectsNotTrailsAndFreezesOnlyTheSwayAt256) {
  ViewOffset = {7.0f, -30.0f, 3.0f};  // as the previous frame left it
  RunFrame(CylinderSceneTrail, 1.0f);
  EXPECT_TRUE(Lights[0].position.y == 30.0f && Lights[0].position.z == -7.0f && Lights[1].position.y == 30.0f)
      << "lights from last frame's camera";
  const auto objects = Objects();
  ASSERT_GE(objects.size(), 4u);
  for (size_t k = 3; k < objects.size(); ++k) EXPECT_EQ(objects[k]->lVertices[0].tv, 0.0f) << k;  // spikes
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 10u);  // last frame's trail, eight glow trails, the slot-3 picture
  ASSERT_EQ(Copies().size(), 1u);
  EXPECT_TRUE(Copies()[0] > objects.back() && Copies()[0] < quads[1]);
  EXPECT_TRUE(ForceEnvMap == 0 && NormalScale == 1.0f);
  SetUp();  // the phase clock stops at 256 and only the sideways sway freezes
  PhaseClock = 255.0f;
  RunFrame(CylinderSceneTrail, 0.0f);
  EXPECT_EQ(PhaseClock, 255.0f);
  RunFrame(CylinderSceneTrail, 1.0f);
  RunFrame(CylinderSceneTrail, 1.0f);  // sways from 256
  EXPECT_EQ(PhaseClock, 256.0f);
  const Vector3 sway = ViewOffset;
  RunFrame(CylinderSceneTrail, 1.0f);
  EXPECT_TRUE(ViewOffset.x == sway.x && ViewOffset.z == sway.z && ViewOffset.y != sway.y) << "only the sway freezes";
}

TEST_F(LateSceneTest, CylinderFrameDecodesKoneFrameTwoOnceAndInsetVariantsStartEnvironmentMappedForOneFrame) {
  RunFrame(CylinderSceneFrame, 1.0f);
  EXPECT_EQ(LastUploaded(), Frame(Kone, 2));
  for (int frame = 1; frame < 3; ++frame) {
    RunFrame(CylinderSceneFrame, 1.0f);
    EXPECT_TRUE(Uploads().empty()) << frame;
  }
  SetUp();
  for (void (*scene)() : {CylinderSceneInsetHalf, CylinderSceneInsetFull}) {
    ForceEnvMap = 1;  // as entries 18 and 19 leave it
    RunFrame(scene, 1.0f);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Objects()[k]->lVertices[0].tv, 0.0f) << "first frame from normals " << k;
    RunFrame(scene, 1.0f);
    for (int k = 0; k < 3; ++k) EXPECT_NE(Objects()[k]->lVertices[0].tv, 0.0f) << "then stored " << k;
  }
}

TEST_F(LateSceneTest, ItemCylinderLightsFollowTheInheritedCameraOnceThenStandStill) {
  ViewOffset = {5.0f, -40.0f, 0.0f};
  PhaseClock = 300.0f;  // no cap in this scene
  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_TRUE(Lights[0].position.y == 40.0f && Lights[0].position.z == -5.0f) << "from the inherited camera";
  EXPECT_GT(PhaseClock, 300.0f);
  const auto objects = Objects();
  ASSERT_EQ(objects.size(), 4u);
  const D3DLVERTEX& spike = objects[3]->lVertices[0];
  EXPECT_NEAR(std::fabs(spike.x) + std::fabs(spike.y) + std::fabs(spike.z), 0.0f, 1e-4) << "the offset is zeroed";
  RunFrame(ItemCylinderScene, 1.0f);
  EXPECT_EQ(Lights[0].position.y, 0.0f) << "the offset zeroed on the first frame";
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
    EXPECT_TRUE(spike.lVertices[0].color == 0x282828u && spike.lVertices[0].tv == 0.0f)
        << "ambient 40, no lights (mina keeps kelmu's), textured from the normals";
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
    if (frames == 0) { EXPECT_GT(MeanGreen(BackBuffer), now) << "the glow is on screen, not in the copy"; }
    carried = now;
  }
  EXPECT_EQ(carried, 0.0);
  EXPECT_GT(frames, 20);
}

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
      {TaloTrioScene, a, 3.0f, 5.0f, {Item, 3}, 3.0f},  // entry 5 holds the frame
      {TaloTrioFadeIn, a, 6.0f, 12.5f, {Item, 6}, 0.0f},
      {TaloTrioFadeOut, a, 7.0f, 1.0f, {Item, 7}, 7.5f},
      {ContrastTunnelScene, b, 18.6f, 1.0f, {Stream3dfx, 18}, 15.0f},  // loops over the last four
      {TunnelInsetScene, c, 7.5f, 1.0f, {Pullo, 7}, 0.0f},            // over all of pullo
      {ItemCylinderScene, c, 3.9f, 0.2f, {Item, 3}, 4.1f, 5},
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
    ASSERT_FALSE(Uploads().empty());
    EXPECT_TRUE(AnimationTarget == target && Uploads().back()->texture == RenderTextures[target]) << "target " << target;
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
      EXPECT_TRUE(QuadStretch.x == 1.0f && QuadStretch.y == 1.0f && QuadTexOrigin.u == 0.0f && QuadTexOrigin.v == 0.0f);
      if (!Uploads().empty()) { EXPECT_GE(LastUploaded().second, 0); }
    }
  }
}

// Lights orbit with the clock the scene started with; the rest of the frame uses the advanced one.
TEST_F(HandOffTest, LightsFollowTheClockOnEntryAndObjectsTheAdvancedOne) {
  for (void (*scene)() : {TaloTrioScene, TaloScene}) {
    const auto run = [&](float delta) {
      SetUp();
      EffectClock = 10.0f;
      ViewOffset = {1.0f, 2.0f, 3.0f};
      RunFrame(scene, delta);
      return Objects().at(0)->lVertices.at(0);
    };
    const D3DLVERTEX placed = run(0.0f);
    LightRecord still[MaxLights];
    std::copy(std::begin(Lights), std::end(Lights), still);
    EXPECT_NE(run(3.0f).z, placed.z) << "objects use the advanced clock";
    EXPECT_GT(EffectClock, 10.0f);
    for (int i = 0; i < MaxLights; ++i)
      EXPECT_TRUE(Lights[i].position.x == still[i].position.x && Lights[i].position.z == still[i].position.z) << i;
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
