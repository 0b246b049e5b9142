#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

void RingTunnel(int brightness) {
  Device->SetTexture(0, TextureSlots[4]);
  AdditiveBlendOn();
  const float t = EffectClock;
  const float swing = std::sin(t * 0.010466667f);
  const float driftX = std::sin(t * 0.00628f);
  const float driftY = std::cos(t * 0.00785f);
  // Thirty-one quads: thirty single-precision steps of 0.08 stay just below 4.4.
  for (float s = 2.0f; s < 4.4f; s += 0.08f) {
    DrawQuad(s + 0.3f, swing * (1.0f - s) * 80.0f + t, brightness, driftX * s * 28.0f,
             driftY * s * 36.0f);
  }
}

void ContrastTunnelFrame(float contrastFall) {
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  FramePostProcess = AnimatedContrast;
  // Through 0 (flat grey luma) into a negative image, held at -1.7.
  LumaContrast = LumaContrast - FrameDelta * contrastFall;
  if (LumaContrast <= -1.7f) LumaContrast = -1.7f;
  BlendOff();
  const std::uint8_t* stream = AnimationStreamImages[2];
  AnimationTarget = 1;
  UploadAnimationFrame(stream, static_cast<int>(FrameStepTimerB));
  // At the end the last four frames repeat.
  const int frameCount = AnimationFrameCount(stream);
  AdvanceFrameStep(FrameStepTimerB, FrameDelta * 0.5f, frameCount, frameCount - 4);
  Device->SetTexture(0, RenderTextures[1]);
  BlendOff();
  DrawQuad(1.0f, 0.0f, 255, 0.0f, 0.0f);
  RingTunnel(static_cast<int>(FadeB * 40.0f));
}

void ContrastTunnelScene() {
  ContrastTunnelFrame(0.1f);
  RaiseFade(FadeB, FrameDelta * 0.01f);
  // Pullo waits at its first frame for the inset of the next scene.
  FrameStepTimerC = 0.0f;
  // The clock runs backwards from here to entry 11.
  EffectClock = EffectClock - 2.0f * FrameDelta;
}
