#include "assets/animation.h"
#include "assets/loader.h"
#include "core/shared.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

void KoneTunnelScene() {
  OpeningEcho();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  BlendOff();
  const std::uint8_t* kone = AnimationStreamImages[1];
  AnimationTarget = 1;
  UploadAnimationFrame(kone, static_cast<int>(FrameStepTimerA));
  AdvanceFrameStep(FrameStepTimerA, FrameDelta * 0.5f, AnimationFrameCount(kone), 0);
  EffectClock = EffectClock + FrameDelta * 4.0f;
  // The object state the three-object scene of entries 5 to 7 draws with without setting it.
  CullingOff = 1;
  AmbientColour = {130.0f, 130.0f, 130.0f};
  LightCount = 4;
  ForceEnvMap = 0;
  UVScale = 8.0f;
  OpeningLayers();
  Device->SetTexture(0, RenderTextures[1]);
  BlendOff();
  DrawQuad(0.65f, 0.0f, 255, 0.0f, 0.0f);
}
