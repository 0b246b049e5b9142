// Test harness for the scenes: a headless device, textures standing in for the bitmaps, a
// one-triangle object, and animation streams whose every frame is one flat colour of its own, so
// the picture left in DecodedPicture tells which stream and frame were uploaded last.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/d3d/call_recorder.h"

// Animation slots and their frame counts in the tests.
constexpr int Item = 0, Kone = 1, Stream3dfx = 2, Pullo = 3;
constexpr int FramesPerStream[4] = {8, 8, 19, 8};

using Frame = std::pair<int, int>;  // (slot, frame)

// DrawQuad arguments and the QuadStretch in force.
struct QuadArgs {
  float size, angle;
  int brightness;
  float dx, dy;
  float stretchX = 1.0f, stretchY = 1.0f;
};

class SceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  // Shared scene variables, callback, upload target, quad and object state at their start values.
  void SetUp() override;
  void RunFrame(void (*scene)(), float frameDelta);  // keeps the calls of that frame
  std::vector<const d3drec::Call*> Of(d3drec::Call::Kind kind) const;
  std::vector<const d3drec::Call*> Quads() const { return Of(d3drec::Call::Kind::DrawPrimitive); }
  std::vector<const d3drec::Call*> Uploads() const { return Of(d3drec::Call::Kind::LoadTextureFromMemory); }
  std::vector<d3drec::Call> calls;
};

// The stream and frame of the picture last decoded, told by its chroma ({-1, -1}: none).
Frame LastUploaded();
// Grey level of a quad's vertex colour.
int Grey(const d3drec::Call* quad);
// The four corners and texture coordinates of a recorded quad against the DrawQuad contract.
void ExpectQuad(const d3drec::Call* quad, const QuadArgs& args, float u = 0.0f, float v = 0.0f);
DWORD RenderState(D3DRENDERSTATETYPE state);
