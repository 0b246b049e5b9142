// Test harness for the scenes: a headless device, textures standing in for the bitmaps and render
// textures, hand-made animation streams, and the recorded calls of one scene frame, read back as
// the quads, object draws and texture loads they were.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d/call_recorder.h"

// The DrawQuad arguments a quad was drawn with, and the QuadStretch in force.
struct QuadArgs {
  float size, angle;
  int brightness;
  float dx, dy;
  float stretchX = 1.0f, stretchY = 1.0f;
};

class SceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  // Every shared scene variable, callback, upload target, quad and object state back to its
  // program-start value, and streams of eight frames in every animation slot.
  void SetUp() override;

  // One display frame of scene with the given FrameDelta; the calls it made are kept.
  void RunFrame(void (*scene)(), float frameDelta);

  std::vector<const d3drec::Call*> Quads() const;    // DrawPrimitive
  std::vector<const d3drec::Call*> Objects() const;  // DrawIndexedPrimitive
  std::vector<const d3drec::Call*> Uploads() const;  // LoadTextureFromMemory
  int CopiesToFeedback() const;                      // LoadTextureFromSurface into render texture 2

  // Replaces animation slot `slot` with a stream of `frames` frames.
  void SetStream(int slot, int frames);

  std::vector<d3drec::Call> calls;
};

// Checks the four corners, texture coordinates and grey level of a recorded quad against the
// DrawQuad contract (texture origin at (u, v)).
void ExpectQuad(const d3drec::Call& quad, const QuadArgs& args, float u = 0.0f, float v = 0.0f);

DWORD RenderState(D3DRENDERSTATETYPE state);
