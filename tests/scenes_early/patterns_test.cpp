// The shared patterns, read from the quads they draw.
#include <cmath>

#include "assets/loader.h"
#include "render/quad.h"
#include "scene_harness.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"

namespace {

using PatternTest = SceneTest;

TEST_F(PatternTest, FeedbackTunnelCopiesTheFrameThenAddsNineteenDriftingCopies) {
  struct Case { const FeedbackTunnelVariant* variant; float amplitudes[3]; int brightness; };
  for (const Case& tunnel : {Case{&OpeningTunnel, {60, 88, 96}, 12}, Case{&TrioTunnel, {40, 28, 36}, 20}}) {
    FadeA = FadeB = 0.5f;
    EffectClock = 100.0f;
    static const FeedbackTunnelVariant* current;
    current = tunnel.variant;
    RunFrame([] { FeedbackTunnel(*current); }, 1.0f);
    const auto copies = Of(d3drec::Call::Kind::LoadTextureFromSurface);
    const auto quads = Quads();
    ASSERT_EQ(copies.size(), 1u);
    ASSERT_EQ(quads.size(), 19u);
    EXPECT_EQ(copies[0]->texture, RenderTextures[2]);
    EXPECT_LT(copies[0], quads[0]);  // every copy shows the frame as it stood before the tunnel
    for (float k : {0.7f, 1.78f}) {
      const auto* quad = k < 1 ? quads.front() : quads.back();
      EXPECT_EQ(quad->texture, RenderTextures[2]);
      EXPECT_TRUE(quad->states.alphaBlend);
      ExpectQuad(quad, {k, std::sin(1.04666669f) * (1 - k) * tunnel.amplitudes[0], tunnel.brightness,
                        std::sin(0.628f) * k * tunnel.amplitudes[1], std::cos(0.785f) * k * tunnel.amplitudes[2]});
    }
  }
}

TEST_F(PatternTest, RingTunnelAddsThirtyOneCopiesOfBitmap1005TurningWithTheClock) {
  EffectClock = -60.0f;
  RunFrame([] { RingTunnel(30); }, 1.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 31u);
  const float t = -60.0f;
  for (float s : {2.0f, 4.4f}) {
    const auto* quad = s < 3 ? quads.front() : quads.back();
    EXPECT_EQ(quad->texture, TextureSlots[4]);
    EXPECT_TRUE(quad->states.alphaBlend);
    ExpectQuad(quad, {s + 0.3f, std::sin(t * 0.010466667f) * (1 - s) * 80 + t, 30,
                      std::sin(t * 0.00628f) * s * 28, std::cos(t * 0.00785f) * s * 36});
  }
}

TEST_F(PatternTest, ScrollerCrossesTwoLayersAndKeepsTheFractionWhenItWraps) {
  FadeA = 1.0f;
  ScrollU = 0.99f;
  ScrollV = 0.995f;
  RunFrame(Scroller, 1.0f);
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_EQ(quads[0]->texture, TextureSlots[1]);
  EXPECT_TRUE(quads[1]->states.alphaBlend);
  ExpectQuad(quads[0], {1.0f, 0.0f, 128, 0.0f, 0.0f}, 0.0f, 0.995f);
  ExpectQuad(quads[1], {-1.0f, 256.0f, 128, -100.0f, 0.0f}, 0.99f, 0.0f);
  EXPECT_EQ(QuadTexOrigin.u + QuadTexOrigin.v, 0.0f);
  EXPECT_NEAR(ScrollV, 0.005f, 1e-6);
  EXPECT_NEAR(ScrollU, 0.01f, 1e-6);
}

}  // namespace
