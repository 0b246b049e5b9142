// The three shared patterns, each read from the quads it draws.
#include <cmath>

#include "assets/loader.h"
#include "render/quad.h"
#include "scene_harness.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"

namespace {

using PatternTest = SceneTest;

void DrawOpeningTunnel() { FeedbackTunnel(OpeningTunnel); }
void DrawTrioTunnel() { FeedbackTunnel(TrioTunnel); }
void DrawRingTunnel() { RingTunnel(static_cast<int>(FadeB * 40.0f)); }

TEST_F(PatternTest, FeedbackTunnelAddsNineteenCopiesOfTheFrameSoFar) {
  FadeA = 0.5f;
  EffectClock = 0.0f;  // no swing, no x drift, full y drift
  RunFrame(DrawOpeningTunnel, 1.0f);
  ASSERT_EQ(CopiesToFeedback(), 1);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 19u);
  // The copy is taken before the first quad, so every quad shows the frame as it stood.
  for (const auto& call : calls) {
    if (call.kind == d3drec::Call::Kind::DrawPrimitive) FAIL() << "a quad came before the copy";
    if (call.kind == d3drec::Call::Kind::LoadTextureFromSurface) break;
  }
  for (const auto* quad : quads) {
    EXPECT_EQ(quad->texture, RenderTextures[2]);
    EXPECT_TRUE(quad->states.alphaBlend);
    EXPECT_EQ(quad->states.destBlend, static_cast<DWORD>(D3DBLEND_ONE));
  }
  ExpectQuad(*quads.front(), {0.7f, 0.0f, 12, 0.0f, 0.7f * 96.0f});
  ExpectQuad(*quads.back(), {1.78f, 0.0f, 12, 0.0f, 1.78f * 96.0f});
}

TEST_F(PatternTest, FeedbackTunnelVariantsSwingAndDriftWithTheClock) {
  FadeB = 1.0f;
  EffectClock = 100.0f;
  RunFrame(DrawTrioTunnel, 1.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 19u);
  const float k = 0.7f + 0.06f;  // the second quad
  ExpectQuad(*quads[1], {k, std::sin(1.04666669f) * (1 - k) * 40, 40, std::sin(0.628f) * k * 28,
                         std::cos(0.785f) * k * 36});
}

TEST_F(PatternTest, RingTunnelDrawsThirtyOneSwirlingCopiesOfBitmap1005) {
  FadeB = 0.75f;
  EffectClock = -60.0f;
  RunFrame(DrawRingTunnel, 1.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 31u);
  for (const auto* quad : quads) {
    EXPECT_EQ(quad->texture, TextureSlots[4]);
    EXPECT_TRUE(quad->states.alphaBlend);
  }
  const float t = -60.0f;
  for (float s : {2.0f, 4.4f}) {
    const auto* quad = s < 3 ? quads.front() : quads.back();
    ExpectQuad(*quad, {s + 0.3f, std::sin(t * 0.010466667f) * (1 - s) * 80 + t, 30,
                       std::sin(t * 0.00628f) * s * 28, std::cos(t * 0.00785f) * s * 36});
  }
}

TEST_F(PatternTest, ScrollerCrossesTwoLayersAndWrapsItsOffsets) {
  FadeA = 1.0f;
  ScrollU = 0.99f;
  ScrollV = 0.995f;
  QuadTexOrigin = {0.0f, 0.0f};
  RunFrame(Scroller, 1.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_EQ(quads[0]->texture, TextureSlots[1]);
  EXPECT_TRUE(quads[0]->states.alphaBlend);
  ExpectQuad(*quads[0], {1.0f, 0.0f, 128, 0.0f, 0.0f}, 0.0f, 0.995f);
  ExpectQuad(*quads[1], {-1.0f, 256.0f, 128, -100.0f, 0.0f}, 0.99f, 0.0f);
  EXPECT_EQ(QuadTexOrigin.u, 0.0f);
  EXPECT_EQ(QuadTexOrigin.v, 0.0f);
  // 1.005 and 1.01 lose one whole 1.0 and keep their fractions.
  EXPECT_NEAR(ScrollV, 0.005f, 1e-6);
  EXPECT_NEAR(ScrollU, 0.01f, 1e-6);
  RunFrame(Scroller, 1.0f);
  EXPECT_NEAR(ScrollV, 0.015f, 1e-6);
  EXPECT_NEAR(ScrollU, 0.03f, 1e-6);
}

}  // namespace
