#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "core/shared.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

void PulloStep() {
  FramePostProcess = BoostContrast;
  AnimationTarget = 0;
  EffectClock = EffectClock - 2.0f * FrameDelta;
  const std::uint8_t* pullo = AnimationStreamImages[3];
  UploadAnimationFrame(pullo, static_cast<int>(FrameStepTimerC));
  AdvanceFrameStep(FrameStepTimerC, FrameDelta, AnimationFrameCount(pullo), 0);
}

void TunnelInsetScene() {
  ContrastTunnelFrame(0.02f);
  LowerFade(FadeB, FrameDelta * 0.001f);
  PulloStep();
  // For the object scenes that follow; nothing is drawn with it here.
  ViewOffset.y = 0.0f;
  ViewOffset.z = (std::sin(EffectClock * 0.010466667f) + 1.0f) * 100.0f;
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);

  // The pullo picture right of and below the centre, over a tall additive glow of itself.
  Device->SetTexture(0, RenderTextures[0]);
  QuadStretch = {0.8f, 4.0f};
  AdditiveBlendOn();
  DrawQuad(0.43f, 0.0f, 140, 100.0f, 40.0f);
  BlendOff();
  QuadStretch = {1.0f, 1.0f};
  DrawQuad(0.43f, 0.0f, 255, 100.0f, 40.0f);

  // Bitmap 1004 at half width, a quarter turn clockwise, pulsing at the lower left.
  Device->SetTexture(0, TextureSlots[3]);
  QuadStretch.x = 0.5f;
  DrawQuad(std::cos(EffectClock * 0.03925f) * 0.1f + 0.7f, -256.0f, 255, -240.0f, 170.0f);
  QuadStretch.x = 1.0f;
}
