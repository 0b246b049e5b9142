#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "core/shared.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

// Lights 0, 2 and 3 orbit the origin at distance 40 from the clock t on entry; LightParams keeps
// light 3's values afterwards.
void PlaceOrbitLights(float t) {
  LightParams.distance = 40.0f;
  LightParams.intensity = 2400.0f;
  LightParams.allowNegative = 0;

  LightParams.angleX = 0.4f * t;
  LightParams.angleY = 3.0f * t + 512.0f;
  LightParams.angleZ = 2.0f * t;
  LightParams.red = 1.0f;
  LightParams.green = 0.7f;
  LightParams.blue = 0.4f;
  PlaceLight(0);

  LightParams.angleX = 0.4f * t * 1.2f;
  LightParams.angleY = 3.0f * t + 256.0f;
  LightParams.angleZ = t;
  LightParams.red = 0.7f;
  LightParams.green = 0.4f;
  LightParams.blue = 0.3f;
  PlaceLight(2);

  LightParams.angleY = 2.0f * t + 768.0f;
  LightParams.red = 0.6f;
  LightParams.green = 0.5f;
  LightParams.blue = 0.0f;
  PlaceLight(3);
}

}  // namespace

void TaloScene() {
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  FramePostProcess = BoostContrast;
  DepthTestOff();
  BlendOff();
  // The back buffer holds only the clear here, so this lays a faint black veil.
  Device->SetTexture(0, RenderTextures[2]);
  CopyBackBufferToTexture();
  DrawQuad(1.05f, 0.0f, 50, 0.0f, 0.0f);

  PlaceOrbitLights(EffectClock);
  // Light 1 sits at the camera, by the offset the previous frame left.
  Lights[1] = {{-ViewOffset.x, -ViewOffset.y, -ViewOffset.z}, 450.0f, 1.2f, 1.1f, 1.2f, 0.8f, 0};
  LightCount = 4;
  AmbientColour = {70.0f, 70.0f, 70.0f};

  EffectClock = EffectClock + FrameDelta;
  const float t = EffectClock;
  Device->SetTexture(0, TextureSlots[0]);
  DepthTestOn();
  BlendOff();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  SetFieldOfView(60.0 + 40.0 * std::sin(0.0785 * static_cast<double>(t)));  // 20 to 100 degrees
  ViewOffset = {0.0f, 0.0f, 10.0f * (std::sin(0.0628f * t) + 1.0f)};

  // A dim, narrow band on the right; it leaves the depth test off for the objects too.
  UVScale = 4.0f;
  QuadStretch.x = 0.3f;
  DrawQuad(-1.0f, 0.0f, 50, 160.0f, 0.0f);
  QuadStretch.x = 1.0f;

  // Normal scale, bias, culling and environment mapping stay as earlier scenes left them.
  const ObjectImage talo = ObjectFileImages[2];
  DrawObject(talo, 0.0f, -40.0f, 0.0f, 1.0f, t, 0.0f, 50.0f);
  DrawObject(talo, 0.0f, -40.0f, 0.0f, 3.5f, 2.0f * t, 0.0f, 50.0f);
  DrawObject(ObjectFileImages[4], 0.0f, -40.0f, 0.0f, 0.1f, 2.0f * t, 0.0f, 50.0f);
  AdditiveBlendOn();

  // The item frame for the timer after this frame's advance, as a tall strip right of centre.
  const std::uint8_t* item = AnimationStreamImages[0];
  AnimationTarget = 0;
  AdvanceFrameStep(FrameStepTimerD, FrameDelta, AnimationFrameCount(item), 0);
  UploadAnimationFrame(item, static_cast<int>(FrameStepTimerD));
  Device->SetTexture(0, RenderTextures[0]);
  QuadStretch = {0.5f, 2.0f};
  DrawQuad(1.0f, 0.0f, 255, 120.0f, 0.0f);
  QuadStretch = {1.0f, 1.0f};

  Device->SetTexture(0, RenderTextures[2]);
  GlowTrails(8, 0.0f, 0.0f, 50);
}
