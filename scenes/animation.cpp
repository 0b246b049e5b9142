#include "assets/animation.h"
#include "assets/loader.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

// The 3dfx stream full screen, looping over all but its last five frames, with whatever
// callback an earlier scene installed.
void AnimationScene() {
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  BlendOff();
  const std::uint8_t* stream = AnimationStreamImages[2];
  AnimationTarget = 1;
  UploadAnimationFrame(stream, static_cast<int>(FrameStepTimerB));
  AdvanceFrameStep(FrameStepTimerB, FrameDelta * 0.5f, AnimationFrameCount(stream) - 5, 0);
  Device->SetTexture(0, RenderTextures[1]);
  BlendOff();
  DrawQuad(1.0f, 0.0f, 255, 0.0f, 0.0f);
  // The ring tunnel of the next scene fades in from black.
  FadeB = 0.0f;
}
