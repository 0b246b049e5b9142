// The D3DX context: creation, error texts, presentation, clearing, the debug
// font and the call recorder.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/d3d/call_recorder.h"
#include "platform/d3d/presenter.h"
#include "platform/win32/clock.h"
#include "platform/win32/win32.h"
#include "tests/platform_d3d/device_fixture.h"

namespace {

HRESULT CreateContext(ID3DXContext** context) {
  return D3DXCreateContextEx(D3DX_DEFAULT, D3DX_CONTEXT_FULLSCREEN, nullptr, nullptr, 16, D3DX_DEFAULT,
                             D3DX_DEFAULT, D3DX_DEFAULT, 1, 640, 480, D3DX_DEFAULT, context);
}

std::string ErrorString(HRESULT result, DWORD size) {
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(D3DXGetErrorString(result, size, buffer), S_OK);
  return buffer;
}

TEST(Context, FailsBeforeInitialisationAndErrorTextsFitTheBuffer) {
  D3DXUninitialize();
  ID3DXContext* context = reinterpret_cast<ID3DXContext*>(1);
  EXPECT_EQ(CreateContext(&context), D3DXERR_NOTINITIALIZED);
  EXPECT_EQ(context, nullptr);
  EXPECT_EQ(ErrorString(D3DXERR_INVALIDPARAMETER, 40), "Invalid parameter");
  EXPECT_EQ(ErrorString(D3DXERR_INVALIDPARAMETER, 5), "Inva");
  EXPECT_EQ(ErrorString(D3DXERR_INVALIDPARAMETER, 1), "");
  EXPECT_FALSE(ErrorString(static_cast<HRESULT>(0x80001234), 40).empty());
  char buffer[4];
  EXPECT_TRUE(D3DXGetErrorString(S_OK, 0, buffer) < 0 && D3DXGetErrorString(S_OK, 4, nullptr) < 0) << "no room";
}

TEST(Context, WindowedPresenterShowsFramesOnADisplay) {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (!driver || std::string(driver) != "dummy") GTEST_SKIP() << "needs SDL_VIDEODRIVER=dummy";
  ASSERT_EQ(D3DXInitialize(), S_OK);
  platform::Mode().presentation = platform::Presentation::Window;
  ID3DXContext* context = nullptr;
  ASSERT_EQ(CreateContext(&context), S_OK);
  int frames = 0;
  platform::SetFrameSink([&](const std::uint16_t*) { ++frames; });
  EXPECT_EQ(context->UpdateFrame(0), S_OK);
  TogglePresenterFullscreen();
  EXPECT_EQ(context->UpdateFrame(0), S_OK);
  platform::SetFrameSink(nullptr);
  EXPECT_EQ(frames, 2);
  EXPECT_EQ(context->Release(), 0u);
  platform::Mode().presentation = platform::Presentation::Headless;
  D3DXUninitialize();
}

using ContextTest = DeviceTest;

TEST_F(ContextTest, ClearResetsColourAndDepthAndHeadlessUpdateFrameDeliversTheFrameAndAdvancesTheClock) {
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE);
  DrawRect(0, 0, 10, 10, 0xFFFFFF, 0, 0, 0, 1, 1, 0.25f);
  ASSERT_EQ(context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), S_OK);
  EXPECT_EQ(Pixel(5, 5), 0);
  EXPECT_EQ(Depth(5, 5), 0xFFFF);
  std::vector<std::uint16_t> delivered;
  platform::SetFrameSink([&](const std::uint16_t* pixels) { delivered.assign(pixels, pixels + 640 * 480); });
  platform::UseVirtualClock(30);
  DrawRect(0, 0, 3, 3, 0x00FF00);
  ASSERT_EQ(context->UpdateFrame(0), S_OK);
  ASSERT_EQ(context->UpdateFrame(0), S_OK);
  platform::SetFrameSink(nullptr);
  ASSERT_EQ(delivered.size(), 640u * 480u);
  EXPECT_EQ(delivered[641], Rgb565(0, 255, 0));
  EXPECT_EQ(GetTickCount(), 66u);
  platform::UseRealClock();
}

TEST_F(ContextTest, DebugTextDrawsGlyphPixelsInsideTheirCells) {
  ASSERT_EQ(context->DrawDebugText(0.003125f, 0.0041666669f, 0x007F7F7F, "H\xE9"), S_OK);
  const std::uint16_t grey = Rgb565(127, 127, 127);
  int inFirstCell = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      std::uint16_t p = Pixel(x, y);
      if (p == 0) continue;
      EXPECT_EQ(p, grey);
      EXPECT_TRUE(x >= 2 && x < 18 && y >= 2 && y < 10) << x << "," << y;
      inFirstCell += x < 10;
    }
  }
  // 'H': both uprights (7 rows each) and the bar's three middle pixels.
  EXPECT_EQ(inFirstCell, 17);
  EXPECT_TRUE(Pixel(2, 2) == grey && Pixel(6, 8) == grey && Pixel(4, 2) == 0) << "the H";
  EXPECT_TRUE(Pixel(10, 2) == 0 && Pixel(11, 2) == grey) << "outside ASCII: the top of a '?'";
  // Text off the edges is cut, not written past the frame.
  EXPECT_EQ(context->DrawDebugText(0.995f, 0.995f, 0xFFFFFF, "WWWW"), S_OK);
}

TEST_F(ContextTest, RecorderKeepsCallsWithTheirStatesAndCanSkipRasterizing) {
  IDirectDrawSurface7* texture = MakeTexture(2, 2, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF});
  d3drec::StartRecording();
  d3drec::SetRasterizing(false);
  device->SetTexture(0, texture);
  Additive(true);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  DrawRect(0, 0, 4, 4, 0x282828);
  d3drec::SetRasterizing(true);
  d3drec::StopRecording();
  EXPECT_EQ(Pixel(1, 1), 0);
  const auto& calls = d3drec::Calls();
  ASSERT_EQ(calls.size(), 6u);
  const d3drec::Call& draw = calls[5];
  EXPECT_TRUE(draw.kind == d3drec::Call::Kind::DrawPrimitive && draw.texture == texture);
  EXPECT_TRUE(draw.states.alphaBlend && draw.states.destBlend == D3DBLEND_ONE && draw.states.colorKey &&
              draw.states.zEnable == D3DZB_FALSE) << "the states in force at the draw";
  EXPECT_FLOAT_EQ(draw.matrix._22, 0.6173696f);
}

}  // namespace
