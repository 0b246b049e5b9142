#include "assets/loader.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scenes.h"

// Steps once per drawn frame, not by FrameDelta: the fade's speed follows the frame rate.
void ClosingScene() {
  // The carried picture, 5% larger and at 240/255 of its brightness, over the cleared frame.
  Device->SetTexture(0, RenderTextures[2]);
  DrawQuad(1.05f, 0.0f, 240, 0.0f, 0.0f);
  AdditiveBlendOn();
  DepthTestOff();
  // Only this layer goes into the copy carried to the next frame; the glow comes after it.
  GlowTrails(8, 0.0f, 1.0f, 70);
}
