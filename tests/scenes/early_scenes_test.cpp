// Entries 0 to 11 and the patterns they share: fades stepped before or after drawing, timers
// and clocks that loop or run backwards, and the state one entry leaves for the next.
#include <algorithm>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "render/object.h"
#include "render/quad.h"
#include "scene_test.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

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
  // Texture origins: the upright layer scrolls in v, the turned one in u.
  EXPECT_EQ(quads[0]->tlVertices[0].tu, 0.0f);
  EXPECT_EQ(quads[0]->tlVertices[0].tv, 0.995f);
  EXPECT_EQ(quads[1]->tlVertices[0].tu, 0.99f);
  EXPECT_EQ(quads[1]->tlVertices[0].tv, 0.0f);
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
  EXPECT_EQ(RenderState(D3DRENDERSTATE_SPECULARENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_COLORKEYENABLE), static_cast<DWORD>(FALSE));
}

TEST_F(EarlySceneTest, KoneTunnelLeavesTheObjectStateTheTrioDrawsWith) {
  CullingOff = 0;
  LightCount = 0;
  RunFrame(KoneTunnelScene, 1.0f);
  EXPECT_FALSE(Quads().back()->states.alphaBlend);
  EXPECT_EQ(CullingOff, 1);
  EXPECT_EQ(LightCount, 4);
  EXPECT_EQ(ForceEnvMap, 0);
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
  EXPECT_EQ(highest, 13);  // 19 frames: 14 to 18 never appear here
  EXPECT_EQ(FrameStepTimerB, 0.0f);
  EXPECT_EQ(FadeB, 0.0f);

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
  for (int k = 0; k < 31; ++k) {
    for (int corner = 0; corner < 4; ++corner) {
      EXPECT_EQ(quads[1 + k]->tlVertices[corner].sx, rings[k][corner].sx) << k;
      EXPECT_EQ(quads[1 + k]->tlVertices[corner].sy, rings[k][corner].sy) << k;
    }
  }
  EXPECT_TRUE(quads[32]->states.alphaBlend && !quads[32]->states.colorKey);
  EXPECT_TRUE(!quads[33]->states.alphaBlend && quads[33]->states.colorKey);
}

}  // namespace
