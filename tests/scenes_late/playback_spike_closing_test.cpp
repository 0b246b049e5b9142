// Entries 16 and 18 to 20, which share FrameStepTimerD and the lighting 18 leaves to 19, and the
// closing fade of entry 25, checked on real pixels.
#include <cmath>
#include <tuple>

#include "assets/loader.h"
#include "assets/post_process.h"
#include "late_scene_test.h"
#include "platform/d3d/texture.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_vars.h"
#include "scenes/scenes.h"
#include "shell/graphics.h"

namespace {

using PlaybackTest = LateSceneTest;
using SpikeTest = LateSceneTest;
using ClosingTest = LateSceneTest;

TEST_F(PlaybackTest, PlaysEveryFrameOnceAndStartsOverFromAnyInheritedTimer) {
  SetStream(4, 3);         // offsetCount 4: frames 0 to 2
  FrameStepTimerD = 5.5f;  // beyond this stream, as an earlier scene may leave it
  const int expected[] = {0, 0, 1, 2, 0, 0};
  const float deltas[] = {1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f};
  for (int frame = 0; frame < 6; ++frame) {
    RunFrame(KelmuPlaybackScene, deltas[frame]);
    ASSERT_EQ(Uploads().size(), 1u);
    EXPECT_EQ(UploadedFrame(4, VividColour), expected[frame]) << frame;
  }
  EXPECT_EQ(EffectClock, 4.0f);
  RunFrame(KonePlaybackScene, 1.0f);
  ASSERT_EQ(Quads().size(), 2u);
  ExpectQuad(*Quads()[1], {-1.0f, 0.0f, 210, 190.0f, 0.0f}, 0.25f);
  EXPECT_EQ(QuadStretch.x, 1.0f);
}

TEST_F(SpikeTest, MinaSpikeIsLitAsTheKelmuSceneLeftIt) {
  LightCount = 3;
  AmbientColour = {200.0f, 0.0f, 0.0f};
  // Culling as entry 17 leaves it: the spike, 50 behind the camera, shows while the view has
  // turned it round.
  CullingOff = 0;
  EffectClock = 2560.0f;
  const std::tuple<void (*)(), PostProcessRoutine, float, float> spikes[] = {
      {KelmuSpikeScene, InvertLuma, 20.0f, 10.0f}, {MinaSpikeScene, VividColour, -2.0f, -5.0f}};
  for (auto [scene, postProcess, x, y] : spikes) {
    RunFrame(scene, 1.0f);
    EXPECT_EQ(FramePostProcess, postProcess);
    ASSERT_EQ(Objects().size(), 1u);
    const auto& spike = *Objects()[0];
    EXPECT_EQ(spike.lVertices[0].color, 0x282828u);  // ambient 40, no lights
    EXPECT_EQ(spike.lVertices[0].tv, 0.0f);          // from the normals
    EXPECT_EQ(spike.texture, RenderTextures[1]);
    ExpectObjectAt(spike, CameraPoint({x, y, -50.0f}, EffectClock * 0.2f - 0.2f,
                                      std::sin((EffectClock - 1.0f) * 0.0157f) * 10.0f));
    ASSERT_EQ(Quads().size(), 4u);
  }
  EXPECT_EQ(UploadedFrame(5, VividColour), 4);
  EXPECT_EQ(FrameStepTimerD, 1.0f);  // mina keeps no timer
  ExpectQuad(*Quads()[3], {-1.0f, -256.0f, 40, -100.0f, 0.0f});
}

// Mean 8-bit green level of an R5G6B5 surface.
double MeanGreen(IDirectDrawSurface7* surface) {
  const Texture& texture = *surface->texture();
  double sum = 0;
  const int count = texture.width() * texture.height();
  for (int i = 0; i < count; ++i) sum += (texture.pixels()[i] >> 5 & 0x3F) * 255.0 / 63;
  return sum / count;
}

TEST_F(ClosingTest, CarriedPictureDarkensEveryFrameUntilBlack) {
  d3drec::SetRasterizing(true);
  std::vector<std::uint16_t> white(256 * 256, 0xFFFF);
  ASSERT_GE(D3DXLoadTextureFromMemory(Device, RenderTextures[2], 0, white.data(), nullptr,
                                      D3DX_SF_R5G6B5, 0, nullptr, D3DX_FT_POINT), 0);
  BlendOff();  // as entry 24 leaves it
  double carried = MeanGreen(RenderTextures[2]);
  int frames = 0;
  for (; carried > 0.0 && frames < 200; ++frames) {
    Context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    RunFrame(ClosingScene, 0.0f);
    const double now = MeanGreen(RenderTextures[2]);
    ASSERT_LT(now, carried) << "frame " << frames;
    if (frames == 0) {
      EXPECT_GT(MeanGreen(BackBuffer), now);  // the glow is on screen, not in the copy
    }
    carried = now;
  }
  EXPECT_EQ(carried, 0.0);
  EXPECT_GT(frames, 20);
  ASSERT_EQ(Quads().size(), 9u);
  ExpectQuad(*Quads()[8], {1.4f, 7.0f, 70});
}

}  // namespace
