#include "platform/d3d/guard_band_clip.h"

#include <algorithm>
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

// Corners beyond this reach are first clipped to it in double precision: in float, the
// difference of two far-apart coordinates may not fit, and rounding at 1e27 exceeds the band.
// The demo's own triangles stay well inside it (up to about 3.5e7 pixels), so their clipping,
// and with it every picture, is that of the float passes alone.
constexpr double kFarReach = 8589934592.0;  // 2^33 pixels

bool BeyondFarReach(const ScreenVertex& v) {
  return !(std::fabs(v.x) <= kFarReach && std::fabs(v.y) <= kFarReach);
}

ScreenVertex PreciseLerp(const ScreenVertex& a, const ScreenVertex& b, double t) {
  const auto mix = [t](float p, float q) { return static_cast<float>(p + (double{q} - p) * t); };
  ScreenVertex r;
  r.x = mix(a.x, b.x);
  r.y = mix(a.y, b.y);
  r.z = mix(a.z, b.z);
  r.q = mix(a.q, b.q);
  for (int k = 0; k < ScreenVertex::kAttributes; ++k) r.attributes[k] = mix(a.attributes[k], b.attributes[k]);
  return r;
}

// Keeps where sign * coordinate <= kFarReach; a new corner lies on that edge exactly.
int ClipEdgePrecisely(const ScreenVertex* in, int count, ScreenVertex* out, bool useX, double sign) {
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const ScreenVertex& a = in[i];
    const ScreenVertex& b = in[(i + 1) % count];
    const double da = kFarReach - sign * (useX ? a.x : a.y);
    const double db = kFarReach - sign * (useX ? b.x : b.y);
    const bool keep = da >= 0, cut = keep != (db >= 0);
    if (n + keep + cut > kGuardClipMaxVertices) return 0;
    if (keep) out[n++] = a;
    if (cut) {
      ScreenVertex& corner = out[n++];
      corner = PreciseLerp(a, b, da / (da - db));
      (useX ? corner.x : corner.y) = static_cast<float>(sign * kFarReach);
    }
  }
  return n;
}

// Keeps where sign * coordinate <= kGuardBand.
int ClipEdge(const ScreenVertex* in, int count, ScreenVertex* out, bool useX, float sign) {
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const ScreenVertex& a = in[i];
    const ScreenVertex& b = in[(i + 1) % count];
    float da = kGuardBand - sign * (useX ? a.x : a.y);
    float db = kGuardBand - sign * (useX ? b.x : b.y);
    const bool keep = da >= 0, cut = keep != (db >= 0);
    // A convex polygon gains at most one corner per edge; rounding must not make it overrun.
    if (n + keep + cut > kGuardClipMaxVertices) return 0;
    if (keep) out[n++] = a;
    if (cut) out[n++] = Lerp(a, b, da / (da - db));
  }
  return n;
}

}  // namespace

bool InsideGuardBand(const ScreenVertex& v) {
  return std::fabs(v.x) <= kGuardBand && std::fabs(v.y) <= kGuardBand && Finite(v);
}

int ClipToGuardBand(const ScreenVertex* const v[3], ScreenVertex out[kGuardClipMaxVertices]) {
  ScreenVertex scratch[kGuardClipMaxVertices];
  for (int k = 0; k < 3; ++k) {
    if (!Finite(*v[k])) return 0;
    out[k] = *v[k];
  }
  int count = 3;
  const bool far = BeyondFarReach(out[0]) || BeyondFarReach(out[1]) || BeyondFarReach(out[2]);
  if (far) {
    count = ClipEdgePrecisely(out, count, scratch, true, 1.0);
    count = ClipEdgePrecisely(scratch, count, out, true, -1.0);
    count = ClipEdgePrecisely(out, count, scratch, false, 1.0);
    count = ClipEdgePrecisely(scratch, count, out, false, -1.0);
  }
  count = ClipEdge(out, count, scratch, true, 1.0f);
  count = ClipEdge(scratch, count, out, true, -1.0f);
  count = ClipEdge(out, count, scratch, false, 1.0f);
  count = ClipEdge(scratch, count, out, false, -1.0f);
  for (int k = 0; k < count; ++k) {
    // Attributes far apart can still overflow a float between two corners: such a piece is dropped.
    if (!Finite(out[k])) return 0;
    // Float passes from the far reach round by up to about a thousand pixels.
    if (far) {
      out[k].x = std::clamp(out[k].x, -kGuardBand, kGuardBand);
      out[k].y = std::clamp(out[k].y, -kGuardBand, kGuardBand);
    }
  }
  return count;
}
