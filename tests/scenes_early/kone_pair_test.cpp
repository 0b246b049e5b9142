// Entries 3 and 4: kone full screen with two breathing bitmaps, which trade places and roles in
// entry 4, where the frames also pass through PulsingContrast.
#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "render/quad.h"
#include "scene_harness.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using KonePairTest = SceneTest;

struct PairCase {
  void (*scene)();
  int addedSlot, keyedSlot;
  float addedStretch, keyedStretch;
};

TEST_F(KonePairTest, BitmapsSwellAboutTheirPlacesWithTheirOwnStretchAndKeying) {
  for (const PairCase& pair : {PairCase{KonePairScene, 2, 3, 0.8f, 1.0f},
                               PairCase{KonePairSceneB, 3, 2, 1.0f, 0.8f}}) {
    SetUp();
    EffectClock = -1.0f;  // c = 0 after this frame's advance
    RunFrame(pair.scene, 1.0f);
    const auto quads = Quads();
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_EQ(quads[0]->texture, RenderTextures[1]);
    EXPECT_FALSE(quads[0]->states.alphaBlend);
    ExpectQuad(*quads[0], {1.0f, 0.0f, 255, 0.0f, 0.0f});

    EXPECT_EQ(quads[1]->texture, TextureSlots[pair.addedSlot]);
    EXPECT_TRUE(quads[1]->states.alphaBlend);
    EXPECT_FALSE(quads[1]->states.colorKey);
    ExpectQuad(*quads[1], {1.1f, 0.0f, 255, 120.0f, 80.0f, pair.addedStretch});

    EXPECT_EQ(quads[2]->texture, TextureSlots[pair.keyedSlot]);
    EXPECT_FALSE(quads[2]->states.alphaBlend);
    EXPECT_TRUE(quads[2]->states.colorKey);
    ExpectQuad(*quads[2], {0.8f, 0.0f, 255, -80.0f, 120.0f, pair.keyedStretch});

    EXPECT_EQ(QuadStretch.x, 1.0f);
    EXPECT_EQ(RenderState(D3DRENDERSTATE_COLORKEYENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(EffectClock, 0.0f);
  }
}

TEST_F(KonePairTest, SizesBreatheWithTheClock) {
  EffectClock = 25.0f - 1.0f;  // a quarter period of the first bitmap
  RunFrame(KonePairScene, 1.0f);
  ExpectQuad(*Quads()[1], {std::sin(25.0f * 0.0628f) * 0.1f + 1.1f, 0.0f, 255, 120.0f, 80.0f, 0.8f});
  ExpectQuad(*Quads()[2], {std::cos(25.0f * 0.03925f) * 0.1f + 0.7f, 0.0f, 255, -80.0f, 120.0f});
}

TEST_F(KonePairTest, KoneKeepsPlayingAndOnlyTheSecondSceneInstallsACallback) {
  FrameStepTimerA = 7.0f;
  RunFrame(KonePairScene, 1.0f);
  EXPECT_EQ(FramePostProcess, NoPostProcess);
  ASSERT_EQ(Uploads().size(), 1u);
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[1]);
  EXPECT_EQ(FrameStepTimerA, 7.5f);
  RunFrame(KonePairSceneB, 1.0f);
  EXPECT_EQ(FramePostProcess, PulsingContrast);
  EXPECT_EQ(FrameStepTimerA, 0.0f);
  EXPECT_EQ(AnimationTarget, 1);
}

}  // namespace
