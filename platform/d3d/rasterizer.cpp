#include "platform/d3d/rasterizer.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d/guard_band_clip.h"
#include "platform/d3d/live_blocks.h"
#include "platform/d3d/pixel_pipeline.h"
#include "platform/d3d/worker_pool.h"

namespace {

constexpr int kSubPixelBits = 8;
constexpr double kSubPixel = 1 << kSubPixelBits;
constexpr int kRowsPerTask = 8;
// Set-up takes corners within this many pixels of the origin (clipping keeps them within the
// guard band): 2^29 in fixed point, so edge products stay below 2^61 and nothing overflows.
constexpr double kSetupReach = 1 << 21;

// A plane a(x, y) = base + dx * x + dy * y over pixel coordinates.
struct Plane {
  double base, dx, dy;
  double RowStart(int y) const { return base + dy * y; }
};

struct TriangleSetup {
  std::int64_t x[3], y[3];  // fixed point, sorted by y
  bool longEdgeLeft;        // the edge from vertex 0 to vertex 2 bounds the left side
  int rowFirst, rowEnd;
  Plane z, q, attributes[ScreenVertex::kAttributes];
  bool affine;      // q is the same everywhere: attributes need no per-pixel divide
  bool flatColour;  // diffuse and specular the same at all three corners
  std::uint8_t diffuse[3], specular[3];
};

std::int64_t CeilDiv(std::int64_t n, std::int64_t d) {  // d > 0
  return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

Plane MakePlane(const double* px, const double* py, const double* a, double area) {
  double a1 = a[1] - a[0], a2 = a[2] - a[0];
  double x1 = px[1] - px[0], x2 = px[2] - px[0], y1 = py[1] - py[0], y2 = py[2] - py[0];
  Plane p;
  p.dx = (a1 * y2 - a2 * y1) / area;
  p.dy = (a2 * x1 - a1 * x2) / area;
  p.base = a[0] - p.dx * px[0] - p.dy * py[0];
  return p;
}

std::uint8_t ColourByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
}

// False when the triangle is culled, degenerate or off screen.
bool Setup(const ScreenVertex* v[3], const DrawSettings& settings, const RenderTarget& target,
           TriangleSetup& t) {
  std::int64_t fx[3], fy[3];
  for (int k = 0; k < 3; ++k) {
    if (!(std::fabs(v[k]->x) <= kSetupReach && std::fabs(v[k]->y) <= kSetupReach)) return false;
    fx[k] = std::llround(static_cast<double>(v[k]->x) * kSubPixel);
    fy[k] = std::llround(static_cast<double>(v[k]->y) * kSubPixel);
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

  double px[3], py[3], values[3];
  for (int k = 0; k < 3; ++k) {
    px[k] = static_cast<double>(fx[k]) / kSubPixel;
    py[k] = static_cast<double>(fy[k]) / kSubPixel;
  }
  double darea = static_cast<double>(area) / (kSubPixel * kSubPixel);
  auto plane = [&](auto field) {
    for (int k = 0; k < 3; ++k) values[k] = field(*v[k]);
    return MakePlane(px, py, values, darea);
  };
  t.z = plane([](const ScreenVertex& s) { return static_cast<double>(s.z); });
  t.q = plane([](const ScreenVertex& s) { return static_cast<double>(s.q); });
  t.affine = v[0]->q == v[1]->q && v[1]->q == v[2]->q;
  // Without perspective the attributes are divided once here instead of at every pixel.
  double divide = t.affine ? 1.0 / static_cast<double>(v[0]->q) : 1.0;
  for (int a = 0; a < ScreenVertex::kAttributes; ++a) {
    t.attributes[a] = plane([&](const ScreenVertex& s) { return s.attributes[a] * divide; });
  }
  t.flatColour = true;
  for (int a = 2; a < ScreenVertex::kAttributes; ++a) {
    t.flatColour &= v[0]->attributes[a] == v[1]->attributes[a] && v[1]->attributes[a] == v[2]->attributes[a];
  }
  t.flatColour &= v[0]->q == v[1]->q && v[1]->q == v[2]->q;
  for (int c = 0; c < 3; ++c) {
    double q = static_cast<double>(v[0]->q);
    t.diffuse[c] = ColourByte(v[0]->attributes[2 + c] / q);
    t.specular[c] = ColourByte(v[0]->attributes[5 + c] / q);
  }
  return true;
}

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
  void NextRow() {
    column_ += stepColumns_;
    remainder_ -= stepRemainder_;
    if (remainder_ < 0) {
      ++column_;
      remainder_ += denominator_;
    }
  }

 private:
  static std::int64_t FloorDiv(std::int64_t n, std::int64_t d) { return -CeilDiv(-n, d); }
  std::int64_t denominator_, column_, remainder_, stepColumns_, stepRemainder_;
};

void RasterizeRows(const TriangleSetup& t, const DrawSettings& settings, const RenderTarget& target,
                   int rowFirst, int rowEnd) {
  rowFirst = std::max(rowFirst, t.rowFirst);
  rowEnd = std::min(rowEnd, t.rowEnd);
  if (rowFirst >= rowEnd) return;
  SpanShader shader(settings, target);
  const bool flatQuad = t.affine && t.flatColour && !settings.depthTest;
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
    SpanInput span;
    span.y = y;
    span.xFirst = static_cast<int>(left);
    span.xEnd = static_cast<int>(right);
    // Screen quads (flat, affine, no depth) use only the texture coordinates.
    if (!flatQuad) {
      span.z = {t.z.RowStart(y), t.z.dx};
      span.q = {t.q.RowStart(y), t.q.dx};
    }
    for (int a = 0; a < (flatQuad ? 2 : ScreenVertex::kAttributes); ++a)
      span.attributes[a] = {t.attributes[a].RowStart(y), t.attributes[a].dx};
    span.affine = t.affine;
    span.flatColour = t.flatColour;
    std::copy_n(t.diffuse, 3, span.diffuse);
    std::copy_n(t.specular, 3, span.specular);
    shader.Shade(span);
  }
}

}  // namespace

