#include "platform/d3d/draw_queue.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/d3d/live_blocks.h"
#include "platform/d3d/triangle_setup.h"
#include "platform/d3d/worker_pool.h"

namespace {

constexpr int kRowsPerTask = 8;  // a band

struct QueuedDraw {
  DrawSettings settings;
  std::size_t liveOffset;  // of the copy of settings.liveBlocks, when set
};

struct QueuedTriangle {
  int v[3];  // in the queue's vertices
  int draw;
};

struct DrawQueue {
  std::vector<ScreenVertex> vertices;  // each draw's, once: its triangles share them
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
// Draws past this many triangles or vertices rasterize the queue, so that its memory stays bounded.
constexpr std::size_t kMaxQueued = 1 << 16;

// Two queues: one taking draws while the workers may still be rasterizing the other.
struct DrawQueues {
  DrawQueue queues[2];
  DrawQueue* building = &queues[0];
  DrawQueue* rasterizing = nullptr;  // started on the workers, not yet finished
};

DrawQueues& Queues() {
  // One demo thread. Never destroyed, so that a surface released while the program ends still
  // finds them.
  static DrawQueues& queues = *new DrawQueues;
  return queues;
}

DrawQueue& Queue() { return *Queues().building; }

bool SameTarget(const RenderTarget& a, const RenderTarget& b) {
  return a.colour == b.colour && a.depth == b.depth && a.trueColour == b.trueColour && a.width == b.width &&
         a.height == b.height;
}

// Sets the queued draws rasterizing on the workers, after those started before.
void StartRasterizing();
// Waits for the draws started rasterizing.
void FinishRasterizing();

}  // namespace

void QueueDraw(const TriangleBatch& batch, const DrawSettings& settings, const RenderTarget& target) {
  if (batch.empty()) return;
  if (!Queue().draws.empty() && !SameTarget(Queue().target, target)) FlushDraws();
  DrawQueue& queue = Queue();  // after the flush: it swaps the queues
  queue.target = target;
  const int draw = static_cast<int>(queue.draws.size());
  const int base = static_cast<int>(queue.vertices.size());
  queue.vertices.insert(queue.vertices.end(), batch.vertices().begin(), batch.vertices().end());
  for (const TriangleBatch::Triangle& t : batch.triangles()) {
    queue.triangles.push_back({{base + t.v[0], base + t.v[1], base + t.v[2]}, draw});
  }
  QueuedDraw queued{settings, 0};
  if (settings.liveBlocks) {
    const std::size_t blocks = static_cast<std::size_t>(settings.texture->width() >> kLiveBlockShift) *
                               (settings.texture->height() >> kLiveBlockShift);
    // Layers of one texture under one colour share one copy (and so what the loops learn of it).
    const std::size_t last = queue.liveBlocks.size() - std::min(queue.liveBlocks.size(), blocks);
    if (queue.liveBlocks.size() - last != blocks ||
        !std::equal(settings.liveBlocks, settings.liveBlocks + blocks, queue.liveBlocks.begin() + last)) {
      queue.liveBlocks.insert(queue.liveBlocks.end(), settings.liveBlocks, settings.liveBlocks + blocks);
    }
    queued.liveOffset = queue.liveBlocks.size() - blocks;
  }
  queue.draws.push_back(queued);
  if (queue.triangles.size() > kMaxQueued || queue.vertices.size() > kMaxQueued) {
    FlushDraws();
  } else if (WorkerThreadCount() > 1 && !WorkersBusy()) {
    // The workers are free: they rasterize what is queued while this thread goes on making draws.
    StartRasterizing();
  }
}

void FlushDraws() {
  StartRasterizing();
  FinishRasterizing();
}

namespace {

void FinishRasterizing() {
  FinishOnWorkers();
  DrawQueue*& rasterizing = Queues().rasterizing;
  if (!rasterizing) return;
  rasterizing->vertices.clear();
  rasterizing->triangles.clear();
  rasterizing->draws.clear();
  rasterizing->liveBlocks.clear();
  rasterizing = nullptr;
}

void StartRasterizing() {
  FinishRasterizing();
  DrawQueue& queue = Queue();
  if (queue.draws.empty()) return;
  for (QueuedDraw& draw : queue.draws) {
    if (draw.settings.liveBlocks) draw.settings.liveBlocks = queue.liveBlocks.data() + draw.liveOffset;
  }
  // Set-up on the workers too, a stretch of triangles to a task.
  const int count = static_cast<int>(queue.triangles.size());
  // Grown only: a frame's big flush after small ones would otherwise clear megabytes of set-ups.
  if (queue.setups.size() < static_cast<std::size_t>(count)) queue.setups.resize(count);
  queue.drawn.resize(count);
  RunOnWorkers((count + kTrianglesPerSetupTask - 1) / kTrianglesPerSetupTask, [&queue, count](int task) {
    const int end = std::min(count, (task + 1) * kTrianglesPerSetupTask);
    for (int k = task * kTrianglesPerSetupTask; k < end; ++k) {
      const QueuedTriangle& triangle = queue.triangles[k];
      const ScreenVertex* v[3] = {&queue.vertices[triangle.v[0]], &queue.vertices[triangle.v[1]],
                                  &queue.vertices[triangle.v[2]]};
      queue.drawn[k] = SetupTriangle(v, queue.draws[triangle.draw].settings, queue.target, queue.setups[k]);
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
  DrawQueues& queues = Queues();
  queues.rasterizing = &queue;
  queues.building = &queue == &queues.queues[0] ? &queues.queues[1] : &queues.queues[0];
  StartOnWorkers(taskCount, [&queue, firstTask](int task) {
    const int bandFirst = (firstTask + task) * kRowsPerTask, bandEnd = bandFirst + kRowsPerTask;
    for (int i = queue.bandStarts[task]; i < queue.bandStarts[task + 1]; ++i) {
      const int k = queue.bandTriangles[i];
      RasterizeRows(queue.setups[k], queue.draws[queue.triangles[k].draw].settings, queue.target, bandFirst,
                    bandEnd);
    }
  });
}

}  // namespace
