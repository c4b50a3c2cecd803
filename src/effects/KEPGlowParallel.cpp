#include "effects/KEPGlowParallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace {

std::atomic<int> forcedThreads{0};

}  // namespace

namespace KEPGlowParallel {

int ThreadCount() {
  if (int forced = forcedThreads.load(); forced > 0) return forced;
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(cores), 1, 8);
}

void SetThreadCount(int count) {
  forcedThreads.store(std::max(count, 0));
}

void For(int count, const std::function<void(int begin, int end)>& body) {
  if (count <= 0) return;
  const int threads = std::min(ThreadCount(), count);
  if (threads == 1) {
    body(0, count);
    return;
  }
  auto rangeStart = [&](int i) {
    return static_cast<int>(static_cast<long long>(count) * i / threads);
  };
  // A worker's exception (an allocation that failed) reaches the caller.
  std::vector<std::exception_ptr> failures(threads);
  std::vector<std::thread> workers;
  workers.reserve(threads - 1);
  for (int i = 1; i < threads; ++i)
    workers.emplace_back([&, i] {
      try {
        body(rangeStart(i), rangeStart(i + 1));
      } catch (...) {
        failures[i] = std::current_exception();
      }
    });
  try {
    body(0, rangeStart(1));
  } catch (...) {
    failures[0] = std::current_exception();
  }
  for (std::thread& worker : workers) worker.join();
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace KEPGlowParallel
