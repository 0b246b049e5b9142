// Entries 8 to 11: the 3dfx loops, the inverting contrast, the RingTunnel fading in and out, the
// pullo inset with its own callback and target, and the clocks handed from scene to scene.
#include <algorithm>
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

TEST_F(RingScenesTest, ThreeDfxLoopsOverAllButFiveFramesThenOverItsLastFour) {
  FadeB = 0.4f;  // whatever the trio left
  int highest = 0;
  for (int frame = 0; frame < 28; ++frame) {
    RunFrame(AnimationScene, 1.0f);
    highest = std::max(highest, LastUploaded().second);
  }
  EXPECT_EQ(highest, 13);  // 19 frames: 14 to 18 never appear here
  EXPECT_EQ(FrameStepTimerB, 0.0f);
  EXPECT_EQ(FadeB, 0.0f);
  ExpectQuad(Quads()[0], {1.0f, 0.0f, 255, 0.0f, 0.0f});
  EXPECT_EQ(Quads()[0]->texture, RenderTextures[1]);

  FrameStepTimerB = 18.6f;
  RunFrame(ContrastTunnelScene, 1.0f);
  EXPECT_EQ(LastUploaded(), Frame(Stream3dfx, 18));
  EXPECT_EQ(FrameStepTimerB, 15.0f);
  EXPECT_EQ(Grey(Quads()[1]), 0);  // the tunnel fades in from black
}

TEST_F(RingScenesTest, ContrastTunnelInvertsTheStreamAndHoldsPulloAtItsFirstFrame) {
  FrameStepTimerC = 5.0f;
  EffectClock = 10.0f;
  RunFrame(ContrastTunnelScene, 1.0f);
  EXPECT_FLOAT_EQ(LumaContrast, 1.1f);
  EXPECT_EQ(FramePostProcess, AnimatedContrast);
  EXPECT_EQ(FrameStepTimerC, 0.0f);
  EXPECT_EQ(EffectClock, 8.0f);
  EXPECT_FLOAT_EQ(FadeB, 0.01f);
  ASSERT_EQ(Quads().size(), 32u);
  RunFrame(ContrastTunnelScene, 100.0f);
  EXPECT_EQ(LumaContrast, -1.7f);
  EXPECT_EQ(FadeB, 1.0f);
  RunFrame(ContrastTunnelScene, 1.0f);
  EXPECT_EQ(Grey(Quads()[1]), 40);
}

TEST_F(RingScenesTest, TunnelInsetAddsPulloWithItsGlowAndTheTurnedBitmap) {
  FadeB = 1.0f;
  LumaContrast = -1.0f;
  FrameStepTimerC = 7.5f;
  RunFrame(TunnelInsetScene, 1.0f);
  ASSERT_EQ(Uploads().size(), 2u);
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[1]);  // 3dfx, through AnimatedContrast
  EXPECT_EQ(Uploads()[1]->texture, RenderTextures[0]);  // pullo, through BoostContrast
  EXPECT_EQ(LastUploaded(), Frame(Pullo, 7));
  EXPECT_EQ(FramePostProcess, BoostContrast);
  EXPECT_EQ(AnimationTarget, 0);
  EXPECT_FLOAT_EQ(LumaContrast, -1.02f);
  EXPECT_FLOAT_EQ(FadeB, 0.999f);
  EXPECT_EQ(FrameStepTimerC, 0.0f);  // every pullo frame is shown, then it starts again
  EXPECT_EQ(EffectClock, -2.0f);
  EXPECT_FLOAT_EQ(ViewOffset.z, (std::sin(-2.0f * 0.010466667f) + 1.0f) * 100.0f);

  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 1 + 31 + 3u);
  EXPECT_EQ(Grey(quads[1]), 40);
  ExpectQuad(quads[32], {0.43f, 0.0f, 140, 100.0f, 40.0f, 0.8f, 4.0f});
  EXPECT_TRUE(quads[32]->states.alphaBlend && quads[32]->states.colorKey);
  EXPECT_EQ(quads[32]->texture, RenderTextures[0]);
  ExpectQuad(quads[33], {0.43f, 0.0f, 255, 100.0f, 40.0f});
  EXPECT_FALSE(quads[33]->states.alphaBlend);
  ExpectQuad(quads[34], {std::cos(-2.0f * 0.03925f) * 0.1f + 0.7f, -256.0f, 255, -240.0f, 170.0f, 0.5f});
  EXPECT_EQ(quads[34]->texture, TextureSlots[3]);
  EXPECT_EQ(QuadStretch.x * QuadStretch.y, 1.0f);
  RunFrame(TunnelInsetScene, 2000.0f);
  EXPECT_EQ(FadeB, 0.0f);
}

TEST_F(RingScenesTest, TunnelFadeShowsTheStillAndAddsPulloOverIt) {
  PhaseClock = 255.0f;
  EffectClock = 30.0f;
  FrameStepTimerC = 4.0f;
  RunFrame(TunnelFadeScene, 1.0f);
  ASSERT_EQ(Uploads().size(), 1u);  // render texture 1 keeps the last 3dfx frame
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[0]);
  EXPECT_EQ(LastUploaded(), Frame(Pullo, 4));
  EXPECT_EQ(PhaseClock, 256.0f);
  EXPECT_EQ(EffectClock, 29.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 1 + 31 + 2u);  // the tunnel still draws at FadeB 0
  EXPECT_EQ(quads[0]->texture, RenderTextures[1]);
  // The tunnel turns with the clock before this frame's changes.
  ExpectQuad(quads[1], {2.3f, std::sin(30.0f * 0.010466667f) * -80.0f + 30.0f, 0,
                        std::sin(30.0f * 0.00628f) * 56.0f, std::cos(30.0f * 0.00785f) * 72.0f});
  ExpectQuad(quads[32], {1.0f, 0.0f, 255, 0.0f, 0.0f});
  EXPECT_TRUE(quads[32]->states.alphaBlend && !quads[32]->states.colorKey);
  ExpectQuad(quads[33], {0.43f, 0.0f, 255, 100.0f, 40.0f});
  EXPECT_TRUE(!quads[33]->states.alphaBlend && quads[33]->states.colorKey);
  EXPECT_EQ(quads[33]->texture, RenderTextures[0]);
}

TEST(FrameStep, AStreamTooShortForItsLoopRestartsAtFrameZeroNotBelow) {
  float timer = 2.5f;  // three frames: "the last four" would restart at -1
  AdvanceFrameStep(timer, 0.5f, 3, 3 - 4);
  EXPECT_EQ(timer, 0.0f);
  AdvanceFrameStep(timer, 0.5f, 3, 3 - 4);
  EXPECT_EQ(timer, 0.5f);
}

}  // namespace
