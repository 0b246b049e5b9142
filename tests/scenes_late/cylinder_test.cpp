// Entries 13, 15, 17, 22 and 23: the cylinder body (lights from last frame's camera, breathing
// field of view, thirteen objects, glow trails, slot-3 picture), its four wrappers, and what
// it hands to the next frame and the next scene.
#include <cmath>

#include "assets/loader.h"
#include "late_scene_test.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"

namespace {

using CylinderTest = LateSceneTest;

TEST_F(CylinderTest, BodyDrawsObjectsThenTrailsThenPictureUnderLastFramesCamera) {
  ViewOffset = {7.0f, -30.0f, 3.0f};  // as the previous frame left it
  RunFrame(CylinderSceneTrail, 1.0f);

  EXPECT_FLOAT_EQ(Lights[0].position.x, 49.0f);
  EXPECT_FLOAT_EQ(Lights[0].position.y, 30.0f);
  EXPECT_FLOAT_EQ(Lights[0].position.z, -7.0f);
  EXPECT_FLOAT_EQ(Lights[1].position.y, 30.0f);
  EXPECT_EQ(Lights[1].intensity, 550.0f);

  // t = 0: camera yaw 0, pitch a quarter turn, field of view 80 degrees.
  const Vector3 offset = {20.0f * std::sin(0.005814815f * 50.0f), -200.0f, 20.0f * std::sin(0.00628f * 50.0f)};
  const auto objects = Objects();
  ASSERT_GE(objects.size(), 3u);
  const auto place = [&](float x, float y, float z) {
    return CameraPoint({x + offset.x, y + offset.y, z + offset.z}, 0.0f, 256.0f);
  };
  ExpectObjectAt(*objects[0], place(0, 0, 0));
  EXPECT_EQ(objects[0]->texture, TextureSlots[5]);
  EXPECT_FLOAT_EQ(objects[0]->lVertices[0].tv, 2.0f);  // stored coordinates x 4
  EXPECT_NEAR(objects[0]->matrix._22, 1.0 / std::tan(40.0 * 0.017444444444444446), 1e-4);
  for (int side = 0; side < 2; ++side) {
    ExpectObjectAt(*objects[1 + side], place(side ? 30.0f : -30.0f, 0, 0));
    EXPECT_EQ(objects[1 + side]->texture, TextureSlots[0]);
    EXPECT_TRUE(objects[1 + side]->states.colorKey);
  }
  // The spikes whose centre stays in the view box, in order, textured from their normals.
  size_t next = 3;
  for (int i = -400; i < 600; i += 100) {
    const Vector3 at = place(0, static_cast<float>(i), 40.0f * std::sin(static_cast<float>(i)));
    if (at.z < 0 || at.z > 400 || std::fabs(at.x) > 400) continue;
    ASSERT_LT(next, objects.size());
    ExpectObjectAt(*objects[next], at);
    EXPECT_EQ(objects[next]->lVertices[0].tv, 0.0f);
    EXPECT_FALSE(objects[next++]->states.colorKey);
  }
  EXPECT_EQ(next, objects.size());

  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 10u);
  ExpectQuad(*quads[0], {1.1f, 2.0f, 180});
  EXPECT_FALSE(quads[0]->states.alphaBlend);
  for (int k = 1; k <= 8; ++k) {
    ExpectQuad(*quads[k], {1.0f + 0.05f * k, 2.0f * k, 50});
    EXPECT_EQ(quads[k]->texture, RenderTextures[2]);
    EXPECT_TRUE(quads[k]->states.alphaBlend);
  }
  ExpectQuad(*quads[9], {0.7f + 0.1f * std::cos(0.03925f * 2.0f), -512.0f, 255, 140.0f, -170.0f});
  EXPECT_EQ(quads[9]->texture, TextureSlots[3]);
  EXPECT_TRUE(quads[9]->states.colorKey);
  EXPECT_FALSE(quads[9]->states.alphaBlend);
  // The trail copy holds every object and nothing of the trails.
  ASSERT_EQ(Copies(), 1);
  EXPECT_GT(Draws(d3drec::Call::Kind::LoadTextureFromSurface)[0], objects.back());
  EXPECT_LT(Draws(d3drec::Call::Kind::LoadTextureFromSurface)[0], quads[1]);

