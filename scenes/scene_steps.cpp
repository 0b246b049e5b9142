#include "scenes/scene_steps.h"

#include <cmath>

#include "assets/loader.h"
#include "core/shared.h"
#include "render/projection.h"
#include "render/quad.h"
#include "scenes/scene_vars.h"

void GlowTrails(int count, float firstAngle, float angleStep, int brightness) {
  CopyBackBufferToTexture();
  for (int k = 1; k <= count; ++k) {
    const float size = static_cast<float>(1.0 + 0.05 * k);
    DrawQuad(size, firstAngle + static_cast<float>(k - 1) * angleStep, brightness, 0.0f, 0.0f);
  }
}

void SetFieldOfView(double degrees) {
  D3DMATRIX projection =
      BuildProjection(0.01f, 10000.0f, static_cast<float>(degrees * 0.017444444444444446));
  Device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
}

void AdditiveAnimationLayer(PostProcessRoutine postProcess, const std::uint8_t* stream, int frame) {
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  FramePostProcess = postProcess;
  DepthTestOff();
  BlendOff();
  AnimationTarget = 1;
  UploadAnimationFrame(stream, frame);
  Device->SetTexture(0, RenderTextures[1]);
  AdditiveBlendOn();
  DepthTestOff();
}

void CornerPicture(float swell) {
  DrawQuad(0.7f + swell * std::cos(0.03925f * EffectClock), -512.0f, 255, 140.0f, -170.0f);
}

void AdvanceSceneClocks(float step) {
  PhaseClock = PhaseClock + step;
  EffectClock = EffectClock + step;
}
