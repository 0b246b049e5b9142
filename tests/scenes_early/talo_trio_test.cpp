// Entries 5 to 7: the lit talo trio over the item animation, its tunnel and insets, and the two
// wrappers that fade the tunnel and run the item timer.
#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "render/object.h"
#include "scene_harness.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using TaloTrioTest = SceneTest;

TEST_F(TaloTrioTest, FrameLayersLastItemFrameObjectsTunnelAndInsetsAroundTheUpload) {
  FrameStepTimerA = 3.0f;
  RunFrame(TaloTrioScene, 5.0f);
  using Kind = d3drec::Call::Kind;
  std::string order;
  for (const auto& call : calls) {
    if (call.kind == Kind::DrawPrimitive) order += 'q';
    if (call.kind == Kind::DrawIndexedPrimitive) order += 'o';
    if (call.kind == Kind::LoadTextureFromSurface) order += 'c';
    if (call.kind == Kind::LoadTextureFromMemory) order += 'u';
  }
  EXPECT_EQ(order, "qoooc" + std::string(19, 'q') + "quqq");
  EXPECT_EQ(LastUploaded(), Frame(Item, 3));
  EXPECT_EQ(Uploads()[0]->texture, RenderTextures[0]);
  EXPECT_EQ(FramePostProcess, BoostContrast);
  EXPECT_EQ(FrameStepTimerA, 3.0f);  // entry 5 holds the frame and the fade
  EXPECT_EQ(FadeB, 0.0f);

  const auto quads = Quads();
  EXPECT_EQ(quads[0]->texture, RenderTextures[0]);
  for (const auto* object : Of(Kind::DrawIndexedPrimitive)) {
    EXPECT_EQ(object->texture, TextureSlots[0]);
    EXPECT_TRUE(object->states.zEnable == D3DZB_TRUE && object->states.colorKey);
  }
  EXPECT_FALSE(quads[1]->states.colorKey);  // the tunnel
  const float insetY[3] = {-60.0f, -10.0f, 60.0f};
  for (int k = 0; k < 3; ++k) {
    ExpectQuad(quads[20 + k], {0.4f + 0.2f * k, 0.0f, 255, 120.0f, insetY[k]});
    EXPECT_EQ(quads[20 + k]->texture, RenderTextures[0]);
    EXPECT_TRUE(quads[20 + k]->states.colorKey);
    EXPECT_EQ(quads[20 + k]->states.alphaBlend, k == 2);
  }
  EXPECT_EQ(UVScale, 8.0f);
  EXPECT_EQ(AnimationTarget, 0);

  // Lights from the clock at the frame's start (t = 0: only the fixed parts of angleY), the row's
  // depth from the clock after its advance.
  const float position[4][3] = {{0, 0, -80}, {0, 0, 80}, {-80, 0, 0}, {80, 0, 0}};
  const float red[4] = {1.0f, 0.6f, 0.7f, 0.6f}, blue[4] = {0.4f, 0.4f, 0.3f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(Lights[i].position.x, position[i][0], 1e-3) << i;
    EXPECT_NEAR(Lights[i].position.z, position[i][2], 1e-3) << i;
    EXPECT_EQ(Lights[i].falloff, 1900.0f / 80.0f);
    EXPECT_EQ(Lights[i].red, red[i]);
    EXPECT_EQ(Lights[i].blue, blue[i]);
  }
  EXPECT_FLOAT_EQ(ViewOffset.z, (std::sin(5.0f * 0.0104666669f) + 1.0f) * 100.0f);
}

TEST_F(TaloTrioTest, WrappersFadeTheTunnelBeforeAndStepTheItemTimerAfterDrawing) {
  FrameStepTimerA = 6.0f;
  RunFrame(TaloTrioFadeIn, 12.5f);
  EXPECT_EQ(FadeB, 0.375f);
  EXPECT_EQ(Grey(Quads()[1]), 15);  // this frame's fade x 40
  EXPECT_EQ(LastUploaded(), Frame(Item, 6));
  EXPECT_EQ(FrameStepTimerA, 0.0f);  // 18.5 passed the eight frames
  RunFrame(TaloTrioFadeIn, 30.0f);
  EXPECT_EQ(FadeB, 1.0f);
  FrameStepTimerA = 7.0f;
  RunFrame(TaloTrioFadeOut, 1.0f);
  EXPECT_EQ(FrameStepTimerA, 7.5f);
  RunFrame(TaloTrioFadeOut, 1.0f);
  EXPECT_EQ(FrameStepTimerA, 0.0f);
  RunFrame(TaloTrioFadeOut, 200.0f);
  EXPECT_EQ(FadeB, 0.0f);
}

}  // namespace
