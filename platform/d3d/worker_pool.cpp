#include "platform/d3d/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Tells the core that this thread waits on the spot.
inline void SpinPause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  __asm__ __volatile__("yield");
#endif
}

int DefaultThreadCount() {
  if (const char* value = std::getenv("KORVO_THREADS")) {
    int n = std::atoi(value);
    if (n > 0) return std::min(n, 64);
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

// A run's tasks are claimed from one word holding the run's number, its task count and the next
// task, so a worker that wakes late finds the run over and takes nothing, and the caller waits
// only for tasks that were claimed, never for a worker that has not been scheduled yet (as on a
// busy machine).
class WorkerPool {
 public:
  explicit WorkerPool(int threads) : threadCount_(threads) {
    for (int i = 1; i < threads; ++i) workers_.emplace_back([this] { Serve(); });
  }

  ~WorkerPool() {
    Finish();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
  }

  int threadCount() const { return threadCount_; }

  void Run(int taskCount, const std::function<void(int)>& task) {
    Finish();
    if (workers_.empty() || taskCount <= 1 || taskCount > 0xFFFF) {
      for (int i = 0; i < taskCount; ++i) task(i);
      return;
    }
    Wait(Publish(taskCount, &task), taskCount);
  }

  // A run that the workers start on while the caller goes on; its task is kept until Finish.
  void Start(int taskCount, std::function<void(int)> task) {
    Finish();
    if (workers_.empty() || taskCount <= 1 || taskCount > 0xFFFF) {
      for (int i = 0; i < taskCount; ++i) task(i);
      return;
    }
    started_ = std::move(task);
    startedCount_ = taskCount;
    startedRun_ = Publish(taskCount, &started_);
  }

  bool Busy() const { return startedCount_ && done_.load(std::memory_order_acquire) != startedCount_; }

  // Takes the started run's unclaimed tasks and returns when all of them are done.
  void Finish() {
    if (!startedCount_) return;
    Wait(startedRun_, startedCount_);
    startedCount_ = 0;
    started_ = nullptr;
  }

 private:
  // A frame makes dozens of draws a few microseconds apart, and waking a sleeping thread takes
  // tens of microseconds: threads wait this long on the spot before they sleep.
  static constexpr auto kSpinTime = std::chrono::microseconds(200);

  template <typename Condition>
  static bool SpinUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kSpinTime;
    for (;;) {
      for (int k = 0; k < 64; ++k) {
        if (condition()) return true;
        SpinPause();
      }
      if (std::chrono::steady_clock::now() > deadline) return false;
    }
  }

  // Hands a run to the workers; returns its number.
  std::uint64_t Publish(int taskCount, const std::function<void(int)>* task) {
    const std::uint64_t run = (claims_.load(std::memory_order_relaxed) >> 32) + 1;
    task_.store(task, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      claims_.store(run << 32 | static_cast<std::uint64_t>(taskCount) << 16, std::memory_order_release);
    }
    wake_.notify_all();
    return run;
  }

  // Takes part in run `run` until its taskCount tasks are done.
  void Wait(std::uint64_t run, int taskCount) {
    Work(run);
    if (!SpinUntil([&] { return done_.load(std::memory_order_acquire) == taskCount; })) {
      std::unique_lock<std::mutex> lock(mutex_);
      finished_.wait(lock, [&] { return done_.load(std::memory_order_acquire) == taskCount; });
    }
  }

  // Runs the tasks of run number `run` that are still unclaimed.
  void Work(std::uint64_t run) {
    std::uint64_t claim = claims_.load(std::memory_order_acquire);
    for (;;) {
      const int count = static_cast<int>(claim >> 16 & 0xFFFF), next = static_cast<int>(claim & 0xFFFF);
      if (claim >> 32 != run || next >= count) return;
      if (!claims_.compare_exchange_weak(claim, claim + 1, std::memory_order_acq_rel)) continue;
      // The run cannot end before this task is done, so the task read here is the run's.
      (*task_.load(std::memory_order_relaxed))(next);
      if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == count) {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_.notify_one();
      }
      claim = claims_.load(std::memory_order_acquire);
    }
  }

  void Serve() {
    std::uint64_t seen = 0;
    for (;;) {
      const auto started = [&] { return stopping_.load() || claims_.load(std::memory_order_acquire) >> 32 != seen; };
      if (!SpinUntil(started)) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, started);
      }
      if (stopping_) return;
      seen = claims_.load(std::memory_order_acquire) >> 32;
      Work(seen);
    }
  }

  int threadCount_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_, finished_;
  std::atomic<const std::function<void(int)>*> task_{nullptr};
  std::atomic<std::uint64_t> claims_{0};  // run number << 32 | task count << 16 | next task
  std::atomic<int> done_{0};
  std::atomic<bool> stopping_{false};
  // The run Start began and Finish has not waited for: only the calling thread touches these.
  std::function<void(int)> started_;
  int startedCount_ = 0;
  std::uint64_t startedRun_ = 0;
};

std::unique_ptr<WorkerPool>& Pool() {
  // Never destroyed: draws still rasterizing when the program ends are finished by the frame's
  // owner, whose end may come after this would have been destroyed.
  static std::unique_ptr<WorkerPool>& pool =
      *new std::unique_ptr<WorkerPool>(std::make_unique<WorkerPool>(DefaultThreadCount()));
  return pool;
}

}  // namespace

int WorkerThreadCount() { return Pool()->threadCount(); }

void SetWorkerThreadCount(int threads) {
  threads = std::clamp(threads, 1, 64);
  if (threads == Pool()->threadCount()) return;
  Pool().reset();
  Pool() = std::make_unique<WorkerPool>(threads);
}

void RunOnWorkers(int taskCount, const std::function<void(int)>& task) { Pool()->Run(taskCount, task); }

void StartOnWorkers(int taskCount, std::function<void(int)> task) { Pool()->Start(taskCount, std::move(task)); }

bool WorkersBusy() { return Pool()->Busy(); }

void FinishOnWorkers() { Pool()->Finish(); }
