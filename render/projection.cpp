#include "render/projection.h"

#include <cmath>

D3DMATRIX BuildProjection(float near, float far, float fieldOfView) {
  const float half = fieldOfView * 0.5f;
  const float sine = std::sin(half), cosine = std::cos(half);
  // h and Q stay unrounded (double) until they land in the matrix.
  const double h = static_cast<double>(cosine) / sine;
  const double q = static_cast<double>(far) / (static_cast<double>(far) - near);

  D3DMATRIX m{};
  m._11 = static_cast<float>(0.75 * h);
  m._22 = static_cast<float>(h);
  m._33 = static_cast<float>(q);
  m._34 = 1.0f;
  m._43 = static_cast<float>(-q * near);
  return m;
}
