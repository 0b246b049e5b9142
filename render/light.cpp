#include "render/light.h"

#include <cassert>
#include <cmath>

#include "render/object.h"

Vector3 WorkVector{0.0f, 0.0f, 0.0f};
LightParameters LightParams{};

void RotateAboutX(float angle) {
  const float radians = angle * AngleUnit;
  const float c = std::cos(radians), s = std::sin(radians);
  const float y = WorkVector.y, z = WorkVector.z;
  WorkVector.y = y * c - z * s;
  WorkVector.z = z * c + y * s;
}

void RotateAboutY(float angle) {
  const float radians = angle * AngleUnit;
  const float c = std::cos(radians), s = std::sin(radians);
  const float x = WorkVector.x, z = WorkVector.z;
  WorkVector.x = x * c - z * s;
  WorkVector.z = z * c + x * s;
}

void RotateAboutZ(float angle) {
  const float radians = angle * AngleUnit;
  const float c = std::cos(radians), s = std::sin(radians);
  const float x = WorkVector.x, y = WorkVector.y;
  WorkVector.x = x * c + y * s;
  WorkVector.y = y * c - x * s;
}

void PlaceLight(int index) {
  assert(index >= 0 && index < MaxLights);
  WorkVector = {0.0f, 0.0f, LightParams.distance};
  RotateAboutX(LightParams.angleX);
  RotateAboutY(LightParams.angleY);
  RotateAboutZ(LightParams.angleZ);

  LightRecord& light = Lights[index];
  light.position = WorkVector;
  light.intensity = LightParams.intensity;
  light.falloff = LightParams.intensity / LightParams.distance;
  light.red = LightParams.red;
  light.green = LightParams.green;
  light.blue = LightParams.blue;
  light.allowNegative = LightParams.allowNegative;
}