void TriangleBatch::AddTriangle(int a, int b, int c) {
  const ScreenVertex* v[3] = {&vertices_[a], &vertices_[b], &vertices_[c]};
  if (InsideGuardBand(v)) {
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

namespace {

struct QueuedDraw {
  DrawSettings settings;
  std::size_t liveOffset;  // of the copy of settings.liveBlocks, when set
};

struct QueuedTriangle {
  ScreenVertex v[3];
  int draw;
};

struct DrawQueue {
  std::vector<QueuedTriangle> triangles;
  std::vector<QueuedDraw> draws;
  std::vector<std::uint8_t> liveBlocks;
  RenderTarget target{};
  // At a flush: each triangle's setup and whether it is drawn; then per band, the triangles
  // that cover it in drawing order, bandStarts[b] up to bandStarts[b + 1] in bandTriangles.
  std::vector<TriangleSetup> setups;
  std::vector<std::uint8_t> drawn;
  std::vector<int> bandStarts, bandTriangles, bandFill;
};

constexpr int kTrianglesPerSetupTask = 256;
// Draws past this many triangles rasterize the queue, so that its memory stays bounded.
constexpr std::size_t kMaxQueuedTriangles = 1 << 16;

DrawQueue& Queue() {
  // One demo thread. Never destroyed, so that a surface released while the program ends still
  // finds it.
  static DrawQueue& queue = *new DrawQueue;
  return queue;
}

bool SameTarget(const RenderTarget& a, const RenderTarget& b) {
  return a.colour == b.colour && a.depth == b.depth && a.trueColour == b.trueColour && a.width == b.width &&
         a.height == b.height;
}

}  // namespace

void QueueDraw(const TriangleBatch& batch, const DrawSettings& settings, const RenderTarget& target) {
  if (batch.empty()) return;
  DrawQueue& queue = Queue();
  if (!queue.draws.empty() && !SameTarget(queue.target, target)) FlushDraws();
  queue.target = target;
  const int draw = static_cast<int>(queue.draws.size());
  const auto& vertices = batch.vertices();
  for (const TriangleBatch::Triangle& t : batch.triangles()) {
    queue.triangles.push_back({{vertices[t.v[0]], vertices[t.v[1]], vertices[t.v[2]]}, draw});
  }
  QueuedDraw queued{settings, 0};
  if (settings.liveBlocks) {
    const std::size_t blocks = static_cast<std::size_t>(settings.texture->width() >> kLiveBlockShift) *
                               (settings.texture->height() >> kLiveBlockShift);
    queued.liveOffset = queue.liveBlocks.size();
    queue.liveBlocks.insert(queue.liveBlocks.end(), settings.liveBlocks, settings.liveBlocks + blocks);
  }
  queue.draws.push_back(queued);
  if (queue.triangles.size() > kMaxQueuedTriangles) FlushDraws();
}

void FlushDraws() {
  DrawQueue& queue = Queue();
  if (queue.draws.empty()) return;
  for (QueuedDraw& draw : queue.draws) {
    if (draw.settings.liveBlocks) draw.settings.liveBlocks = queue.liveBlocks.data() + draw.liveOffset;
  }
  // Set-up on the workers too, a stretch of triangles to a task.
  const int count = static_cast<int>(queue.triangles.size());
  queue.setups.resize(count);
  queue.drawn.resize(count);
  RunOnWorkers((count + kTrianglesPerSetupTask - 1) / kTrianglesPerSetupTask, [&queue, count](int task) {
    const int end = std::min(count, (task + 1) * kTrianglesPerSetupTask);
    for (int k = task * kTrianglesPerSetupTask; k < end; ++k) {
      const QueuedTriangle& triangle = queue.triangles[k];
      const ScreenVertex* v[3] = {&triangle.v[0], &triangle.v[1], &triangle.v[2]};
      queue.drawn[k] = Setup(v, queue.draws[triangle.draw].settings, queue.target, queue.setups[k]);
    }
  });
  int rowFirst = queue.target.height, rowEnd = 0;
  for (int k = 0; k < count; ++k) {
    if (!queue.drawn[k]) continue;
    rowFirst = std::min(rowFirst, queue.setups[k].rowFirst);
    rowEnd = std::max(rowEnd, queue.setups[k].rowEnd);
  }
  const int firstTask = rowFirst / kRowsPerTask;
  const int taskCount = std::max(0, (rowEnd + kRowsPerTask - 1) / kRowsPerTask - firstTask);
  // Each drawn triangle binned into the bands it covers, counted first and then placed.
  auto bandsOf = [firstTask](const TriangleSetup& t) {
    return std::pair{t.rowFirst / kRowsPerTask - firstTask, (t.rowEnd + kRowsPerTask - 1) / kRowsPerTask - firstTask};
  };
  queue.bandStarts.assign(taskCount + 1, 0);
  for (int k = 0; k < count; ++k) {
    if (!queue.drawn[k]) continue;
    const auto [first, end] = bandsOf(queue.setups[k]);
    for (int b = first; b < end; ++b) ++queue.bandStarts[b + 1];
  }
  for (int b = 0; b < taskCount; ++b) queue.bandStarts[b + 1] += queue.bandStarts[b];
  queue.bandTriangles.resize(queue.bandStarts[taskCount]);
  queue.bandFill.assign(queue.bandStarts.begin(), queue.bandStarts.end() - 1);
  for (int k = 0; k < count; ++k) {
    if (!queue.drawn[k]) continue;
    const auto [first, end] = bandsOf(queue.setups[k]);
    for (int b = first; b < end; ++b) queue.bandTriangles[queue.bandFill[b]++] = k;
  }
  RunOnWorkers(taskCount, [&queue, firstTask](int task) {
    const int bandFirst = (firstTask + task) * kRowsPerTask, bandEnd = bandFirst + kRowsPerTask;
    for (int i = queue.bandStarts[task]; i < queue.bandStarts[task + 1]; ++i) {
      const int k = queue.bandTriangles[i];
      RasterizeRows(queue.setups[k], queue.draws[queue.triangles[k].draw].settings, queue.target, bandFirst,
                    bandEnd);
    }
  });
  queue.triangles.clear();
  queue.draws.clear();
  queue.liveBlocks.clear();
}
