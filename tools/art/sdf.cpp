#include "tools/art/sdf.h"

namespace art {

Camera::Camera(Vec3 eyeAt, Vec3 target, float fovDegrees, float shownAspect)
    : eye(eyeAt), tanHalf(std::tan(fovDegrees * Pi / 360.0f)), aspect(shownAspect) {
  forward = Normalize(target - eye);
  right = Normalize(Cross(Vec3{0, 1, 0}, forward));
  up = Cross(forward, right);
}

Vec3 Camera::Ray(float u, float v) const {
  float x = (u * 2 - 1) * tanHalf * aspect;
  float y = (1 - v * 2) * tanHalf;
  return Normalize(forward + right * x + up * y);
}

}  // namespace art
