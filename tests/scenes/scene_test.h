// Harnesses for the drawing toolkit and the scene functions. ToolkitTest: a headless software
// device with the call recorder running, and the toolkit's globals back at their program-start
// values before each test. SceneTest adds blank textures for the bitmaps, one small triangle for
// every object, and animation streams of flat colours: the width of a stream's frames tells its
// slot, the chroma of a frame its index, so a test can tell which frame a scene uploaded last.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/d3d/call_recorder.h"

// Animation slots.
constexpr int Item = 0, Kone = 1, Stream3dfx = 2, Pullo = 3, Kelmu = 4, Mina = 5;

using Frame = std::pair<int, int>;  // (slot, frame)

class ToolkitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // The recorded calls of one kind, in order.
  std::vector<d3drec::Call> CallsOf(d3drec::Call::Kind kind) const;
};

class SceneTest : public ToolkitTest {
 protected:
  static void SetUpTestSuite();
  // Program-start values for the scene variables and the toolkit's state; streams of 8 frames in
  // every slot but 3dfx, which has 19.
  void SetUp() override;
  // Replaces slot's stream by one of the given number of frames.
  static void SetStream(int slot, int frames);
  // Runs one frame of scene and keeps its calls.
  void RunFrame(void (*scene)(), float frameDelta);

  std::vector<const d3drec::Call*> Of(d3drec::Call::Kind kind) const;
  std::vector<const d3drec::Call*> Quads() const { return Of(d3drec::Call::Kind::DrawPrimitive); }
  std::vector<const d3drec::Call*> Objects() const { return Of(d3drec::Call::Kind::DrawIndexedPrimitive); }
  std::vector<const d3drec::Call*> Uploads() const { return Of(d3drec::Call::Kind::LoadTextureFromMemory); }
  std::vector<const d3drec::Call*> Copies() const { return Of(d3drec::Call::Kind::LoadTextureFromSurface); }

  std::vector<d3drec::Call> calls;
};

// The stream and frame whose picture the last frame's last upload left, decoded again through
// the FramePostProcess now installed ({-1, -1}: that frame uploaded nothing).
Frame LastUploaded();
// Grey level of a quad's vertex colour.
int Grey(const d3drec::Call* quad);
DWORD RenderState(D3DRENDERSTATETYPE state);
