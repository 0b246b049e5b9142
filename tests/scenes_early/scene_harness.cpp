#include "scene_harness.h"

#include <cmath>
#include <cstring>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "platform/win32/platform_mode.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_vars.h"
#include "shell/graphics.h"
#include "shell/timeline.h"
#include "tools/obj/obu_file.h"

namespace {

std::vector<std::uint8_t> StreamImages[AnimationFileCount];
std::vector<std::uint8_t> ObjectBytes;

// offsetCount, the offset table and frames that carry no code: each uploads the picture as it
// stands, which is all the scene tests look at.
std::vector<std::uint8_t> MakeStream(int frames) {
  constexpr int FrameBytes = 1284;
  std::vector<std::uint8_t> image(4 + 4 * (frames + 1) + FrameBytes * frames, 0);
  auto put = [&](std::size_t at, std::int32_t value) { std::memcpy(&image[at], &value, 4); };
  put(0, frames + 1);
  for (int k = 0; k <= frames; ++k) put(4 + 4 * k, k * FrameBytes);
  return image;
}

IDirectDrawSurface7* MakeTexture(DWORD size) {
  DWORD flags = 0, width = size, height = size;
  D3DX_SURFACEFORMAT format = D3DX_SF_R5G6B5;
  IDirectDrawSurface7* texture = nullptr;
  EXPECT_GE(D3DXCreateTexture(Device, &flags, &width, &height, &format, nullptr, &texture, nullptr), 0);
  return texture;
}

}  // namespace

void SceneTest::SetUpTestSuite() {
  if (Device) return;
  platform::Mode().presentation = platform::Presentation::Headless;
  ASSERT_GE(D3DXInitialize(), 0);
  ASSERT_TRUE(GraphicsStartup(nullptr, D3DX_CONTEXT_FULLSCREEN));
  ASSERT_TRUE(InitAnimationDecoder() == 1);
  ASSERT_TRUE(CreateRenderTextures());
  for (auto& slot : TextureSlots) slot = MakeTexture(64);
  ObjectMesh triangle;
  triangle.positions = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
  triangle.normals = {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}};
  triangle.faces = {{0, 1, 2}};
  std::string error;
  ASSERT_TRUE(EncodeObu(triangle, &ObjectBytes, &error)) << error;
  for (auto& image : ObjectFileImages) image = ObjectBytes.data();
  d3drec::SetRasterizing(false);
}

void SceneTest::SetUp() {
  EffectClock = 0.0f;
  PhaseClock = 50.0f;
  FadeA = FadeB = OverlayFade = 0.0f;
  ScrollU = ScrollV = 0.0f;
  FrameStepTimerA = FrameStepTimerB = FrameStepTimerC = FrameStepTimerD = 0.0f;
  FramePostProcess = NoPostProcess;
  AnimationTarget = 1;
  LumaContrast = 1.2f;
  QuadStretch = {1.0f, 1.0f};
  QuadTexOrigin = {0.0f, 0.0f};
  ViewOffset = {0.0f, 0.0f, 0.0f};
  UVScale = 1.0f;
  for (int slot = 0; slot < AnimationFileCount; ++slot) SetStream(slot, 8);
}

void SceneTest::SetStream(int slot, int frames) {
  StreamImages[slot] = MakeStream(frames);
  AnimationStreamImages[slot] = StreamImages[slot].data();
}

void SceneTest::RunFrame(void (*scene)(), float frameDelta) {
  FrameDelta = frameDelta;
  d3drec::StartRecording();
  scene();
  d3drec::StopRecording();
  calls = d3drec::Calls();
}

namespace {

std::vector<const d3drec::Call*> OfKind(const std::vector<d3drec::Call>& calls, d3drec::Call::Kind kind) {
  std::vector<const d3drec::Call*> found;
  for (const auto& call : calls) {
    if (call.kind == kind) found.push_back(&call);
  }
  return found;
}

}  // namespace

std::vector<const d3drec::Call*> SceneTest::Quads() const {
  return OfKind(calls, d3drec::Call::Kind::DrawPrimitive);
}

std::vector<const d3drec::Call*> SceneTest::Objects() const {
  return OfKind(calls, d3drec::Call::Kind::DrawIndexedPrimitive);
}

std::vector<const d3drec::Call*> SceneTest::Uploads() const {
  return OfKind(calls, d3drec::Call::Kind::LoadTextureFromMemory);
}

int SceneTest::CopiesToFeedback() const {
  int copies = 0;
  for (const auto* call : OfKind(calls, d3drec::Call::Kind::LoadTextureFromSurface)) {
    copies += call->texture == RenderTextures[2] && call->source == BackBuffer;
  }
  return copies;
}

void ExpectQuad(const d3drec::Call& quad, const QuadArgs& args, float u, float v) {
  ASSERT_EQ(quad.tlVertices.size(), 4u);
  static constexpr float CornerX[4] = {-320, 319, -320, 319}, CornerY[4] = {-240, -240, 239, 239};
  const double theta = args.angle * 3.14159 / 512;
  for (int k = 0; k < 4; ++k) {
    const double x = args.stretchX * args.size * CornerX[k], y = args.stretchY * args.size * CornerY[k];
    const D3DTLVERTEX& vertex = quad.tlVertices[k];
    EXPECT_NEAR(vertex.sx, x * std::cos(theta) + y * std::sin(theta) + args.dx + 320, 0.02) << "corner " << k;
    EXPECT_NEAR(vertex.sy, y * std::cos(theta) - x * std::sin(theta) + args.dy + 240, 0.02) << "corner " << k;
    EXPECT_NEAR(vertex.tu, u + (k & 1), 1e-6) << "corner " << k;
    EXPECT_NEAR(vertex.tv, v + (k >> 1), 1e-6) << "corner " << k;
  }
  const DWORD grey = static_cast<DWORD>(args.brightness) & 0xFF;
  EXPECT_EQ(quad.tlVertices[0].color, grey << 16 | grey << 8 | grey);
}

DWORD RenderState(D3DRENDERSTATETYPE state) {
  DWORD value = 0;
  Device->GetRenderState(state, &value);
  return value;
}
