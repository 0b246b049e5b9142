#include <cmath>

#include "assets/animation.h"
#include "assets/loader.h"
#include "core/shared.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

std::int32_t FrameUploadCount = 0;

namespace {

// The tall cylinder in its column of spikes, two small cylinders beside it, the glow trails and
// the slot-3 picture at the upper right. Expects blending off on entry.
void CylinderScene() {
  const float t = EffectClock;
  const float p = PhaseClock;

  // Both lights follow the camera's height as the previous frame left it.
  Lights[0] = {{49.0f, -ViewOffset.y, -ViewOffset.x}, 500.0f, 4.9f, 1.0f, 1.0f, 0.8f, 0};
  Lights[1] = {{-20.0f, -ViewOffset.y, -20.0f}, 550.0f, 4.2f, 1.1f, 1.2f, 0.8f, 0};
  NormalScale = -1.0f;
  SetFieldOfView(80.0 + 70.0 * std::sin(0.0157 * static_cast<double>(t)));  // 10 to 150 degrees
  // Sideways sway from PhaseClock; the camera bobs between heights -400 and 0.
  ViewOffset = {20.0f * std::sin(0.005814815f * p), 200.0f * std::sin(0.010466667f * t) - 200.0f,
                20.0f * std::sin(0.00628f * p)};

  Device->SetTexture(0, TextureSlots[5]);
  DepthTestOn();
  LightCount = 2;
  CullingOff = 1;
  AmbientColour = {95.0f, 95.0f, 95.0f};
  UVScale = 4.0f;
  Device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  Device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  ScaleBias = {0.0f, 1.0f, 0.0f};
  const float cameraYaw = 520.0f * std::sin(0.00785f * t);
  const float cameraPitch = 256.0f + 60.0f * std::sin(0.0157f * t);
  const ObjectImage cylinder = ObjectFileImages[3];
  DrawObject(cylinder, 0.0f, 0.0f, 0.0f, 0.9f, t, cameraYaw, cameraPitch);

  Device->SetTexture(0, TextureSlots[0]);
  AmbientColour = {255.0f, 255.0f, 255.0f};
  NormalScale = 1.0f;
  ScaleBias = {0.0f, 1.0f, 0.0f};
  UVScale = 4.0f;
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawObject(cylinder, -30.0f, 0.0f, 0.0f, 0.1f, t, cameraYaw, cameraPitch);
  DrawObject(cylinder, 30.0f, 0.0f, 0.0f, 0.1f, t, cameraYaw, cameraPitch);

  ScaleBias = {0.0f, 0.0f, 0.0f};
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  ForceEnvMap = 1;
  CullingOff = 0;
  UVScale = 1.0f;
  // Ten spikes up the column; sin of the integer height gives each a fixed depth offset.
  for (int i = -400; i < 600; i += 100) {
    DrawObject(ObjectFileImages[4], 0.0f, static_cast<float>(i),
               40.0f * std::sin(static_cast<float>(i)), 0.2f, t, cameraYaw, cameraPitch);
  }
  ForceEnvMap = 0;

  AdvanceSceneClocks(2.0f * FrameDelta);
  if (PhaseClock > 256.0f) PhaseClock = 256.0f;  // the sideways sway freezes there

  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  Device->SetTexture(0, RenderTextures[2]);
  AdditiveBlendOn();
  GlowTrails(8, 2.0f, 2.0f, 50);

  Device->SetTexture(0, TextureSlots[3]);
  BlendOff();
  QuadStretch.x = 1.0f;
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  CornerPicture(0.1f);
}

// The picture of slot 3 over this frame's scene at the given size, centred, colour-keyed, and a
// mirrored inset of this frame's trail copy right of the centre.
void CylinderSceneInset(float pictureSize) {
  CylinderSceneTrail();
  DrawQuad(pictureSize, 0.0f, 255, 0.0f, 0.0f);
  Device->SetTexture(0, RenderTextures[2]);
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  AdditiveBlendOn();
  QuadStretch.x = -1.0f;
  DrawQuad(0.35f, 0.0f, 180, 120.0f, 0.0f);
  QuadStretch.x = 1.0f;
}

}  // namespace

void CylinderSceneFrame() {
  BlendOff();
  CylinderScene();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  DepthTestOff();
  BlendOff();
  // Frame 2 of kone is decoded once, on the entry's first frame; render texture 1 keeps it for
  // the overlay of entry 14 too.
  AnimationTarget = 1;
  if (FrameUploadCount == 0) UploadAnimationFrame(AnimationStreamImages[1], 2);
  FrameUploadCount = FrameUploadCount + 1;

  Device->SetTexture(0, RenderTextures[1]);
  AdditiveBlendOn();
  DepthTestOff();
  DrawQuad(-1.0f, 0.0f, 255, 0.0f, 0.0f);
  Device->SetTexture(0, RenderTextures[2]);
  DrawQuad(-0.2f, 0.0f, 255, -200.0f, 120.0f);
}

void CylinderSceneTrail() {
  BlendOff();
  Device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  // Still the copy of the previous frame: its objects reappear behind this frame's.
  Device->SetTexture(0, RenderTextures[2]);
  DrawQuad(1.1f, 2.0f, 180, 0.0f, 0.0f);
  BlendOff();
  CylinderScene();
}

void CylinderSceneInsetHalf() { CylinderSceneInset(0.5f); }

void CylinderSceneInsetFull() { CylinderSceneInset(1.0f); }
