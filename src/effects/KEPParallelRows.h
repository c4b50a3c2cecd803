#pragma once

#include <functional>

// Row-parallel loops for the effects' kernels. Each band of rows is given to
// one thread and every row is computed exactly as a single thread would, so
// results do not depend on the number of threads.
namespace KEPParallelRows {

// Threads a loop may use: the hardware's, or ATELO_THREADS when set (1 runs
// everything on the calling thread).
int ThreadCount();

// Runs work(first, last) over [begin, end) cut into contiguous bands of at
// least `minRows` rows, at most one per thread; the calling thread takes the
// first band itself and returns when every band is done.
void Run(int begin, int end, int minRows, const std::function<void(int, int)>& work);

}  // namespace KEPParallelRows
