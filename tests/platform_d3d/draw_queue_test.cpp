// The worker pool's started runs, and the draw queue that rasterizes on them while draws go on.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/d3d/draw_queue.h"
#include "platform/d3d/worker_pool.h"
#include "tests/platform_d3d/device_fixture.h"

// A started run goes on after the call returns, with its task kept by the pool; the next run, or
// FinishOnWorkers, waits for it, so no task runs twice or is lost, on any thread count.
TEST(WorkerPool, StartedRunsFinishBeforeTheNextAndRunEveryTaskOnce) {
  for (int threads : {1, 2, 3}) {
    SetWorkerThreadCount(threads);
    std::vector<std::atomic<int>> first(500), second(300);
    {
      std::vector<int> captured(500, 1);  // copied into the task: gone before the tasks run
      StartOnWorkers(500, [captured, &first](int task) { first[task] += captured[task]; });
    }
    RunOnWorkers(300, [&first, &second](int task) {
      // The started run is over before any task of this one.
      second[task] += first[task % 500].load();
    });
    for (int k = 0; k < 500; ++k) EXPECT_EQ(first[k], 1) << "threads " << threads << ", task " << k;
    for (int k = 0; k < 300; ++k) EXPECT_EQ(second[k], 1) << "threads " << threads << ", task " << k;
    StartOnWorkers(64, [&first](int task) { first[task] += 1; });
    FinishOnWorkers();
    EXPECT_FALSE(WorkersBusy());
    for (int k = 0; k < 64; ++k) EXPECT_EQ(first[k], 2) << "threads " << threads;
  }
  SetWorkerThreadCount(2);
}

namespace {

// Two triangles covering a width x height target in one flat colour (0..255 grey).
TriangleBatch Cover(int width, int height, float grey) {
  TriangleBatch batch;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  for (auto [x, y] : {std::pair{0.0f, 0.0f}, {w, 0.0f}, {0.0f, h}, {w, h}}) {
    batch.AddVertex({x, y, 0.5f, 1.0f, {0, 0, grey, grey, grey, 0, 0, 0}});
  }
  batch.AddTriangle(0, 1, 2);
  batch.AddTriangle(2, 1, 3);
  return batch;
}

}  // namespace

// Draws into two targets in turn: each target's draws land in order, none is left behind.
TEST(DrawQueue, DrawsIntoTwoTargetsKeepTheirOrder) {
  for (int threads : {1, 2}) {
    SetWorkerThreadCount(threads);
    constexpr int kWidth = 40, kHeight = 24;
    std::vector<std::uint16_t> colourA(kWidth * kHeight), colourB(kWidth * kHeight), depth(kWidth * kHeight);
    const RenderTarget a{colourA.data(), depth.data(), kWidth, kHeight};
    const RenderTarget b{colourB.data(), depth.data(), kWidth, kHeight};
    QueueDraw(Cover(kWidth, kHeight, 8), DrawSettings{}, a);
    QueueDraw(Cover(kWidth, kHeight, 16), DrawSettings{}, b);
    QueueDraw(Cover(kWidth, kHeight, 24), DrawSettings{}, b);
    QueueDraw(Cover(kWidth, kHeight, 32), DrawSettings{}, a);
    FlushDraws();
    const auto grey = [](int level) {
      return static_cast<std::uint16_t>((level >> 3) << 11 | (level >> 2) << 5 | level >> 3);
    };
    EXPECT_EQ(std::count(colourA.begin(), colourA.end(), grey(32)), kWidth * kHeight) << "threads " << threads;
    EXPECT_EQ(std::count(colourB.begin(), colourB.end(), grey(24)), kWidth * kHeight) << "threads " << threads;
  }
  SetWorkerThreadCount(2);
}

using DrawQueueDeathTest = DeviceTest;

// A program that ends while the workers rasterize (a demo quit or failing mid-frame) finishes
// those draws before the frame they write is freed, and ends with its own status.
TEST_F(DrawQueueDeathTest, ProgramEndingWhileDrawsRasterizeExitsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SetWorkerThreadCount(2);
        Additive(true);
        for (int layer = 0; layer < 16; ++layer) DrawRect(0, 0, 640, 480, 0x101010);
        std::exit(3);
      },
      ::testing::ExitedWithCode(3), "");
}
