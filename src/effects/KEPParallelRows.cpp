#include "effects/KEPParallelRows.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

namespace KEPParallelRows {

int ThreadCount() {
  static const int count = [] {
    if (const char* forced = std::getenv("ATELO_THREADS")) {
      int n = std::atoi(forced);
      if (n >= 1) return std::min(n, 64);
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  }();
  return count;
}

void Run(int begin, int end, int minRows, const std::function<void(int, int)>& work) {
  const int rows = end - begin;
  if (rows <= 0) return;
  const int bands = std::clamp(rows / std::max(1, minRows), 1, ThreadCount());
  if (bands == 1) {
    work(begin, end);
    return;
  }
  std::vector<std::thread> threads;
  threads.reserve(bands - 1);
  auto bandStart = [&](int band) {
    return begin + static_cast<int>(std::int64_t{rows} * band / bands);
  };
  for (int band = 1; band < bands; ++band)
    threads.emplace_back(work, bandStart(band), bandStart(band + 1));
  work(begin, bandStart(1));
  for (auto& thread : threads) thread.join();
}

}  // namespace KEPParallelRows
