// Entries 8 to 11: the 3dfx stream with its loops, the inverting contrast, the RingTunnel fading
// in and out, the pullo inset and the clocks these scenes hand on.
#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "render/object.h"
#include "render/quad.h"
#include "scene_harness.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using RingScenesTest = SceneTest;

constexpr int Pullo = 3, Stream3dfx = 2;

TEST_F(RingScenesTest, AnimationSceneLoopsOverAllButTheLastFiveFrames) {
  SetStream(Stream3dfx, 19);  // offsetCount 20: frames 0 to 13 play here
  FadeB = 0.7f;
  float highest = 0.0f;
  for (int frame = 0; frame < 28; ++frame) {
    RunFrame(AnimationScene, 1.0f);
    highest = std::max(highest, FrameStepTimerB);
  }
  EXPECT_EQ(highest, 13.5f);
  EXPECT_EQ(FrameStepTimerB, 0.0f);
  EXPECT_EQ(FadeB, 0.0f);
  ASSERT_EQ(Uploads().size(), 1u);
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[1]);
  ASSERT_EQ(Quads().size(), 1u);
  ExpectQuad(*Quads()[0], {1.0f, 0.0f, 255, 0.0f, 0.0f});
  EXPECT_FALSE(Quads()[0]->states.alphaBlend);
  RunFrame(AnimationScene, 4.0f);  // long frames skip frames
  EXPECT_EQ(FrameStepTimerB, 2.0f);
}

