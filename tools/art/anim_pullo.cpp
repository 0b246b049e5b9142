// "pullo": a green glass bottle turning once about its axis, on black (it is drawn with colour
// keying, so the background is exactly black and the glass keeps a bright rim). A paper label
// with our lettering shows the turn; a metal cap closes it.
#include <cmath>

#include "tools/art/animations.h"
#include "tools/art/font.h"
#include "tools/art/parallel.h"
#include "tools/art/sdf.h"

namespace art {

namespace {

enum { kGlass = 1, kLabel, kCap };

// Radius of the bottle at height y (y from -1 at the base to 1 at the lip).
float Profile(float y) {
  if (y < 0.15f) return 0.36f;
  if (y < 0.5f) return Mix(0.36f, 0.12f, SmoothStep(0.15f, 0.5f, y));
  return 0.12f + 0.01f * SmoothStep(0.85f, 0.9f, y);
}

struct Bottle {
  SdfSample operator()(Vec3 p) const {
    float r = std::sqrt(p.x * p.x + p.z * p.z);
    float side = (r - Profile(std::clamp(p.y, -1.0f, 1.0f))) * 0.9f;
    float d = std::max(side, std::fabs(p.y) - 1.0f);
    d -= 0.01f;
    float cap = SdCylinderY(p - Vec3{0, 0.98f, 0}, 0.135f, 0.08f) - 0.01f;
    if (cap < d) return {cap, kCap};
    bool label = p.y > -0.55f && p.y < 0.05f;
    return {d, label ? kLabel : kGlass};
  }
};

}  // namespace

std::vector<Canvas> RenderPullo(int size, int frames) {
  Mask lettering(256, 32);
  StampText(lettering, "KORVO", 14, 2, 3, false);
  StampText(lettering, "PELTA", 142, 2, 3, false);
  std::vector<Canvas> out;
  Bottle bottle;
  Camera camera({0, 0.3f, -4.2f}, {0, 0.0f, 0}, 32, 4.0f / 3.0f);
  for (int f = 0; f < frames; ++f) {
    float turn = 2 * Pi * f / frames;
    Canvas frame(size, size);
    const int n = 3;
    ForEachRow(size, [&](int row) {
      for (int col = 0; col < size; ++col) {
        Vec3 sum;
        int covered = 0;
        for (int s = 0; s < n * n; ++s) {
          float u = (col + (s % n + 0.5f) / n) / size, v = (row + (s / n + 0.5f) / n) / size;
          Vec3 dir = camera.Ray(u, v);
          Hit hit = Trace(bottle, camera.eye, dir, 7.0f, 120);
          if (!hit.found) continue;
          ++covered;
          Vec3 nrm = hit.normal;
          Vec3 key = Normalize(Vec3{-0.7f, 0.5f, -0.6f});
          Vec3 reflected = Reflect(dir, nrm);
          float facing = std::max(0.0f, -Dot(dir, nrm));
          float diffuse = std::max(0.0f, Dot(nrm, key));
          float highlight = std::pow(std::max(0.0f, Dot(reflected, key)), 60.0f);
          float fresnel = std::pow(1 - facing, 2.0f);
          Vec3 colour;
          if (hit.material == kLabel) {
            // The label turns with the bottle: its u follows the angle round the axis.
            float angle = std::atan2(hit.position.z, hit.position.x) + turn;
            float lu = angle / (2 * Pi);
            lu -= std::floor(lu);
            float lv = (0.05f - hit.position.y) / 0.6f;
            int tx = std::min(255, static_cast<int>(lu * 256)), ty = static_cast<int>(lv * 32);
            bool ink = ty >= 0 && ty < 32 && lettering.At(tx, ty) > 0;
            bool stripe = lv < 0.08f || lv > 0.92f;
            Vec3 paper = stripe ? Vec3{0.75f, 0.15f, 0.1f} : ink ? Vec3{0.6f, 0.08f, 0.05f} : Vec3{0.92f, 0.86f, 0.7f};
            colour = paper * (0.25f + 0.85f * diffuse) + Vec3{1, 1, 1} * (highlight * 0.3f);
          } else if (hit.material == kCap) {
            colour = Vec3{0.7f, 0.7f, 0.75f} * (0.3f + 0.8f * diffuse) + Vec3{1, 1, 1} * highlight;
          } else {
            // Glass: a deep green body, light through its far side, a bright rim and glints.
            float through = std::pow(facing, 1.5f);
            colour = Vec3{0.06f, 0.42f, 0.14f} * (0.35f + 0.9f * through) + Vec3{0.3f, 0.9f, 0.5f} * (fresnel * 0.8f) +
                     Vec3{1, 1, 1} * (highlight * 1.4f);
            float streak = std::exp(-std::pow((hit.position.x + 0.16f) * 18, 2.0f));
            colour += Vec3{0.6f, 0.9f, 0.7f} * (streak * 0.5f);
          }
          sum += Vec3{1 - std::exp(-colour.x * 1.4f), 1 - std::exp(-colour.y * 1.4f), 1 - std::exp(-colour.z * 1.4f)};
        }
        // Keep the bottle's edge above the key: partly covered pixels are either dropped or
        // shown at their own colour.
        frame.At(col, row) = covered * 3 < n * n ? Vec3{} : sum / static_cast<float>(covered);
      }
    });
    out.push_back(std::move(frame));
  }
  return out;
}

}  // namespace art