  EXPECT_EQ(EffectClock, 2.0f);
  EXPECT_EQ(PhaseClock, 52.0f);
  EXPECT_EQ(LightCount, 2);
  EXPECT_EQ(CullingOff, 0);
  EXPECT_EQ(ForceEnvMap, 0);
  EXPECT_EQ(UVScale, 1.0f);
  EXPECT_EQ(NormalScale, 1.0f);
  EXPECT_EQ(AmbientColour.red, 255.0f);
  EXPECT_EQ(ScaleBias.y, 0.0f);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_COLORKEYENABLE), DWORD{TRUE});
  EXPECT_EQ(RenderState(D3DRENDERSTATE_CULLMODE), D3DCULL_NONE);
  EXPECT_EQ(RenderState(D3DRENDERSTATE_SPECULARENABLE), DWORD{TRUE});
}

TEST_F(CylinderTest, PhaseClockStopsAt256AndTheSwayFreezes) {
  PhaseClock = 255.0f;
  RunFrame(CylinderSceneTrail, 0.0f);
  EXPECT_EQ(PhaseClock, 255.0f);
  RunFrame(CylinderSceneTrail, 1.0f);
  RunFrame(CylinderSceneTrail, 1.0f);  // sways from 256
  EXPECT_EQ(PhaseClock, 256.0f);
  const Vector3 sway = ViewOffset;
  RunFrame(CylinderSceneTrail, 1.0f);
  EXPECT_EQ(ViewOffset.x, sway.x);
  EXPECT_EQ(ViewOffset.z, sway.z);
  EXPECT_NE(ViewOffset.y, sway.y);  // the bob goes on
  EXPECT_EQ(EffectClock, 6.0f);
}

TEST_F(CylinderTest, FrameVariantDecodesKoneFrameTwoOnceAndAddsItHalfTurned) {
  for (int frame = 0; frame < 3; ++frame) {
    RunFrame(CylinderSceneFrame, 1.0f);
    ASSERT_EQ(Uploads().size(), frame == 0 ? 1u : 0u);
    const auto quads = Quads();
    ASSERT_EQ(quads.size(), 11u);
    ExpectQuad(*quads[9], {-1.0f, 0.0f, 255});
    EXPECT_EQ(quads[9]->texture, RenderTextures[1]);
    ExpectQuad(*quads[10], {-0.2f, 0.0f, 255, -200.0f, 120.0f});
    EXPECT_EQ(quads[10]->texture, RenderTextures[2]);
    EXPECT_TRUE(quads[10]->states.alphaBlend && !quads[10]->states.colorKey);
    if (frame == 0) {
      EXPECT_EQ(UploadedFrame(1, NoPostProcess), 2);
    }
  }
  EXPECT_EQ(FrameUploadCount, 3);
}

TEST_F(CylinderTest, InsetVariantsAddPictureAndMirroredTrail) {
  const std::pair<void (*)(), float> variants[] = {{CylinderSceneInsetHalf, 0.5f}, {CylinderSceneInsetFull, 1.0f}};
  for (auto [scene, size] : variants) {
    RunFrame(scene, 1.0f);
    const auto quads = Quads();
    ASSERT_EQ(quads.size(), 12u);
    ExpectQuad(*quads[10], {size, 0.0f, 255});
    EXPECT_EQ(quads[10]->texture, TextureSlots[3]);
    EXPECT_TRUE(quads[10]->states.colorKey && !quads[10]->states.alphaBlend);
    ExpectQuad(*quads[11], {0.35f, 0.0f, 180, 120.0f, 0.0f}, -1.0f);
    EXPECT_EQ(quads[11]->texture, RenderTextures[2]);
    EXPECT_TRUE(!quads[11]->states.colorKey && quads[11]->states.alphaBlend);
    EXPECT_EQ(QuadStretch.x, 1.0f);
  }
}

TEST_F(CylinderTest, CylindersOfEntry22FirstFrameTakeTheSpikeScenesEnvironmentMapping) {
  ForceEnvMap = 1;  // as entries 18 and 19 leave it
  RunFrame(CylinderSceneInsetHalf, 1.0f);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Objects()[k]->lVertices[0].tv, 0.0f) << k;
  RunFrame(CylinderSceneInsetHalf, 1.0f);
  for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(Objects()[k]->lVertices[0].tv, 2.0f) << k;
}

}  // namespace
