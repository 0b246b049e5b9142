#include "platform/d3d/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

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
