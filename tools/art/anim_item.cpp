// "item": an abstract object, a ring whose rounded-square cross-section twists as it goes round,
// in iridescent metal, turning over an even dusky violet ground. Over the loop the ring turns once
// about its tilted axis and its twist moves on by a quarter turn, which the square maps to
// itself, so the loop closes.
#include <cmath>

#include "tools/art/animations.h"
#include "tools/art/parallel.h"
#include "tools/art/sdf.h"

namespace art {

namespace {

struct TwistedRing {
  float spin, twist;
  SdfSample operator()(Vec3 p) const {
    Vec3 q = RotateY(RotateX(p, 0.5f), spin);
    float around = std::atan2(q.z, q.x);
    float radial = std::sqrt(q.x * q.x + q.z * q.z) - 0.72f;
    // Cross-section in (radial, y), turned three half turns per lap plus the moving twist.
    float a = around * 1.5f + twist;
    float c = std::cos(a), s = std::sin(a);
    float u = radial * c - q.y * s, v = radial * s + q.y * c;
    float qu = std::fabs(u) - 0.17f, qv = std::fabs(v) - 0.17f;
    float box = std::sqrt(std::max(qu, 0.0f) * std::max(qu, 0.0f) + std::max(qv, 0.0f) * std::max(qv, 0.0f)) +
                std::min(std::max(qu, qv), 0.0f) - 0.06f;
    float core = SdSphere(p, 0.22f + 0.03f * std::sin(twist * 4));
    return {std::min(box * 0.8f, core), box < core ? 1 : 2};
  }
};

}  // namespace

std::vector<Canvas> RenderItem(int size, int frames) {
  std::vector<Canvas> out;
  for (int f = 0; f < frames; ++f) {
    float phase = static_cast<float>(f) / frames;
    TwistedRing ring{2 * Pi * phase, Pi / 2 * phase};
    Camera camera({0, 0.2f, -3.0f}, {0, 0, 0}, 40, 4.0f / 3.0f);
    Canvas frame(size, size);
    const int n = 2;
    ForEachRow(size, [&](int row) {
      for (int col = 0; col < size; ++col) {
        Vec3 sum;
        for (int s = 0; s < n * n; ++s) {
          float u = (col + (s % n + 0.5f) / n) / size, v = (row + (s / n + 0.5f) / n) / size;
          Vec3 dir = camera.Ray(u, v);
          Hit hit = Trace(ring, camera.eye, dir, 6.0f, 120);
          // An even dusky violet ground, lighter than the dark talo towers drawn over it even
          // after the scenes' contrast boost, which pushes darker grounds to black. Even, so that
          // where the talo scene draws this frame colour-keyed the ground is kept whole, not
          // keyed away in part.
          const Vec3 background{0.22f, 0.17f, 0.38f};
          if (!hit.found) {
            sum += background;
            continue;
          }
          Vec3 nrm = hit.normal;
          Vec3 reflected = Reflect(dir, nrm);
          float fresnel = std::pow(1 - std::max(0.0f, -Dot(dir, nrm)), 3.0f);
          float film = Dot(reflected, Vec3{0.3f, 0.8f, 0.2f}) * 0.45f + 0.15f;
          Vec3 hue{0.5f + 0.5f * std::cos(2 * Pi * film), 0.5f + 0.5f * std::cos(2 * Pi * (film - 0.33f)),
                   0.5f + 0.5f * std::cos(2 * Pi * (film - 0.67f))};
          if (hit.material == 2) hue = Vec3{1.0f, 0.55f, 0.15f};
          Vec3 key = Normalize(Vec3{-0.6f, 0.8f, -0.5f});
          float diffuse = std::max(0.0f, Dot(nrm, key));
          float highlight = std::pow(std::max(0.0f, Dot(reflected, key)), 40.0f);
          float ao = AmbientOcclusion(ring, hit.position, nrm, 0.04f);
          Vec3 colour = hue * (0.12f + 0.7f * diffuse) * ao + Vec3{1, 1, 1} * (highlight * 1.1f) +
                        Vec3{0.5f, 0.3f, 1.0f} * (fresnel * 0.6f);
          // Exposed low: the feedback tunnel over the talo towers multiplies it about fourfold.
          sum += Vec3{1 - std::exp(-colour.x * 0.8f), 1 - std::exp(-colour.y * 0.8f), 1 - std::exp(-colour.z * 0.8f)};
        }
        frame.At(col, row) = sum / static_cast<float>(n * n);
      }
    });
    out.push_back(std::move(frame));
  }
  return out;
}

}  // namespace art
