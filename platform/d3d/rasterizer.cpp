#include "platform/d3d/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/d3d/general_span.h"
#include "platform/d3d/guard_band_clip.h"
#include "platform/d3d/pixel_pipeline.h"
#include "platform/d3d/sampler.h"
#include "platform/d3d/triangle_setup.h"

namespace {

constexpr int kSubPixelBits = 8;
constexpr double kSubPixel = 1 << kSubPixelBits;
// Set-up takes corners within this many pixels of the origin (clipping keeps them within the
// guard band): 2^29 in fixed point, so edge products stay below 2^61 and nothing overflows.
constexpr double kSetupReach = 1 << 21;

std::int64_t CeilDiv(std::int64_t n, std::int64_t d) {  // d > 0
  return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

std::uint8_t ColourByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
}

}  // namespace

bool SetupTriangle(const ScreenVertex* v[3], const DrawSettings& settings, const RenderTarget& target,
                   TriangleSetup& t) {
  std::int64_t fx[3], fy[3];
  for (int k = 0; k < 3; ++k) {
    if (!(std::fabs(v[k]->x) <= kSetupReach && std::fabs(v[k]->y) <= kSetupReach)) return false;
    fx[k] = RoundHalfAway(static_cast<double>(v[k]->x) * kSubPixel);
    fy[k] = RoundHalfAway(static_cast<double>(v[k]->y) * kSubPixel);
  }
  // Positive area: clockwise as seen, y growing downwards.
  std::int64_t area = (fx[1] - fx[0]) * (fy[2] - fy[0]) - (fx[2] - fx[0]) * (fy[1] - fy[0]);
  if (area == 0) return false;
  if (settings.cullMode == D3DCULL_CCW && area < 0) return false;
  if (settings.cullMode == D3DCULL_CW && area > 0) return false;

  // Sorted by y, equal rows keeping their order (an insertion sort, as std::sort does for three).
  int order[3] = {0, 1, 2};
  if (fy[order[1]] < fy[order[0]]) std::swap(order[0], order[1]);
  if (fy[order[2]] < fy[order[1]]) {
    std::swap(order[1], order[2]);
    if (fy[order[1]] < fy[order[0]]) std::swap(order[0], order[1]);
  }
  for (int k = 0; k < 3; ++k) {
    t.x[k] = fx[order[k]];
    t.y[k] = fy[order[k]];
  }
  std::int64_t side = (t.x[1] - t.x[0]) * (t.y[2] - t.y[0]) - (t.y[1] - t.y[0]) * (t.x[2] - t.x[0]);
  t.longEdgeLeft = side > 0;
  t.rowFirst = static_cast<int>(std::max<std::int64_t>(0, CeilDiv(t.y[0], 1 << kSubPixelBits)));
  t.rowEnd = static_cast<int>(std::min<std::int64_t>(target.height, CeilDiv(t.y[2], 1 << kSubPixelBits)));
  std::int64_t minX = std::min({fx[0], fx[1], fx[2]}), maxX = std::max({fx[0], fx[1], fx[2]});
  if (t.rowFirst >= t.rowEnd || maxX < 0 || minX >= (std::int64_t{target.width} << kSubPixelBits))
    return false;

  double px[3], py[3];
  for (int k = 0; k < 3; ++k) {
    px[k] = static_cast<double>(fx[k]) / kSubPixel;
    py[k] = static_cast<double>(fy[k]) / kSubPixel;
  }
  t.affine = v[0]->q == v[1]->q && v[1]->q == v[2]->q;
  // Without perspective the attributes are divided once here instead of at every pixel.
  const double divide = t.affine ? 1.0 / static_cast<double>(v[0]->q) : 1.0;
  // The planes of z, q and the attributes side by side, so that the compiler takes them a vector
  // at a time: each corner's values, then each plane's slopes and base.
  constexpr int kPlanes = 2 + ScreenVertex::kAttributes;
  double values[3][kPlanes];
  for (int k = 0; k < 3; ++k) {
    values[k][0] = static_cast<double>(v[k]->z);
    values[k][1] = static_cast<double>(v[k]->q);
    for (int a = 0; a < ScreenVertex::kAttributes; ++a) values[k][2 + a] = v[k]->attributes[a] * divide;
  }
  const double pixelArea = static_cast<double>(area) / (kSubPixel * kSubPixel);
  const double x1 = px[1] - px[0], x2 = px[2] - px[0], y1 = py[1] - py[0], y2 = py[2] - py[0];
  Plane planes[kPlanes];
  for (int i = 0; i < kPlanes; ++i) {
    const double a1 = values[1][i] - values[0][i], a2 = values[2][i] - values[0][i];
    const double dx = (a1 * y2 - a2 * y1) / pixelArea, dy = (a2 * x1 - a1 * x2) / pixelArea;
    planes[i] = {values[0][i] - dx * px[0] - dy * py[0], dx, dy};
  }
  t.z = planes[0];
  t.q = planes[1];
  std::copy_n(planes + 2, ScreenVertex::kAttributes, t.attributes);
  t.flatColour = true;
  for (int a = 2; a < ScreenVertex::kAttributes; ++a) {
    t.flatColour &= v[0]->attributes[a] == v[1]->attributes[a] && v[1]->attributes[a] == v[2]->attributes[a];
  }
  t.flatColour &= t.affine;
  // Only flat spans read the corner colours as bytes.
  for (int c = 0; c < 3; ++c) {
    const double q = static_cast<double>(v[0]->q);
    t.diffuse[c] = t.flatColour ? ColourByte(v[0]->attributes[2 + c] / q) : 0;
    t.specular[c] = t.flatColour ? ColourByte(v[0]->attributes[5 + c] / q) : 0;
  }
  return true;
}

