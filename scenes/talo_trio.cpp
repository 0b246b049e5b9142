#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "core/shared.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

// Four coloured lights orbiting the row, from the clock t at the start of the frame.
void PlaceTrioLights(float t) {
  LightParams.distance = 80.0f;
  LightParams.intensity = 1900.0f;
  LightParams.red = 1.0f;
  LightParams.green = 0.7f;
  LightParams.blue = 0.4f;
  LightParams.angleX = t * 0.4f;
  LightParams.allowNegative = 0;
  LightParams.angleY = t * 3.0f + 512.0f;
  LightParams.angleZ = 2.0f * t;
  PlaceLight(0);

  LightParams.angleY = 2.0f * t;
  LightParams.green = 0.4f;
  LightParams.blue = 0.4f;
  LightParams.red = 0.6f;
  LightParams.angleZ = LightParams.angleZ * 0.5f;
  PlaceLight(1);

  LightParams.angleY = t * 3.0f + 256.0f;
  LightParams.red = 0.7f;
  LightParams.green = 0.4f;
  LightParams.blue = 0.3f;
  LightParams.angleX = LightParams.angleX * 1.2f;
  PlaceLight(2);

  LightParams.angleY = 2.0f * t + 768.0f;
  LightParams.red = 0.6f;
  LightParams.green = 0.5f;
  LightParams.blue = 0.0f;
  PlaceLight(3);
}

// The three talo objects share the spin; the outer two nod with their own periods.
void DrawTrio(float t) {
  Device->SetTexture(0, TextureSlots[0]);
  DepthTestOn();
  BlendOff();
  ViewOffset.z = (std::sin(t * 0.0104666669f) + 1.0f) * 100.0f;  // depth 0..200
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  UVScale = 4.0f;
  DrawObject(ObjectFileImages[0], 80.0f, -40.0f, 0.0f, 1.0f, t, 0.0f,
             std::sin(t * 0.0157f) * 40.0f + 50.0f);
  UVScale = 2.0f;
  DrawObject(ObjectFileImages[1], -80.0f, -40.0f, 0.0f, 1.0f, t, 0.0f,
             std::sin(t * 0.0104666669f) * 40.0f + 50.0f);
  UVScale = 8.0f;
  DrawObject(ObjectFileImages[2], 0.0f, -40.0f, 0.0f, 1.0f, t, 0.0f, 50.0f);
}

void AdvanceItemTimer(float step) {
  AdvanceFrameStep(FrameStepTimerA, step, AnimationFrameCount(AnimationStreamImages[0]), 0);
}

}  // namespace

void TaloTrioScene() {
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  FramePostProcess = BoostContrast;
  DepthTestOff();
  BlendOff();
  // The item frame uploaded during the previous display frame.
  Device->SetTexture(0, RenderTextures[0]);
  BlendOff();
  DrawQuad(1.0f, 0.0f, 255, 0.0f, 0.0f);

  PlaceTrioLights(EffectClock);
  EffectClock = EffectClock + FrameDelta;
  DrawTrio(EffectClock);

  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  FeedbackTunnel(TrioTunnel);

  // Three insets stacked right of the centre: the first still shows last frame's picture.
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  QuadStretch.x = 1.0f;
  BlendOff();
  DepthTestOff();
  Device->SetTexture(0, RenderTextures[0]);
  DrawQuad(0.4f, 0.0f, 255, 120.0f, -60.0f);
  AnimationTarget = 0;
  UploadAnimationFrame(AnimationStreamImages[0], static_cast<int>(FrameStepTimerA));
  DrawQuad(0.6f, 0.0f, 255, 120.0f, -10.0f);
  AdditiveBlendOn();
  DrawQuad(0.8f, 0.0f, 255, 120.0f, 60.0f);
}

void TaloTrioFadeIn() {
  RaiseFade(FadeB, FrameDelta * 0.03f);
  TaloTrioScene();
  AdvanceItemTimer(FrameDelta);
}

void TaloTrioFadeOut() {
  LowerFade(FadeB, FrameDelta * 0.01f);
  TaloTrioScene();
  AdvanceItemTimer(FrameDelta * 0.5f);
}
