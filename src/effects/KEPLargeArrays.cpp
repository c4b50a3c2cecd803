#include "effects/KEPLargeArrays.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

}  // namespace

namespace KEPLargeArrays {

void AdviseLargePages(void* data, std::size_t bytes) {
  if (!data || bytes < 2 * kLargePage) return;
  // Whole pages inside the array only: the allocator's bookkeeping next to
  // it is left alone.
  constexpr std::uintptr_t kPage = 4096;
  const auto begin = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (begin + kPage - 1) / kPage * kPage;
  const std::uintptr_t last = (begin + bytes) / kPage * kPage;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace KEPLargeArrays
