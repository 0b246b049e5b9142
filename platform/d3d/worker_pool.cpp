#include "platform/d3d/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
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

class WorkerPool {
 public:
  explicit WorkerPool(int threads) : threadCount_(threads) {
    for (int i = 1; i < threads; ++i) workers_.emplace_back([this] { Serve(); });
  }

  ~WorkerPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
  }

  int threadCount() const { return threadCount_; }

  void Run(int taskCount, const std::function<void(int)>& task) {
    if (workers_.empty() || taskCount <= 1) {
      for (int i = 0; i < taskCount; ++i) task(i);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task_ = &task;
      taskCount_ = taskCount;
      next_.store(0);
      busy_.store(static_cast<int>(workers_.size()));
      generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
    Work();
    if (!SpinUntil([this] { return busy_.load(std::memory_order_acquire) == 0; })) {
      std::unique_lock<std::mutex> lock(mutex_);
      done_.wait(lock, [this] { return busy_.load(std::memory_order_acquire) == 0; });
    }
    task_ = nullptr;
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

  void Work() {
    for (int i = next_.fetch_add(1); i < taskCount_; i = next_.fetch_add(1)) (*task_)(i);
  }

  void Serve() {
    unsigned seen = 0;
    for (;;) {
      const auto started = [&] { return stopping_.load() || generation_.load(std::memory_order_acquire) != seen; };
      if (!SpinUntil(started)) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, started);
      }
      if (stopping_) return;
      seen = generation_.load(std::memory_order_acquire);
      Work();
      if (busy_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.notify_one();
      }
    }
  }

  int threadCount_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(int)>* task_ = nullptr;
  int taskCount_ = 0;
  std::atomic<int> next_{0};
  std::atomic<int> busy_{0};
  std::atomic<unsigned> generation_{0};
  std::atomic<bool> stopping_{false};
};

std::unique_ptr<WorkerPool>& Pool() {
  static std::unique_ptr<WorkerPool> pool = std::make_unique<WorkerPool>(DefaultThreadCount());
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
