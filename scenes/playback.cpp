#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "core/shared.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

// The stream at FrameStepTimerD over the whole screen, vivid and added; the timer plays one
// frame per FrameDelta unit and starts again after the last frame.
void PlayFullScreen(const std::uint8_t* stream) {
  AdditiveAnimationLayer(VividColour, stream, static_cast<int>(FrameStepTimerD));
  AdvanceFrameStep(FrameStepTimerD, FrameDelta, AnimationFrameCount(stream), 0);
  DrawQuad(1.0f, 0.0f, 255, 0.0f, 0.0f);
}

}  // namespace

void KelmuPlaybackScene() {
  PlayFullScreen(AnimationStreamImages[4]);
  AdvanceSceneClocks(FrameDelta);
}

void KonePlaybackScene() {
  PlayFullScreen(AnimationStreamImages[1]);
  // A 160-pixel strip of the same frame, half-turned, right of centre.
  QuadStretch.x = 0.25f;
  DrawQuad(-1.0f, 0.0f, 210, 190.0f, 0.0f);
  QuadStretch.x = 1.0f;
  AdvanceSceneClocks(FrameDelta);
}
