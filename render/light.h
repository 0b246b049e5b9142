// Light placement and the shared in-place rotations.
//
// Scenes fill LightParams (angles, distance, intensity, colour) and call PlaceLight(i), which
// puts light i of the object drawer's Lights table on a sphere of radius distance around the
// origin. The three rotations turn the one shared WorkVector in place; DrawQuad turns its
// corners with RotateAboutZ the same way. Single-threaded: calls must not overlap.
#pragma once

#include <cstdint>

#include "render/vector.h"

// Every angle handed to the toolkit is in units of 1/1024 turn; radians = units x AngleUnit,
// the single-precision value of 3.14159 / 512 (3.14159 as written, not pi).
constexpr float AngleUnit = 0.0061359182f;

// Read and written back by RotateAboutX/Y/Z; DrawQuad leaves corner 3's turned offsets in x, y.
extern Vector3 WorkVector;

// Each computes the sine and cosine of angle (AngleUnits) afresh and uses only old coordinates.
void RotateAboutX(float angle);  // y' = y cos - z sin, z' = z cos + y sin
void RotateAboutY(float angle);  // x' = x cos - z sin, z' = z cos + x sin
void RotateAboutZ(float angle);  // x' = x cos + y sin, y' = y cos - x sin

// Parameters of the next PlaceLight; all start at 0 and persist between calls and frames, so a
// scene sets only what differs for the next light.
struct LightParameters {
  float angleX;     // AngleUnits, first rotation of (0, 0, distance)
  float angleY;     // AngleUnits, second
  float angleZ;     // AngleUnits, third
  float intensity;  // copied into the light; falloff = intensity / distance
  float red, green, blue;
  float distance;   // radius of the light's sphere around the origin
  std::uint8_t allowNegative;
};
extern LightParameters LightParams;

// Writes entry index (0..9) of Lights from LightParams; LightCount is left to the scene.
void PlaceLight(int index);
