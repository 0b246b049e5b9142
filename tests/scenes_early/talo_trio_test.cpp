// Entries 5 to 7: the three lit talo objects over the item animation, the trio tunnel, the
// insets, and the two wrappers that fade the tunnel and run the item timer.
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

using TaloTrioTest = SceneTest;

TEST_F(TaloTrioTest, FrameLayersBackgroundObjectsTunnelAndInsetsInOrder) {
  RunFrame(TaloTrioScene, 1.0f);
  using Kind = d3drec::Call::Kind;
  std::string order;
  for (const auto& call : calls) {
    if (call.kind == Kind::DrawPrimitive) order += 'q';
    if (call.kind == Kind::DrawIndexedPrimitive) order += 'o';
    if (call.kind == Kind::LoadTextureFromSurface) order += 'c';
    if (call.kind == Kind::LoadTextureFromMemory) order += 'u';
  }
  EXPECT_EQ(order, "qooo" "c" + std::string(19, 'q') + "quqq");

  const auto quads = Quads();
  EXPECT_EQ(quads[0]->texture, RenderTextures[0]);
  EXPECT_FALSE(quads[0]->states.alphaBlend);
  for (const auto* object : Objects()) {
    EXPECT_EQ(object->texture, TextureSlots[0]);
    EXPECT_EQ(object->states.zEnable, static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_TRUE(object->states.colorKey);
  }
  // The tunnel is invisible while FadeB is 0, and drawn without keying.
  EXPECT_EQ(quads[1]->tlVertices[0].color, 0u);
  EXPECT_FALSE(quads[1]->states.colorKey);

  const auto* insets = &quads[20];
  ExpectQuad(*insets[0], {0.4f, 0.0f, 255, 120.0f, -60.0f});
  ExpectQuad(*insets[1], {0.6f, 0.0f, 255, 120.0f, -10.0f});
  ExpectQuad(*insets[2], {0.8f, 0.0f, 255, 120.0f, 60.0f});
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(insets[k]->texture, RenderTextures[0]);
    EXPECT_TRUE(insets[k]->states.colorKey);
    EXPECT_EQ(insets[k]->states.alphaBlend, k == 2);
  }
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[0]);
  EXPECT_EQ(AnimationTarget, 0);
  EXPECT_EQ(FramePostProcess, BoostContrast);
  EXPECT_EQ(UVScale, 8.0f);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RenderState(D3DRENDERSTATE_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
}

TEST_F(TaloTrioTest, LightsOrbitFromTheClockAtTheStartOfTheFrame) {
  EffectClock = 0.0f;
  RunFrame(TaloTrioScene, 5.0f);
  // At t = 0 only the fixed parts of angleY remain: half, none, a quarter and three quarters.
  const float expected[4][3] = {{0, 0, -80}, {0, 0, 80}, {-80, 0, 0}, {80, 0, 0}};
  const float colours[4][3] = {{1.0f, 0.7f, 0.4f}, {0.6f, 0.4f, 0.4f}, {0.7f, 0.4f, 0.3f}, {0.6f, 0.5f, 0.0f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(Lights[i].position.x, expected[i][0], 1e-3) << "light " << i;
    EXPECT_NEAR(Lights[i].position.y, expected[i][1], 1e-3) << "light " << i;
    EXPECT_NEAR(Lights[i].position.z, expected[i][2], 1e-3) << "light " << i;
    EXPECT_EQ(Lights[i].intensity, 1900.0f);
    EXPECT_EQ(Lights[i].falloff, 1900.0f / 80.0f);
    EXPECT_EQ(Lights[i].red, colours[i][0]);
    EXPECT_EQ(Lights[i].green, colours[i][1]);
    EXPECT_EQ(Lights[i].blue, colours[i][2]);
    EXPECT_EQ(Lights[i].allowNegative, 0);
  }
  // The row's depth follows the clock after its advance.
  EXPECT_EQ(EffectClock, 5.0f);
  EXPECT_FLOAT_EQ(ViewOffset.z, (std::sin(5.0f * 0.0104666669f) + 1.0f) * 100.0f);
}

TEST_F(TaloTrioTest, WrappersFadeTheTunnelBeforeAndStepTheItemTimerAfterDrawing) {
  FrameStepTimerA = 3.0f;
  RunFrame(TaloTrioScene, 1.0f);  // entry 5: fade and frame stand still
  EXPECT_EQ(FadeB, 0.0f);
  EXPECT_EQ(FrameStepTimerA, 3.0f);

  RunFrame(TaloTrioFadeIn, 12.5f);
  EXPECT_EQ(FadeB, 0.375f);
  EXPECT_EQ(Quads()[1]->tlVertices[0].color, 0x0F0F0Fu);  // 0.375 x 40, this frame's fade
  EXPECT_EQ(FrameStepTimerA, 0.0f);  // 3 + 12.5 passed the eight frames
  RunFrame(TaloTrioFadeIn, 30.0f);
  EXPECT_EQ(FadeB, 1.0f);
  EXPECT_EQ(FrameStepTimerA, 0.0f);
  FrameStepTimerA = 6.0f;
  RunFrame(TaloTrioFadeIn, 1.0f);
  EXPECT_EQ(FrameStepTimerA, 7.0f);

  RunFrame(TaloTrioFadeOut, 10.0f);
  EXPECT_FLOAT_EQ(FadeB, 0.9f);
  EXPECT_EQ(Quads()[1]->tlVertices[0].color, 0x242424u);  // 36
  EXPECT_EQ(FrameStepTimerA, 0.0f);                       // 7 + 5
  RunFrame(TaloTrioFadeOut, 1.0f);
  EXPECT_EQ(FrameStepTimerA, 0.5f);
  RunFrame(TaloTrioFadeOut, 200.0f);
  EXPECT_EQ(FadeB, 0.0f);
}

}  // namespace
