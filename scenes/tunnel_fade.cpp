#include "assets/loader.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

// Render texture 1 keeps the last 3dfx frame as a still; pullo plays on over it.
void TunnelFadeScene() {
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  Device->SetTexture(0, RenderTextures[1]);
  BlendOff();
  DrawQuad(1.0f, 0.0f, 255, 0.0f, 0.0f);
  RingTunnel(static_cast<int>(FadeB * 40.0f));
  LowerFade(FadeB, FrameDelta * 0.01f);
  PulloStep();
  PhaseClock = PhaseClock + 2.0f * FrameDelta;
  if (PhaseClock > 256.0f) PhaseClock = 256.0f;
  // Added over everything: the tunnel left additive blending on.
  Device->SetTexture(0, RenderTextures[0]);
  DrawQuad(1.0f, 0.0f, 255, 0.0f, 0.0f);
  EffectClock = EffectClock + FrameDelta;  // one FrameDelta back per frame in all
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  BlendOff();
  DrawQuad(0.43f, 0.0f, 255, 100.0f, 40.0f);
}