TEST_F(RingScenesTest, ContrastTunnelInvertsFadesInAndRepeatsTheLastFourFrames) {
  SetStream(Stream3dfx, 19);
  FrameStepTimerB = 18.6f;
  FrameStepTimerC = 5.0f;
  EffectClock = 10.0f;
  RunFrame(ContrastTunnelScene, 1.0f);
  EXPECT_EQ(FrameStepTimerB, 15.0f);
  EXPECT_FLOAT_EQ(LumaContrast, 1.1f);
  EXPECT_EQ(FramePostProcess, AnimatedContrast);
  EXPECT_EQ(FrameStepTimerC, 0.0f);
  EXPECT_EQ(EffectClock, 8.0f);
  EXPECT_FLOAT_EQ(FadeB, 0.01f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 32u);
  EXPECT_EQ(quads[0]->texture, RenderTextures[1]);
  EXPECT_EQ(quads[1]->tlVertices[0].color, 0u);  // FadeB was 0 when the tunnel was drawn
  // The tunnel turns with the clock before this frame's backward step.
  ExpectQuad(*quads[1], {2.3f, std::sin(10.0f * 0.010466667f) * -80.0f + 10.0f, 0,
                         std::sin(10.0f * 0.00628f) * 56.0f, std::cos(10.0f * 0.00785f) * 72.0f});
  RunFrame(ContrastTunnelScene, 100.0f);
  EXPECT_EQ(LumaContrast, -1.7f);
  EXPECT_EQ(FadeB, 1.0f);
  RunFrame(ContrastTunnelScene, 1.0f);
  EXPECT_EQ(Quads()[1]->tlVertices[0].color, 0x282828u);  // 40
  EXPECT_EQ(RenderState(D3DRENDERSTATE_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
}

TEST_F(RingScenesTest, TunnelInsetUploadsBothStreamsWithTheirOwnCallbacks) {
  SetStream(Pullo, 8);
  FadeB = 1.0f;
  LumaContrast = -1.0f;
  FrameStepTimerC = 7.5f;
  EffectClock = 0.0f;
  RunFrame(TunnelInsetScene, 1.0f);
  const auto uploads = Uploads();
  ASSERT_EQ(uploads.size(), 2u);
  EXPECT_EQ(uploads[0]->texture, RenderTextures[1]);
  EXPECT_EQ(uploads[1]->texture, RenderTextures[0]);
  EXPECT_EQ(FramePostProcess, BoostContrast);
  EXPECT_EQ(AnimationTarget, 0);
  EXPECT_FLOAT_EQ(LumaContrast, -1.02f);
  EXPECT_FLOAT_EQ(FadeB, 0.999f);
  EXPECT_EQ(FrameStepTimerC, 0.0f);  // 8.5 passed pullo's eight frames
  EXPECT_EQ(EffectClock, -2.0f);
  EXPECT_EQ(ViewOffset.y, 0.0f);
  EXPECT_FLOAT_EQ(ViewOffset.z, (std::sin(-2.0f * 0.010466667f) + 1.0f) * 100.0f);

  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 1 + 31 + 3u);
  EXPECT_EQ(quads[1]->tlVertices[0].color, 0x282828u);
  const auto* glow = quads[32];
  ExpectQuad(*glow, {0.43f, 0.0f, 140, 100.0f, 40.0f, 0.8f, 4.0f});
  EXPECT_EQ(glow->texture, RenderTextures[0]);
  EXPECT_TRUE(glow->states.alphaBlend);
  EXPECT_TRUE(glow->states.colorKey);
  ExpectQuad(*quads[33], {0.43f, 0.0f, 255, 100.0f, 40.0f});
  EXPECT_FALSE(quads[33]->states.alphaBlend);
  ExpectQuad(*quads[34], {std::cos(-2.0f * 0.03925f) * 0.1f + 0.7f, -256.0f, 255, -240.0f, 170.0f, 0.5f});
  EXPECT_EQ(quads[34]->texture, TextureSlots[3]);
  EXPECT_TRUE(quads[34]->states.colorKey);
  EXPECT_EQ(QuadStretch.x, 1.0f);
  EXPECT_EQ(QuadStretch.y, 1.0f);

  RunFrame(TunnelInsetScene, 2000.0f);
  EXPECT_EQ(FadeB, 0.0f);
  EXPECT_EQ(LumaContrast, -1.7f);
}

TEST_F(RingScenesTest, TunnelFadeKeepsTheStillAndPlaysPulloOverIt) {
  SetStream(Pullo, 8);
  FadeB = 0.0f;
  PhaseClock = 255.0f;
  EffectClock = 30.0f;
  RunFrame(TunnelFadeScene, 1.0f);
  const auto uploads = Uploads();
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0]->texture, RenderTextures[0]);
  EXPECT_EQ(PhaseClock, 256.0f);
  EXPECT_EQ(EffectClock, 29.0f);
  EXPECT_EQ(FrameStepTimerC, 1.0f);
  EXPECT_EQ(FramePostProcess, BoostContrast);

  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 1 + 31 + 2u);
  EXPECT_EQ(quads[0]->texture, RenderTextures[1]);
  EXPECT_FALSE(quads[0]->states.alphaBlend);
  // Still drawn at FadeB 0, and turned by the clock before this frame's changes.
  ExpectQuad(*quads[1], {2.3f, std::sin(30.0f * 0.010466667f) * -80.0f + 30.0f, 0,
                         std::sin(30.0f * 0.00628f) * 56.0f, std::cos(30.0f * 0.00785f) * 72.0f});
  ExpectQuad(*quads[32], {1.0f, 0.0f, 255, 0.0f, 0.0f});
  EXPECT_EQ(quads[32]->texture, RenderTextures[0]);
  EXPECT_TRUE(quads[32]->states.alphaBlend);
  EXPECT_FALSE(quads[32]->states.colorKey);
  ExpectQuad(*quads[33], {0.43f, 0.0f, 255, 100.0f, 40.0f});
  EXPECT_FALSE(quads[33]->states.alphaBlend);
  EXPECT_TRUE(quads[33]->states.colorKey);

  RunFrame(TunnelFadeScene, 1.0f);
  EXPECT_EQ(PhaseClock, 256.0f);
  EXPECT_EQ(FadeB, 0.0f);
}

TEST_F(RingScenesTest, RingTunnelFadesInFromBlackAcrossTheHandOffs) {
  FadeB = 0.4f;  // whatever the trio left
  RunFrame(AnimationScene, 1.0f);
  RunFrame(ContrastTunnelScene, 1.0f);
  EXPECT_EQ(Quads()[1]->tlVertices[0].color, 0u);
  FrameStepTimerC = 3.0f;  // held at 0 by the contrast tunnel
  RunFrame(ContrastTunnelScene, 1.0f);
  EXPECT_EQ(FrameStepTimerC, 0.0f);
  RunFrame(TunnelInsetScene, 1.0f);
  EXPECT_EQ(FrameStepTimerC, 1.0f);
  RunFrame(TunnelFadeScene, 1.0f);
  EXPECT_EQ(FrameStepTimerC, 2.0f);
}

}  // namespace
