// Runs fn(row) for every row 0..rows-1 on a few threads. Each row is computed on its own, so
// the result is the same whatever the number of threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace art {

template <typename Fn>
void ForEachRow(int rows, Fn fn) {
  unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  std::atomic<int> next{0};
  auto work = [&] {
    for (int r = next++; r < rows; r = next++) fn(r);
  };
  std::vector<std::thread> pool;
  for (unsigned i = 1; i < threads; ++i) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
}

}  // namespace art
