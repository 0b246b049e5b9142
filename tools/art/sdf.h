// Signed distance shapes and a sphere tracer for the rendered pictures (busts, the machine, the
// bottle, the abstract object). A scene is any callable giving the distance to its surface at a
// point and the material id there; the tracer finds the hit, its normal, ambient occlusion
// and soft shadow. Units are the scene's own; distances are exact or underestimates.
#pragma once

#include <cmath>

#include "tools/art/vec.h"

namespace art {

inline float SdSphere(Vec3 p, float r) { return Length(p) - r; }

// Ellipsoid of radii r (an approximation good near the surface).
inline float SdEllipsoid(Vec3 p, Vec3 r) {
  Vec3 q{p.x / r.x, p.y / r.y, p.z / r.z};
  float k0 = Length(q);
  Vec3 q2{p.x / (r.x * r.x), p.y / (r.y * r.y), p.z / (r.z * r.z)};
  float k1 = Length(q2);
  return k1 > 0 ? k0 * (k0 - 1.0f) / k1 : -std::min(r.x, std::min(r.y, r.z));
}

inline float SdBox(Vec3 p, Vec3 half, float round = 0) {
  Vec3 q = Abs(p) - half + Vec3{round, round, round};
  return Length(Max(q, 0.0f)) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0f) - round;
}

// Capsule between a and b with radius r.
inline float SdCapsule(Vec3 p, Vec3 a, Vec3 b, float r) {
  Vec3 pa = p - a, ba = b - a;
  float h = Clamp01(Dot(pa, ba) / Dot(ba, ba));
  return Length(pa - ba * h) - r;
}

// Cone-like capsule between a (radius ra) and b (radius rb).
inline float SdRoundCone(Vec3 p, Vec3 a, Vec3 b, float ra, float rb) {
  Vec3 pa = p - a, ba = b - a;
  float h = Clamp01(Dot(pa, ba) / Dot(ba, ba));
  return Length(pa - ba * h) - Mix(ra, rb, h);
}

// Upright cylinder (axis y) of radius r and half height h.
inline float SdCylinderY(Vec3 p, float r, float h) {
  float dx = std::sqrt(p.x * p.x + p.z * p.z) - r, dy = std::fabs(p.y) - h;
  float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
  return std::min(std::max(dx, dy), 0.0f) + std::sqrt(ox * ox + oy * oy);
}

// Polynomial smooth minimum and maximum with blend width k.
inline float SmoothMin(float a, float b, float k) {
  float h = Clamp01(0.5f + 0.5f * (b - a) / k);
  return Mix(b, a, h) - k * h * (1 - h);
}
inline float SmoothMax(float a, float b, float k) { return -SmoothMin(-a, -b, k); }

struct SdfSample {
  float distance;
  int material;
};

struct Hit {
  bool found = false;
  float t = 0;
  Vec3 position;
  Vec3 normal;
  int material = 0;
};

// Sphere tracing from origin along dir (unit) up to maxT.
template <typename Scene>
Hit Trace(const Scene& scene, Vec3 origin, Vec3 dir, float maxT, int maxSteps = 160, float epsilon = 0.0008f) {
  Hit hit;
  float t = 0;
  for (int i = 0; i < maxSteps && t < maxT; ++i) {
    Vec3 p = origin + dir * t;
    SdfSample s = scene(p);
    if (s.distance < epsilon * (1 + t)) {
      hit.found = true;
      hit.t = t;
      hit.position = p;
      hit.material = s.material;
      break;
    }
    t += s.distance * 0.9f;
  }
  if (!hit.found) return hit;
  // Settle onto the surface, so that where the march happened to stop leaves no contour
  // lines in the normals.
  for (int i = 0; i < 4; ++i) {
    hit.t += scene(origin + dir * hit.t).distance;
    hit.position = origin + dir * hit.t;
  }
  const float e = 0.0015f;
  Vec3 p = hit.position;
  hit.normal = Normalize(Vec3{scene(p + Vec3{e, 0, 0}).distance - scene(p - Vec3{e, 0, 0}).distance,
                              scene(p + Vec3{0, e, 0}).distance - scene(p - Vec3{0, e, 0}).distance,
                              scene(p + Vec3{0, 0, e}).distance - scene(p - Vec3{0, 0, e}).distance});
  return hit;
}

// 1 in the open, towards 0 in creases; step is the spacing of the samples along the normal.
template <typename Scene>
float AmbientOcclusion(const Scene& scene, Vec3 p, Vec3 n, float step) {
  float occlusion = 0, weight = 1;
  for (int i = 1; i <= 5; ++i) {
    float h = step * i;
    occlusion += (h - scene(p + n * h).distance) * weight;
    weight *= 0.6f;
  }
  return Clamp01(1 - occlusion * 1.6f / step / 5);
}

// Penumbra towards a light in direction dir: 1 lit, 0 fully shadowed.
template <typename Scene>
float SoftShadow(const Scene& scene, Vec3 p, Vec3 dir, float start, float maxT, float softness) {
  float lit = 1, t = start;
  for (int i = 0; i < 48 && t < maxT; ++i) {
    float d = scene(p + dir * t).distance;
    if (d < 0.0005f) return 0;
    lit = std::min(lit, softness * d / t);
    t += std::clamp(d, 0.01f, 0.2f);
  }
  return Clamp01(lit);
}

// A pinhole camera: eye, target, vertical field of view; aspect = shown width / height.
struct Camera {
  Vec3 eye;
  Vec3 forward, right, up;
  float tanHalf = 0.5f;
  float aspect = 1;
  Camera(Vec3 eyeAt, Vec3 target, float fovDegrees, float shownAspect);
  // Ray direction through normalised picture coordinates u, v in 0..1 (v down).
  Vec3 Ray(float u, float v) const;
};

}  // namespace art
