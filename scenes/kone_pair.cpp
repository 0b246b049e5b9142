#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

void KonePairFrame(IDirectDrawSurface7* added, float addedStretch, IDirectDrawSurface7* keyed,
                   float keyedStretch) {
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DepthTestOff();
  BlendOff();
  const std::uint8_t* kone = AnimationStreamImages[1];
  AnimationTarget = 1;
  UploadAnimationFrame(kone, static_cast<int>(FrameStepTimerA));
  AdvanceFrameStep(FrameStepTimerA, FrameDelta * 0.5f, AnimationFrameCount(kone), 0);
  Device->SetTexture(0, RenderTextures[1]);
  BlendOff();
  DrawQuad(1.0f, 0.0f, 255, 0.0f, 0.0f);

  EffectClock = EffectClock + FrameDelta;
  const float c = EffectClock;
  // Sizes 1.0..1.2 with a period of about 100 clock units, and 0.6..0.8 with about 160.
  Device->SetTexture(0, added);
  QuadStretch.x = addedStretch;
  const float s = std::sin(c * 0.0628f) * 0.1f + 0.7f;
  AdditiveBlendOn();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DrawQuad(s + 0.4f, 0.0f, 255, 120.0f, 80.0f);

  Device->SetTexture(0, keyed);
  BlendOff();
  const float t = std::cos(c * 0.03925f) * 0.1f + 0.7f;
  QuadStretch.x = keyedStretch;
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawQuad(t, 0.0f, 255, -80.0f, 120.0f);
  QuadStretch.x = 1.0f;
}

void KonePairScene() { KonePairFrame(TextureSlots[2], 0.8f, TextureSlots[3], 1.0f); }
