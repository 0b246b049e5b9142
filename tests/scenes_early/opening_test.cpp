// Entries 0 to 4: the opening's fade from black and the kone picture it leaves, the overlays of
// entry 1, kone playing in entries 2 to 4, and the object state entry 2 leaves for the trio.
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

using OpeningTest = SceneTest;

constexpr size_t OpeningQuads = 1 + 2 + 19;  // echo, Scroller, FeedbackTunnel

TEST_F(OpeningTest, OpeningFadesInFromBlackAndLoadsKoneFrameTwoUntilItsTimerMoves) {
  RunFrame(OpeningScene, 0.0f);
  EXPECT_EQ(LastUploaded(), Frame(Kone, 2));
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[1]);
  for (const auto* quad : Quads()) EXPECT_EQ(Grey(quad), 0);
  RunFrame(OpeningScene, 12.5f);  // the timer was still 0: loaded again
  EXPECT_EQ(Uploads().size(), 1u);
  EXPECT_EQ(FadeA, 0.25f);
  RunFrame(OpeningScene, 1.0f);
  EXPECT_TRUE(Uploads().empty());
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), OpeningQuads);
  // Echo, Scroller and tunnel at FadeA x 60, x 128, x 25 of the fade before this frame's step.
  EXPECT_EQ(quads[0]->texture, RenderTextures[2]);
  EXPECT_TRUE(quads[0]->states.alphaBlend);  // as the previous frame left it
  EXPECT_EQ(Grey(quads[0]), 15);
  EXPECT_EQ(Grey(quads[1]), 32);
  EXPECT_EQ(Grey(quads[3]), 6);
  EXPECT_EQ(FrameStepTimerA, 6.75f);  // not wrapped here
  EXPECT_EQ(EffectClock, 54.0f);
  RunFrame(OpeningScene, 100.0f);
  EXPECT_EQ(FadeA, 1.0f);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_SPECULARENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_COLORKEYENABLE), static_cast<DWORD>(FALSE));
}

TEST_F(OpeningTest, KoneFadeAddsItsOverlaysFromItsFirstFrameWithoutUploading) {
  FadeA = 0.5f;
  RunFrame(KoneFadeScene, 1.0f);
  EXPECT_TRUE(Uploads().empty());
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), OpeningQuads + 3);
  EXPECT_EQ(Grey(quads[1]), 64);  // the Scroller at the old FadeA
  const auto* overlay = &quads[OpeningQuads];
  ExpectQuad(overlay[0], {0.5f, 0.0f, 15, 0.0f, 0.0f});  // OverlayFade 0.06 already
  ExpectQuad(overlay[1], {0.3f, 0.0f, 7, -30.0f, -80.0f});
  ExpectQuad(overlay[2], {1.0f, 0.0f, 15, 0.0f, 0.0f});
  EXPECT_EQ(overlay[1]->texture, RenderTextures[2]);
  EXPECT_EQ(overlay[2]->texture, RenderTextures[1]);
  EXPECT_TRUE(overlay[2]->states.alphaBlend);
  EXPECT_FLOAT_EQ(FadeA, 0.52f);
}

TEST_F(OpeningTest, KoneTunnelShowsTheFrameBeforeTheAdvanceAndWrapsAtTheStreamEnd) {
  FadeA = 1.0f;
  for (auto [timer, after] : {std::pair{7.4f, 7.9f}, std::pair{7.6f, 0.0f}, std::pair{20.0f, 0.0f}}) {
    FrameStepTimerA = timer;
    RunFrame(KoneTunnelScene, 1.0f);
    EXPECT_EQ(LastUploaded(), Frame(Kone, timer < 8 ? 7 : 0)) << timer;
    EXPECT_FLOAT_EQ(FrameStepTimerA, after) << timer;
  }
  EXPECT_EQ(FadeA, 1.0f);
  ExpectQuad(Quads().back(), {0.65f, 0.0f, 255, 0.0f, 0.0f});
  EXPECT_EQ(Quads().back()->texture, RenderTextures[1]);
  EXPECT_FALSE(Quads().back()->states.alphaBlend);
  EXPECT_EQ(CullingOff, 1);
  EXPECT_EQ(AmbientColour.green, 130.0f);
  EXPECT_EQ(LightCount, 4);
  EXPECT_EQ(ForceEnvMap, 0);
  EXPECT_EQ(UVScale, 8.0f);
}

TEST_F(OpeningTest, KonePairsTradeBitmapsStretchAndKeyingAndOnlyTheSecondPulsesContrast) {
  struct Case { void (*scene)(); int added, keyed; float addedStretch, keyedStretch; };
  for (const Case& pair : {Case{KonePairScene, 2, 3, 0.8f, 1.0f}, Case{KonePairSceneB, 3, 2, 1.0f, 0.8f}}) {
    SetUp();
    EffectClock = -1.0f;  // 0 at the upload (flat pulsing luma), c = 0 for the sizes
    FrameStepTimerA = 7.5f;
    RunFrame(pair.scene, 1.0f);
    EXPECT_EQ(LastUploaded(), Frame(Kone, 7));
    EXPECT_EQ(FrameStepTimerA, 0.0f);
    EXPECT_EQ(FramePostProcess, pair.scene == KonePairSceneB ? PulsingContrast : NoPostProcess);
    const auto quads = Quads();
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_EQ(quads[0]->texture, RenderTextures[1]);
    EXPECT_EQ(quads[1]->texture, TextureSlots[pair.added]);
    EXPECT_TRUE(quads[1]->states.alphaBlend && !quads[1]->states.colorKey);
    ExpectQuad(quads[1], {1.1f, 0.0f, 255, 120.0f, 80.0f, pair.addedStretch});
    EXPECT_EQ(quads[2]->texture, TextureSlots[pair.keyed]);
    EXPECT_TRUE(!quads[2]->states.alphaBlend && quads[2]->states.colorKey);
    ExpectQuad(quads[2], {0.8f, 0.0f, 255, -80.0f, 120.0f, pair.keyedStretch});
    EXPECT_EQ(QuadStretch.x, 1.0f);
  }
  // The callback is in force for the scene's very first upload: sin 0 flattens luma to 128 x 0.6.
  SetUp();
  RunFrame(KonePairSceneB, 1.0f);
  EXPECT_EQ(DecodedPicture[0], 76);
}

}  // namespace
