#include "late_scene_test.h"

#include <cmath>

#include "assets/loader.h"
#include "assets/post_process.h"
#include "platform/win32/platform_mode.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "shell/graphics.h"
#include "shell/timeline.h"
#include "tools/anim/animation_encoder.h"
#include "tools/obj/obu_file.h"

namespace {

std::vector<std::uint8_t> Streams[AnimationFileCount];
std::vector<std::uint8_t> Triangle;

std::vector<std::uint8_t> GreyStream(int frames) {
  anim::AnimationSettings settings;
  settings.frame.width = settings.frame.height = 16;
  std::vector<anim::RgbPicture> pictures;
  for (int k = 0; k < frames; ++k) {
    pictures.push_back({16, 16, std::vector<std::uint8_t>(16 * 16 * 3, 60 + 15 * k)});
  }
  std::vector<std::uint8_t> stream;
  std::string fault;
  EXPECT_TRUE(anim::EncodeAnimation(pictures, settings, &stream, &fault)) << fault;
  return stream;
}

}  // namespace

void LateSceneTest::SetUpTestSuite() {
  if (Device) return;
  platform::Mode().presentation = platform::Presentation::Headless;
  ASSERT_GE(D3DXInitialize(), 0);
  ASSERT_TRUE(GraphicsStartup(nullptr, D3DX_CONTEXT_FULLSCREEN));
  ASSERT_EQ(InitAnimationDecoder(), 1);
  ASSERT_TRUE(CreateRenderTextures());
  for (auto& slot : TextureSlots) {
    DWORD flags = 0, width = 32, height = 32;
    D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
    ASSERT_GE(D3DXCreateTexture(Device, &flags, &width, &height, &format, nullptr, &slot, nullptr), 0);
  }
  // Stored coordinates with v nonzero, normals with y zero: tv tells the two sources apart.
  ObjectMesh mesh;
  mesh.positions = {{0, 0, 0}, {10, 0, 0}, {0, 10, 5}};
  mesh.normals = {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}};
  mesh.texCoords = {{0.25f, 0.5f}, {0.5f, 0.25f}, {0.75f, 0.75f}};
  mesh.faces = {{0, 1, 2}};
  std::string error;
  ASSERT_TRUE(EncodeObu(mesh, &Triangle, &error)) << error;
  for (auto& image : ObjectFileImages) image = Triangle.data();
  d3drec::SetRasterizing(false);
}

void LateSceneTest::SetUp() {
  EffectClock = 0.0f;
  PhaseClock = 50.0f;
  ScrollU = ScrollV = 0.0f;
  FrameStepTimerC = FrameStepTimerD = 0.0f;
  FrameUploadCount = 0;
  FramePostProcess = NoPostProcess;
  AnimationTarget = 1;
  QuadStretch = {1.0f, 1.0f};
  QuadTexOrigin = {0.0f, 0.0f};
  ViewOffset = ScaleBias = {0.0f, 0.0f, 0.0f};
  UVScale = NormalScale = 1.0f;
  ForceEnvMap = 0;
  for (int slot = 0; slot < AnimationFileCount; ++slot) SetStream(slot, 8);
  d3drec::SetRasterizing(false);
}

void LateSceneTest::SetStream(int slot, int frames) {
  Streams[slot] = GreyStream(frames);
  AnimationStreamImages[slot] = Streams[slot].data();
}

int LateSceneTest::UploadedFrame(int slot, PostProcessRoutine postProcess) {
  const std::uint8_t seen = DecodedPicture[0];
  const PostProcessRoutine installed = FramePostProcess;
  const int target = AnimationTarget;
  FramePostProcess = postProcess;
  int found = -1;
  for (int k = 0; k < AnimationFrameCount(AnimationStreamImages[slot]) && found < 0; ++k) {
    UploadAnimationFrame(AnimationStreamImages[slot], k);
    if (DecodedPicture[0] == seen) found = k;
  }
  FramePostProcess = installed;
  AnimationTarget = target;
  return found;
}

void LateSceneTest::RunFrame(void (*scene)(), float frameDelta) {
  FrameDelta = frameDelta;
  d3drec::StartRecording();
  scene();
  d3drec::StopRecording();
  calls = d3drec::Calls();
}

std::vector<const d3drec::Call*> LateSceneTest::Draws(d3drec::Call::Kind kind) const {
  std::vector<const d3drec::Call*> found;
  for (const auto& call : calls) {
    if (call.kind == kind) found.push_back(&call);
  }
  return found;
}

void ExpectQuad(const d3drec::Call& quad, const QuadArgs& args, float sx, float sy) {
  ASSERT_EQ(quad.tlVertices.size(), 4u);
  const double theta = args.angle * 3.14159 / 512;
  for (int k = 0; k < 4; ++k) {
    const double x = sx * args.size * (k & 1 ? 319 : -320), y = sy * args.size * (k & 2 ? 239 : -240);
    const D3DTLVERTEX& vertex = quad.tlVertices[k];
    EXPECT_NEAR(vertex.sx, x * std::cos(theta) + y * std::sin(theta) + args.dx + 320, 0.02) << k;
    EXPECT_NEAR(vertex.sy, y * std::cos(theta) - x * std::sin(theta) + args.dy + 240, 0.02) << k;
  }
  const DWORD grey = static_cast<DWORD>(args.brightness) & 0xFF;
  EXPECT_EQ(quad.tlVertices[0].color, grey << 16 | grey << 8 | grey);
}

Vector3 CameraPoint(Vector3 at, float viewYaw, float viewPitch) {
  const double yaw = viewYaw * 3.14159 / 512, pitch = viewPitch * 3.14159 / 512;
  const double x = at.x * std::cos(yaw) - at.z * std::sin(yaw);
  const double z = at.z * std::cos(yaw) + at.x * std::sin(yaw);
  return {static_cast<float>(x), static_cast<float>(at.y * std::cos(pitch) - z * std::sin(pitch)),
          static_cast<float>(z * std::cos(pitch) + at.y * std::sin(pitch))};
}

void ExpectObjectAt(const d3drec::Call& object, Vector3 camera) {
  ASSERT_EQ(object.lVertices.size(), 3u);
  EXPECT_NEAR(object.lVertices[0].x, camera.x, 0.05);
  EXPECT_NEAR(object.lVertices[0].y, camera.y, 0.05);
  EXPECT_NEAR(object.lVertices[0].z, camera.z, 0.05);
}
