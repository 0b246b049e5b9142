#include "platform/d3d/guard_band_clip.h"

#include <cmath>

namespace {

bool Finite(const ScreenVertex& v) {
  if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z) || !std::isfinite(v.q))
    return false;
  for (float a : v.attributes) {
    if (!std::isfinite(a)) return false;
  }
  return true;
}

ScreenVertex Lerp(const ScreenVertex& a, const ScreenVertex& b, float t) {
  ScreenVertex r;
  r.x = a.x + (b.x - a.x) * t;
  r.y = a.y + (b.y - a.y) * t;
  r.z = a.z + (b.z - a.z) * t;
  r.q = a.q + (b.q - a.q) * t;
  for (int k = 0; k < ScreenVertex::kAttributes; ++k)
    r.attributes[k] = a.attributes[k] + (b.attributes[k] - a.attributes[k]) * t;
  return r;
}

// Keeps where sign * coordinate <= kGuardBand.
int ClipEdge(const ScreenVertex* in, int count, ScreenVertex* out, bool useX, float sign) {
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const ScreenVertex& a = in[i];
    const ScreenVertex& b = in[(i + 1) % count];
    float da = kGuardBand - sign * (useX ? a.x : a.y);
    float db = kGuardBand - sign * (useX ? b.x : b.y);
    if (da >= 0) out[n++] = a;
    if ((da >= 0) != (db >= 0)) out[n++] = Lerp(a, b, da / (da - db));
  }
  return n;
}

}  // namespace

bool InsideGuardBand(const ScreenVertex* const v[3]) {
  for (int k = 0; k < 3; ++k) {
    if (!(std::fabs(v[k]->x) <= kGuardBand && std::fabs(v[k]->y) <= kGuardBand) || !Finite(*v[k]))
      return false;
  }
  return true;
}

int ClipToGuardBand(const ScreenVertex* const v[3], ScreenVertex out[kGuardClipMaxVertices]) {
  ScreenVertex scratch[kGuardClipMaxVertices];
  for (int k = 0; k < 3; ++k) {
    if (!Finite(*v[k])) return 0;
    out[k] = *v[k];
  }
  int count = 3;
  count = ClipEdge(out, count, scratch, true, 1.0f);
  count = ClipEdge(scratch, count, out, true, -1.0f);
  count = ClipEdge(out, count, scratch, false, 1.0f);
  count = ClipEdge(scratch, count, out, false, -1.0f);
  return count;
}
