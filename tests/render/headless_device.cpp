#include "headless_device.h"

#include "assets/loader.h"
#include "platform/win32/platform_mode.h"
#include "render/light.h"
#include "render/object.h"
#include "render/quad.h"
#include "shell/graphics.h"

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
  CullingOff = 1;
  ForceEnvMap = 0;
  LightParams = {};
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
