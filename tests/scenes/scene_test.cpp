#include "scene_test.h"

#include <map>

#include "assets/animation.h"
#include "assets/loader.h"
#include "core/shared.h"
#include "platform/win32/platform_mode.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_vars.h"
#include "shell/graphics.h"
#include "tools/anim/animation_encoder.h"
#include "tools/obj/obu_file.h"

namespace {

constexpr int FrameHeightAll = 16;
int SlotWidth(int slot) { return 16 * (slot + 1); }

std::map<std::pair<int, int>, std::vector<std::uint8_t>> Streams;  // by (slot, frames)
std::vector<std::uint8_t> Triangle;

std::pair<int, int> Chroma() { return {DecodedPicture[1], DecodedPicture[2]}; }

// Frame k is one flat colour whose red rises and blue falls with k, so its chroma differs
// from every other frame's.
std::vector<std::uint8_t> MakeStream(int slot, int frames) {
  anim::AnimationSettings settings;
  settings.frame.width = SlotWidth(slot);
  settings.frame.height = FrameHeightAll;
  std::vector<anim::RgbPicture> pictures;
  for (int k = 0; k < frames; ++k) {
    anim::RgbPicture picture{settings.frame.width, settings.frame.height, {}};
    const std::uint8_t colour[3] = {std::uint8_t(60 + 8 * k), 120, std::uint8_t(220 - 8 * k)};
    for (int pixel = 0; pixel < picture.width * picture.height; ++pixel) {
      picture.rgb.insert(picture.rgb.end(), colour, colour + 3);
    }
    pictures.push_back(std::move(picture));
  }
  std::vector<std::uint8_t> stream;
  std::string fault;
  EXPECT_TRUE(anim::EncodeAnimation(pictures, settings, &stream, &fault)) << fault;
  return stream;
}

}  // namespace

void ToolkitTest::SetUpTestSuite() {
  if (Device) return;
  platform::Mode().presentation = platform::Presentation::Headless;
  ASSERT_GE(D3DXInitialize(), 0);
  ASSERT_TRUE(GraphicsStartup(nullptr, D3DX_CONTEXT_FULLSCREEN));
  ASSERT_TRUE(CreateRenderTextures());
}

void ToolkitTest::SetUp() {
  QuadStretch = {1.0f, 1.0f};
  QuadTexOrigin = {0.0f, 0.0f};
  ViewOffset = ScaleBias = {0.0f, 0.0f, 0.0f};
  UVScale = NormalScale = 1.0f;
  AmbientColour = {0.0f, 0.0f, 0.0f};
  LightCount = 1;
  for (LightRecord& light : Lights) light = {};
  LightParams = {};
  CullingOff = 1;
  ForceEnvMap = 0;
  WorkVector = {0.0f, 0.0f, 0.0f};
  d3drec::SetRasterizing(false);
  d3drec::StartRecording();
}

void ToolkitTest::TearDown() { d3drec::StopRecording(); }

std::vector<d3drec::Call> ToolkitTest::CallsOf(d3drec::Call::Kind kind) const {
  std::vector<d3drec::Call> found;
  for (const d3drec::Call& call : d3drec::Calls()) {
    if (call.kind == kind) found.push_back(call);
  }
  return found;
}

void SceneTest::SetUpTestSuite() {
  ToolkitTest::SetUpTestSuite();
  if (!Triangle.empty()) return;
  ASSERT_EQ(InitAnimationDecoder(), 1);
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
}

void SceneTest::SetStream(int slot, int frames) {
  auto [entry, made] = Streams.try_emplace({slot, frames});
  if (made) {
    entry->second = MakeStream(slot, frames);
    std::map<std::pair<int, int>, int> seen;
    FramePostProcess = NoPostProcess;
    for (int k = 0; k < frames; ++k) {
      UploadAnimationFrame(entry->second.data(), k);
      EXPECT_TRUE(seen.emplace(Chroma(), k).second) << "frames of one stream share a colour";
    }
  }
  AnimationStreamImages[slot] = entry->second.data();
}

void SceneTest::SetUp() {
  ToolkitTest::SetUp();
  EffectClock = FadeA = FadeB = OverlayFade = ScrollU = ScrollV = 0.0f;
  FrameStepTimerA = FrameStepTimerB = FrameStepTimerC = FrameStepTimerD = 0.0f;
  PhaseClock = 50.0f;
  LumaContrast = 1.2f;
  FrameUploadCount = 0;
  AnimationTarget = 1;
  for (int slot = 0; slot < AnimationFileCount; ++slot) SetStream(slot, slot == Stream3dfx ? 19 : 8);
  FramePostProcess = NoPostProcess;
}

void SceneTest::RunFrame(void (*scene)(), float frameDelta) {
  FrameDelta = frameDelta;
  FrameWidth = 0;  // no stream has frames this narrow
  d3drec::StartRecording();
  scene();
  d3drec::StopRecording();
  calls = d3drec::Calls();
}

std::vector<const d3drec::Call*> SceneTest::Of(d3drec::Call::Kind kind) const {
  std::vector<const d3drec::Call*> found;
  for (const auto& call : calls) {
    if (call.kind == kind) found.push_back(&call);
  }
  return found;
}

Frame LastUploaded() {
  const int slot = FrameWidth / 16 - 1;
  if (slot < 0 || slot >= AnimationFileCount) return {-1, -1};
  const auto seen = Chroma();
  for (int k = 0; k < AnimationFrameCount(AnimationStreamImages[slot]); ++k) {
    UploadAnimationFrame(AnimationStreamImages[slot], k);
    if (Chroma() == seen) return {slot, k};
  }
  return {slot, -1};
}

int Grey(const d3drec::Call* quad) { return quad->tlVertices[0].color & 0xFF; }

DWORD RenderState(D3DRENDERSTATETYPE state) {
  DWORD value = 0;
  Device->GetRenderState(state, &value);
  return value;
}
