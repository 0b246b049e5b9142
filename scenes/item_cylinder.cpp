#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "core/shared.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

void ItemCylinderScene() {
  const float t = EffectClock;
  const float p = PhaseClock;

  // The offset is zeroed below, so from the second frame on these stand still.
  Lights[0] = {{49.0f, -ViewOffset.y, -ViewOffset.x}, 200.0f, 4.9f, 1.0f, 1.0f, 0.8f, 0};
  Lights[1] = {{-20.0f, -ViewOffset.y, -20.0f}, 250.0f, 4.2f, 1.1f, 1.2f, 0.8f, 0};
  NormalScale = -1.0f;
  SetFieldOfView(80.0 + 20.0 * std::sin(0.0157 * static_cast<double>(t)));  // 60 to 100 degrees

  // The item stream goes on from wherever the pullo scenes left the timer.
  const std::uint8_t* item = AnimationStreamImages[0];
  AnimationTarget = 0;
  UploadAnimationFrame(item, static_cast<int>(FrameStepTimerC));
  AdvanceFrameStep(FrameStepTimerC, FrameDelta, AnimationFrameCount(item), 0);

  ViewOffset = {40.0f * std::sin(0.005814815f * p), 50.0f * std::sin(0.010466667f * t) - 30.0f,
                30.0f * std::sin(0.00628f * p)};
  DepthTestOn();
  BlendOff();
  LightCount = 2;
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);

  // Last frame's copy, enlarged and turned, under everything.
  Device->SetTexture(0, RenderTextures[2]);
  DrawQuad(1.1f, 2.0f, 180, 0.0f, 0.0f);

  // The big cylinder wears the animation, its coordinates scaled by 8, added.
  const float pitch = 20.0f * std::sin(0.0157f * t);
  const ObjectImage cylinder = ObjectFileImages[3];
  CullingOff = 1;
  AmbientColour = {95.0f, 95.0f, 95.0f};
  Device->SetTexture(0, RenderTextures[0]);
  UVScale = 8.0f;
  Device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  Device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DepthTestOn();
  ScaleBias = {0.0f, 0.0f, 0.0f};
  AdditiveBlendOn();
  DrawObject(cylinder, 0.0f, 50.0f, 0.0f, 1.9f, t, 0.0f, pitch);

  Device->SetTexture(0, TextureSlots[0]);
  AmbientColour = {155.0f, 155.0f, 155.0f};
  NormalScale = 1.0f;
  ScaleBias = {0.0f, 1.0f, 0.0f};
  UVScale = 4.0f;
  BlendOff();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawObject(cylinder, -30.0f, 0.0f, 0.0f, 0.1f, t, 0.0f, pitch);
  DrawObject(cylinder, 30.0f, 0.0f, 0.0f, 0.1f, t, 0.0f, pitch);

  ScaleBias = {0.0f, 0.0f, 0.0f};
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  CullingOff = 0;
  UVScale = 1.0f;
  ViewOffset = {0.0f, 0.0f, 0.0f};
  ForceEnvMap = 0;
  AdditiveBlendOn();
  NormalScale = -1.0f;
  DrawObject(ObjectFileImages[4], 0.0f, 0.0f, 0.0f, 1.0f, t, 0.0f, 60.0f * std::sin(0.0157f * t));

  AdvanceSceneClocks(2.0f * FrameDelta);

  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  Device->SetTexture(0, RenderTextures[2]);
  AdditiveBlendOn();
  GlowTrails(5, 2.0f, 2.0f, 50);
  // This frame's copy again, small and half-turned at the upper right, opaque.
  BlendOff();
  DrawQuad(-0.34f, 0.0f, 200, 100.0f, -50.0f);
  QuadStretch.x = 1.0f;
}

void ItemCylinderSceneOverlay() {
  ItemCylinderScene();
  Device->SetTexture(0, TextureSlots[2]);
  AdditiveBlendOn();
  QuadStretch.x = 1.0f;
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  CornerPicture(0.2f);
  // Render texture 1 still holds the kone frame that entry 13 uploaded.
  Device->SetTexture(0, RenderTextures[1]);
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  BlendOff();
  DrawQuad(0.5f, 0.0f, 128, 0.0f, 0.0f);
}
