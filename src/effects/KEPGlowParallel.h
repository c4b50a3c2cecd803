#pragma once

#include <functional>

// Splits a loop over [0, count) into contiguous ranges run on worker
// threads, the first range on the calling thread. Callers give each range
// work whose result does not depend on how the loop was split (each output
// written by exactly one range, in the same order as a single thread would),
// so results are identical whatever the thread count.
namespace KEPGlowParallel {

// Threads used by For: the machine's cores (at most 8) unless set.
int ThreadCount();
// 0 returns to the machine's cores; tests set 1 to compare with a single
// thread.
void SetThreadCount(int count);

// body(begin, end) once per range; returns when every range is done.
void For(int count, const std::function<void(int begin, int end)>& body);

}  // namespace KEPGlowParallel
