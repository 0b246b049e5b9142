#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

const FeedbackTunnelVariant OpeningTunnel = {60.0f, &FadeA, 25.0f, 88.0f, 96.0f};
const FeedbackTunnelVariant TrioTunnel = {40.0f, &FadeB, 40.0f, 28.0f, 36.0f};

namespace {

// Offsets kept in 0..1: above 1.0 exactly one 1.0 is taken off, so the fraction carries over.
float WrapScroll(float offset) { return offset > 1.0f ? offset - 1.0f : offset; }

}  // namespace

void Scroller(int firstBrightness, int secondBrightness, float secondAngle) {
  Device->SetTexture(0, TextureSlots[1]);
  DepthTestOff();
  QuadTexOrigin = {0.0f, ScrollV};
  AdditiveBlendOn();
  DrawQuad(1.0f, 0.0f, firstBrightness, 0.0f, 0.0f);
  QuadTexOrigin = {ScrollU, 0.0f};
  DrawQuad(-1.0f, secondAngle, secondBrightness, -100.0f, 0.0f);
  QuadTexOrigin = {0.0f, 0.0f};
  ScrollV = WrapScroll(ScrollV + FrameDelta * 0.01f);
  ScrollU = WrapScroll(ScrollU + FrameDelta * 0.02f);
}

void Scroller() {
  const int brightness = static_cast<int>(FadeA * 128.0f);
  Scroller(brightness, brightness, 256.0f);
}

void FeedbackTunnel(const FeedbackTunnelVariant& variant) {
  Device->SetTexture(0, RenderTextures[2]);
  AdditiveBlendOn();
  CopyBackBufferToTexture();
  const float c = EffectClock;
  const int brightness = static_cast<int>(*variant.fadeLevel * variant.brightnessScale);
  const float swing = std::sin(c * 0.0104666669f);
  const float driftX = std::sin(c * 0.00628f);
  const float driftY = std::cos(c * 0.00785f);
  // The single-precision step decides the count: nineteen quads, the last at 1.78.
  for (float k = 0.7f; k < 1.8f; k += 0.06f) {
    DrawQuad(k, swing * (1.0f - k) * variant.angleAmplitude, brightness,
             driftX * k * variant.xAmplitude, driftY * k * variant.yAmplitude);
  }
}

void OpeningEcho() {
  Device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  Device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  DepthTestOff();
  Device->SetTexture(0, RenderTextures[2]);
  DrawQuad(1.0f, 0.0f, static_cast<int>(FadeA * 60.0f), 0.0f, 0.0f);
}

void OpeningLayers() {
  Device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  BlendOff();
  Scroller();
  FeedbackTunnel(OpeningTunnel);
}

void OpeningScene() {
  OpeningEcho();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  BlendOff();
  // Frame 2 of kone waits in render texture 1 for the next scene; it is loaded until the timer
  // first moves, so a first frame of zero length loads it again.
  AnimationTarget = 1;
  if (FrameStepTimerA == 0.0f) UploadAnimationFrame(AnimationStreamImages[1], 2);
  FrameStepTimerA = FrameStepTimerA + FrameDelta * 0.5f;
  EffectClock = EffectClock + FrameDelta * 4.0f;
  OpeningLayers();
  // Advanced after drawing, so the very first frame is black.
  RaiseFade(FadeA, FrameDelta * 0.02f);
}
