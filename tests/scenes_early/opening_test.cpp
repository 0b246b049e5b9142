// Entries 0 to 2: the opening frame (echo, Scroller, FeedbackTunnel), its fade from black, the
// kone picture it leaves for entry 1, and the animation and object state entry 2 leaves.
#include "assets/animation.h"
#include "assets/loader.h"
#include "render/object.h"
#include "scene_harness.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using OpeningTest = SceneTest;

constexpr size_t OpeningQuads = 1 + 2 + 19;  // echo, Scroller, FeedbackTunnel

TEST_F(OpeningTest, FirstFrameIsBlackAndLoadsKoneFrameTwoUntilTheTimerMoves) {
  RunFrame(OpeningScene, 0.0f);  // a first frame of zero length
  ASSERT_EQ(Uploads().size(), 1u);
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[1]);
  for (const auto* quad : Quads()) EXPECT_EQ(quad->tlVertices[0].color, 0u);
  RunFrame(OpeningScene, 1.0f);
  EXPECT_EQ(Uploads().size(), 1u);  // the timer was still 0
  EXPECT_EQ(FrameStepTimerA, 0.5f);
  RunFrame(OpeningScene, 1.0f);
  EXPECT_TRUE(Uploads().empty());
  EXPECT_EQ(FrameStepTimerA, 1.0f);  // not wrapped here
  EXPECT_EQ(EffectClock, 8.0f);
  EXPECT_EQ(AnimationTarget, 1);
}

TEST_F(OpeningTest, LayersBrightenWithTheFadeOfTheFrameBefore) {
  RunFrame(OpeningScene, 12.5f);
  EXPECT_EQ(FadeA, 0.25f);
  RunFrame(OpeningScene, 1.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), OpeningQuads);
  EXPECT_EQ(quads[0]->texture, RenderTextures[2]);
  ExpectQuad(*quads[0], {1.0f, 0.0f, 15, 0.0f, 0.0f});  // 0.25 x 60
  EXPECT_EQ(quads[1]->tlVertices[0].color, 0x202020u);  // 0.25 x 128 = 32
  EXPECT_EQ(quads[3]->tlVertices[0].color, 0x060606u);  // 0.25 x 25 = 6.25
  // The fade stops at 1.0.
  RunFrame(OpeningScene, 100.0f);
  RunFrame(OpeningScene, 1.0f);
  EXPECT_EQ(FadeA, 1.0f);
  EXPECT_EQ(Quads()[0]->tlVertices[0].color, 0x3C3C3Cu);  // 60
  EXPECT_EQ(Quads()[1]->tlVertices[0].color, 0x808080u);  // 128
  EXPECT_EQ(Quads()[3]->tlVertices[0].color, 0x191919u);  // 25
}

TEST_F(OpeningTest, OpeningLeavesTheStatesTheNextScenesDrawOver) {
  RunFrame(OpeningScene, 1.0f);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_SPECULARENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_COLORKEYENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
  // The next frame's echo is drawn with the additive blending this one left.
  RunFrame(OpeningScene, 1.0f);
  EXPECT_TRUE(Quads()[0]->states.alphaBlend);
  EXPECT_FALSE(Quads()[0]->states.specular);
  EXPECT_TRUE(Quads()[1]->states.specular);
}

TEST_F(OpeningTest, KoneFadeOverlaysShowFromItsFirstFrameAndUploadNothing) {
  FadeA = 0.5f;
  RunFrame(KoneFadeScene, 1.0f);
  EXPECT_TRUE(Uploads().empty());
  EXPECT_EQ(CopiesToFeedback(), 1);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), OpeningQuads + 3);
  EXPECT_EQ(quads[1]->tlVertices[0].color, 0x404040u);  // the Scroller at the old FadeA, 64
  EXPECT_FLOAT_EQ(FadeA, 0.52f);
  EXPECT_FLOAT_EQ(OverlayFade, 0.06f);
  const auto* overlay = &quads[OpeningQuads];
  ExpectQuad(*overlay[0], {0.5f, 0.0f, 15, 0.0f, 0.0f});
  ExpectQuad(*overlay[1], {0.3f, 0.0f, 7, -30.0f, -80.0f});
  ExpectQuad(*overlay[2], {1.0f, 0.0f, 15, 0.0f, 0.0f});
  EXPECT_EQ(overlay[0]->texture, RenderTextures[2]);
  EXPECT_EQ(overlay[2]->texture, RenderTextures[1]);
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(overlay[k]->states.alphaBlend);
  EXPECT_EQ(EffectClock, 4.0f);
  RunFrame(KoneFadeScene, 50.0f);
  EXPECT_EQ(OverlayFade, 1.0f);
}

TEST_F(OpeningTest, KoneTunnelPlaysKoneAndSetsTheObjectStateForTheTrio) {
  FadeA = 1.0f;
  FrameStepTimerA = 7.4f;  // eight frames in the stream
  RunFrame(KoneTunnelScene, 1.0f);
  EXPECT_FLOAT_EQ(FrameStepTimerA, 7.9f);
  RunFrame(KoneTunnelScene, 1.0f);
  EXPECT_EQ(FrameStepTimerA, 0.0f);  // 8.4 reached the frame count
  ASSERT_EQ(Uploads().size(), 1u);
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[1]);
  EXPECT_EQ(FadeA, 1.0f);
  EXPECT_EQ(EffectClock, 8.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), OpeningQuads + 1);
  ExpectQuad(*quads.back(), {0.65f, 0.0f, 255, 0.0f, 0.0f});
  EXPECT_EQ(quads.back()->texture, RenderTextures[1]);
  EXPECT_FALSE(quads.back()->states.alphaBlend);
  EXPECT_EQ(CullingOff, 1);
  EXPECT_EQ(AmbientColour.red, 130.0f);
  EXPECT_EQ(AmbientColour.blue, 130.0f);
  EXPECT_EQ(LightCount, 4);
  EXPECT_EQ(ForceEnvMap, 0);
  EXPECT_EQ(UVScale, 8.0f);
}

TEST_F(OpeningTest, KoneTunnelWrapsATimerLeftPastTheEndAtOnce) {
  FrameStepTimerA = 20.0f;  // grown unwrapped by the opening
  RunFrame(KoneTunnelScene, 1.0f);
  EXPECT_EQ(FrameStepTimerA, 0.0f);
}

}  // namespace
