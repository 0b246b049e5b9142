#include "scene_harness.h"

#include <cmath>
#include <map>

#include "assets/animation.h"
#include "assets/loader.h"
#include "assets/post_process.h"
#include "platform/win32/platform_mode.h"
#include "render/object.h"
#include "render/quad.h"
#include "scenes/scene_vars.h"
#include "shell/graphics.h"
#include "shell/timeline.h"
#include "tools/anim/animation_encoder.h"
#include "tools/obj/obu_file.h"

namespace {

std::vector<std::uint8_t> StreamImages[4];
std::vector<std::uint8_t> ObjectBytes;
std::map<std::pair<int, int>, Frame> FramesByChroma;

std::pair<int, int> ChromaOfPicture() { return {DecodedPicture[1], DecodedPicture[2]}; }

void MakeStream(int slot) {
  anim::AnimationSettings settings;
  if (slot == Pullo) settings.frame.width = settings.frame.height = 128;
  std::vector<anim::RgbPicture> pictures;
  for (int frame = 0; frame < FramesPerStream[slot]; ++frame) {
    anim::RgbPicture picture{settings.frame.width, settings.frame.height, {}};
    const std::uint8_t colour[3] = {std::uint8_t(20 + 12 * frame), std::uint8_t(30 + 60 * slot),
                                    std::uint8_t(240 - 12 * frame)};
    for (int pixel = 0; pixel < picture.width * picture.height; ++pixel) {
      picture.rgb.insert(picture.rgb.end(), colour, colour + 3);
    }
    pictures.push_back(std::move(picture));
  }
  std::string fault;
  ASSERT_TRUE(anim::EncodeAnimation(pictures, settings, &StreamImages[slot], &fault)) << fault;
  AnimationStreamImages[slot] = StreamImages[slot].data();
  for (int frame = 0; frame < FramesPerStream[slot]; ++frame) {
    UploadAnimationFrame(AnimationStreamImages[slot], frame);
    ASSERT_TRUE(FramesByChroma.emplace(ChromaOfPicture(), Frame{slot, frame}).second)
        << "two frames share a colour";
  }
}

IDirectDrawSurface7* MakeTexture() {
  DWORD flags = 0, width = 64, height = 64;
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
  ASSERT_EQ(InitAnimationDecoder(), 1);
  ASSERT_TRUE(CreateRenderTextures());
  for (auto& slot : TextureSlots) slot = MakeTexture();
  ObjectMesh triangle{{{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{0, 1, 2}}, {}, {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}}};
  std::string error;
  ASSERT_TRUE(EncodeObu(triangle, &ObjectBytes, &error)) << error;
  for (auto& image : ObjectFileImages) image = ObjectBytes.data();
  d3drec::SetRasterizing(false);
  FramePostProcess = NoPostProcess;
  for (int slot = 0; slot < 4; ++slot) MakeStream(slot);
}

void SceneTest::SetUp() {
  EffectClock = FadeA = FadeB = OverlayFade = ScrollU = ScrollV = 0.0f;
  FrameStepTimerA = FrameStepTimerB = FrameStepTimerC = FrameStepTimerD = 0.0f;
  PhaseClock = 50.0f;
  LumaContrast = 1.2f;
  FramePostProcess = NoPostProcess;
  AnimationTarget = 1;
  QuadStretch = {1.0f, 1.0f};
  QuadTexOrigin = {0.0f, 0.0f};
  ViewOffset = {0.0f, 0.0f, 0.0f};
  UVScale = 1.0f;
}

void SceneTest::RunFrame(void (*scene)(), float frameDelta) {
  FrameDelta = frameDelta;
  DecodedPicture[1] = DecodedPicture[2] = 0xFF;  // no frame has this colour
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
  const auto found = FramesByChroma.find(ChromaOfPicture());
  return found == FramesByChroma.end() ? Frame{-1, -1} : found->second;
}

int Grey(const d3drec::Call* quad) { return quad->tlVertices[0].color & 0xFF; }

void ExpectQuad(const d3drec::Call* quad, const QuadArgs& args, float u, float v) {
  ASSERT_EQ(quad->tlVertices.size(), 4u);
  static constexpr float CornerX[4] = {-320, 319, -320, 319}, CornerY[4] = {-240, -240, 239, 239};
  const double theta = args.angle * 3.14159 / 512;
  for (int k = 0; k < 4; ++k) {
    const double x = args.stretchX * args.size * CornerX[k], y = args.stretchY * args.size * CornerY[k];
    const D3DTLVERTEX& vertex = quad->tlVertices[k];
    EXPECT_NEAR(vertex.sx, x * std::cos(theta) + y * std::sin(theta) + args.dx + 320, 0.02) << k;
    EXPECT_NEAR(vertex.sy, y * std::cos(theta) - x * std::sin(theta) + args.dy + 240, 0.02) << k;
    EXPECT_NEAR(vertex.tu, u + (k & 1), 1e-6) << k;
    EXPECT_NEAR(vertex.tv, v + (k >> 1), 1e-6) << k;
  }
  EXPECT_EQ(quad->tlVertices[0].color, 0x010101u * (static_cast<DWORD>(args.brightness) & 0xFF));
}

DWORD RenderState(D3DRENDERSTATETYPE state) {
  DWORD value = 0;
  Device->GetRenderState(state, &value);
  return value;
}