namespace {

// The first covered pixel column on an edge, row by row: ceil of the edge's x at each fixed-point
// row, stepped exactly in integers (quotient and remainder) so that a row costs no division.
class EdgeWalker {
 public:
  EdgeWalker(const TriangleSetup& t, int a, int b, std::int64_t Y) {
    std::int64_t dy = t.y[b] - t.y[a];
    denominator_ = dy << kSubPixelBits;
    std::int64_t numerator = t.x[a] * dy + (Y - t.y[a]) * (t.x[b] - t.x[a]);
    column_ = CeilDiv(numerator, denominator_);
    remainder_ = column_ * denominator_ - numerator;  // in [0, denominator)
    std::int64_t step = (t.x[b] - t.x[a]) << kSubPixelBits;
    stepColumns_ = FloorDiv(step, denominator_);
    stepRemainder_ = step - stepColumns_ * denominator_;  // in [0, denominator)
  }
  std::int64_t column() const { return column_; }
  // Without a branch: whether the remainder wraps changes from row to row with no pattern.
  void NextRow() {
    remainder_ -= stepRemainder_;
    const std::int64_t wraps = remainder_ >> 63;  // -1 when it went below 0
    column_ += stepColumns_ - wraps;
    remainder_ += denominator_ & wraps;
  }

 private:
  static std::int64_t FloorDiv(std::int64_t n, std::int64_t d) { return -CeilDiv(-n, d); }
  std::int64_t denominator_, column_, remainder_, stepColumns_, stepRemainder_;
};

}  // namespace

void RasterizeRows(const TriangleSetup& t, const DrawSettings& settings, const RenderTarget& target,
                   int rowFirst, int rowEnd) {
  rowFirst = std::max(rowFirst, t.rowFirst);
  rowEnd = std::min(rowEnd, t.rowEnd);
  if (rowFirst >= rowEnd) return;
  std::optional<FlatQuadShader> quad;
  if (t.affine && t.flatColour && !settings.depthTest) quad.emplace(t, settings, target);
  auto fixedRow = [](int y) { return std::int64_t{y} << kSubPixelBits; };
  EdgeWalker onLong(t, 0, 2, fixedRow(rowFirst));
  bool upper = fixedRow(rowFirst) < t.y[1];
  EdgeWalker onShort = upper ? EdgeWalker(t, 0, 1, fixedRow(rowFirst)) : EdgeWalker(t, 1, 2, fixedRow(rowFirst));
  for (int y = rowFirst; y < rowEnd; ++y, onLong.NextRow(), onShort.NextRow()) {
    if (upper && fixedRow(y) >= t.y[1]) {
      upper = false;
      onShort = EdgeWalker(t, 1, 2, fixedRow(y));
    }
    std::int64_t left = t.longEdgeLeft ? onLong.column() : onShort.column();
    std::int64_t right = t.longEdgeLeft ? onShort.column() : onLong.column();
    left = std::max<std::int64_t>(left, 0);
    right = std::min<std::int64_t>(right, target.width);
    if (left >= right) continue;
    if (quad) {
      quad->Shade(y, static_cast<int>(left), static_cast<int>(right));
      continue;
    }
    SpanInput span;
    span.y = y;
    span.xFirst = static_cast<int>(left);
    span.xEnd = static_cast<int>(right);
    span.z = {t.z.RowStart(y), t.z.dx};
    span.q = {t.q.RowStart(y), t.q.dx};
    for (int a = 0; a < ScreenVertex::kAttributes; ++a)
      span.attributes[a] = {t.attributes[a].RowStart(y), t.attributes[a].dx};
    span.affine = t.affine;
    span.flatColour = t.flatColour;
    std::copy_n(t.diffuse, 3, span.diffuse);
    std::copy_n(t.specular, 3, span.specular);
    ShadeGeneralSpan(span, settings, target);
  }
}

int TriangleBatch::AddVertex(const ScreenVertex& v) {
  vertices_.push_back(v);
  insideGuardBand_.push_back(InsideGuardBand(v));
  return static_cast<int>(vertices_.size()) - 1;
}

void TriangleBatch::AddTriangle(int a, int b, int c) {
  const ScreenVertex* v[3] = {&vertices_[a], &vertices_[b], &vertices_[c]};
  if (insideGuardBand_[a] && insideGuardBand_[b] && insideGuardBand_[c]) {
    triangles_.push_back({{a, b, c}});
    return;
  }
  ScreenVertex polygon[kGuardClipMaxVertices];
  int count = ClipToGuardBand(v, polygon);
  if (count < 3) return;
  int first = AddVertex(polygon[0]);
  int previous = AddVertex(polygon[1]);
  for (int k = 2; k < count; ++k) {
    int next = AddVertex(polygon[k]);
    triangles_.push_back({{first, previous, next}});
    previous = next;
  }
}
