// Harness for the scenes of entries 12 to 25: a headless device with the call recorder, one small
// textured triangle standing in for every object, and animation streams whose frames are flat
// greys of distinct luma, so that a test can tell which frame a scene uploaded.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "assets/animation.h"
#include "platform/d3d/call_recorder.h"
#include "render/vector.h"

struct QuadArgs {
  float size, angle;
  int brightness;
  float dx = 0.0f, dy = 0.0f;
};

class LateSceneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  // Program-start values for every shared variable, eight-frame streams in every slot.
  void SetUp() override;

  void RunFrame(void (*scene)(), float frameDelta);
  std::vector<const d3drec::Call*> Draws(d3drec::Call::Kind kind) const;
  std::vector<const d3drec::Call*> Quads() const { return Draws(d3drec::Call::Kind::DrawPrimitive); }
  std::vector<const d3drec::Call*> Objects() const {
    return Draws(d3drec::Call::Kind::DrawIndexedPrimitive);
  }
  std::vector<const d3drec::Call*> Uploads() const {
    return Draws(d3drec::Call::Kind::LoadTextureFromMemory);
  }
  int Copies() const { return static_cast<int>(Draws(d3drec::Call::Kind::LoadTextureFromSurface).size()); }

  void SetStream(int slot, int frames);
  // The frame of slot's stream whose picture the last upload left, through postProcess.
  int UploadedFrame(int slot, PostProcessRoutine postProcess);

  std::vector<d3drec::Call> calls;
};

// Corners, texture coordinates and grey level against DrawQuad's contract with QuadStretch sx, sy.
void ExpectQuad(const d3drec::Call& quad, const QuadArgs& args, float sx = 1.0f, float sy = 1.0f);

// Camera-space point of an object placed at `at` (ViewOffset included) under the view turn.
Vector3 CameraPoint(Vector3 at, float viewYaw, float viewPitch);
// Vertex 0 of the test object is its origin: checks where DrawObject put it.
void ExpectObjectAt(const d3drec::Call& object, Vector3 camera);
