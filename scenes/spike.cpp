#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "core/shared.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/patterns.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

// The spike object at (x, y), reflecting the animation frame still bound, added without depth
// test; then the two scrolling layers of bitmap 1002 at their brightnesses.
void SpikeOverFrame(float x, float y, int firstLayer, int secondLayer) {
  ForceEnvMap = 1;
  AdditiveBlendOn();
  NormalScale = 1.0f;
  ViewOffset = {0.0f, 0.0f, -50.0f};
  DepthTestOff();
  const float t = EffectClock;
  DrawObject(ObjectFileImages[4], x, y, 0.0f, 0.3f, t, t * 0.2f, std::sin(t * 0.0157f) * 10.0f);
  Scroller(firstLayer, secondLayer, -256.0f);
  AdvanceSceneClocks(FrameDelta);
}

}  // namespace

void KelmuSpikeScene() {
  const std::uint8_t* kelmu = AnimationStreamImages[4];
  AdditiveAnimationLayer(InvertLuma, kelmu, static_cast<int>(FrameStepTimerD));
  AdvanceFrameStep(FrameStepTimerD, FrameDelta, AnimationFrameCount(kelmu), 0);
  // The negative at half width twice: upright on the right, half-turned on the left.
  QuadStretch.x = 0.5f;
  DrawQuad(1.0f, 0.0f, 255, 160.0f, 0.0f);
  DrawQuad(-1.0f, 0.0f, 255, -160.0f, 0.0f);
  QuadStretch.x = 1.0f;
  // Unlit: the spike shows only the ambient 40 of its reflection. Entry 19 keeps this.
  LightCount = 0;
  AmbientColour = {40.0f, 40.0f, 40.0f};
  SpikeOverFrame(20.0f, 10.0f, 60, 60);
}

void MinaSpikeScene() {
  AdditiveAnimationLayer(VividColour, AnimationStreamImages[5], 4);
  // A dim, oversized, half-turned layer and a small bright copy right of centre.
  DrawQuad(-1.1f, 0.0f, 55, 0.0f, 0.0f);
  DrawQuad(0.4f, 0.0f, 255, 80.0f, 0.0f);
  SpikeOverFrame(-2.0f, -5.0f, 80, 40);
}
