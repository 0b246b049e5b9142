#include "assets/loader.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

void KoneFadeScene() {
  OpeningEcho();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  EffectClock = EffectClock + FrameDelta * 4.0f;
  OpeningLayers();
  RaiseFade(FadeA, FrameDelta * 0.02f);
  // Advanced before its quads, so they show faintly from the first frame.
  RaiseFade(OverlayFade, FrameDelta * 0.06f);
  // Render texture 2 and additive blending are still in force from the tunnel.
  DrawQuad(0.5f, 0.0f, static_cast<int>(OverlayFade * 255.0f), 0.0f, 0.0f);
  DrawQuad(0.3f, 0.0f, static_cast<int>(OverlayFade * 128.0f), -30.0f, -80.0f);
  // Frame 2 of kone, left in render texture 1 by the opening.
  Device->SetTexture(0, RenderTextures[1]);
  DrawQuad(1.0f, 0.0f, static_cast<int>(OverlayFade * 255.0f), 0.0f, 0.0f);
}
