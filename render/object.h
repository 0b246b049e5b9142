// The object drawer: an object file image (.obu) transformed, lit and drawn on the processor.
//
// DrawObject reads the image in place (layout in render/object_format.h), scales and turns each
// vertex, moves it by the object position and the camera, lights it from AmbientColour and up to
// ten point lights, and writes pre-lit vertices into the one static ObjectVertexBuffer for a
// single indexed triangle-list draw. Its parameters beyond the call arguments are the
// ObjectDrawState globals below: scenes set them, nothing resets them between scenes.
// Camera space: z grows with depth; positions go to the device untransformed except by its
// projection. Single-threaded.
#pragma once

#include <cstdint>

#include "platform/d3d/d3d7.h"
#include "render/object_format.h"
#include "render/vector.h"

// The whole content of one object file, as the loader keeps it.
using ObjectImage = const std::uint8_t*;

constexpr int MaxLights = 10;

struct ColourRGB {
  float red, green, blue;  // 0..255 scale
};

// One point light, in the space objects are placed in (before ViewOffset and the view turn).
struct LightRecord {
  Vector3 position;
  float intensity;
  float falloff;  // subtracted per unit of vertex-to-light distance
  float red, green, blue;
  std::uint8_t allowNegative;  // nonzero: the light may darken; zero: clamped at 0
};

// --- ObjectDrawState ---
extern Vector3 ViewOffset;       // (0, 0, 0): camera translation, added before the view turn; not lit
extern Vector3 ScaleBias;        // (0, 0, 0): per-axis addition to the scale argument
extern float UVScale;            // 1.0: multiplier of stored texture coordinates
extern float NormalScale;        // 1.0: multiplier of every normal; -1.0 turns them round
extern ColourRGB AmbientColour;  // (0, 0, 0): start of every vertex colour
extern std::int32_t LightCount;  // 1: entries of Lights used, from the first; <= 0 none
extern LightRecord Lights[MaxLights];
extern std::uint8_t CullingOff;   // 1: nonzero skips the view-box test of the object centre
extern std::uint8_t ForceEnvMap;  // 0: nonzero takes texture coordinates from normals always

// Overwritten from entry 0 by every DrawObject; the reserved word stays 0.
extern D3DLVERTEX ObjectVertexBuffer[ObjectVertexCapacity];

// Angles in AngleUnits. Camera turn: Y-rotation by viewYaw, then X-rotation by viewPitch.
// With CullingOff 0 an object whose turned centre has z outside 0..400 or x outside -400..400
// is not drawn (a value on a bound is drawn). Changes no device state. An image whose vertex
// count exceeds ObjectVertexCapacity is not drawn (the loader refuses such files).
void DrawObject(ObjectImage image, float x, float y, float z, float scale, float yaw, float viewYaw,
                float viewPitch);
