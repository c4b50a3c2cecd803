#include "image/KEPImageMemory.h"

#include <unistd.h>

#include <cstdlib>

namespace {

std::uint64_t DefaultBudget() {
  if (const char* megabytes = std::getenv("ATELO_MEMORY_MB"); megabytes && *megabytes) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(megabytes, &end, 10);
    if (end != megabytes && value > 0) return static_cast<std::uint64_t>(value) << 20;
  }
  long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages > 0 && pageSize > 0)
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2;
  return std::uint64_t{4} << 30;
}

struct State {
  std::uint64_t budget = DefaultBudget();
  std::uint64_t inUse = 0;
  KEPImageMemory::Reclaimer reclaimer;
  bool reclaiming = false;
};

State& Memory() {
  static State state;
  return state;
}

}  // namespace

namespace KEPImageMemory {

std::uint64_t GetBudget() {
  return Memory().budget;
}

void SetBudget(std::uint64_t bytes) {
  Memory().budget = bytes;
}

std::uint64_t GetInUse() {
  return Memory().inUse;
}

void SetReclaimer(Reclaimer reclaimer) {
  Memory().reclaimer = std::move(reclaimer);
}

bool Reserve(std::uint64_t bytes) {
  State& state = Memory();
  if (state.inUse + bytes <= state.budget) return true;
  // A reclaimer that loads pixels itself must not recurse into reclaiming.
  if (!state.reclaimer || state.reclaiming) return false;
  state.reclaiming = true;
  state.reclaimer(state.inUse + bytes - state.budget);
  state.reclaiming = false;
  return state.inUse + bytes <= state.budget;
}

void Adjust(std::int64_t delta) {
  State& state = Memory();
  if (delta < 0 && static_cast<std::uint64_t>(-delta) > state.inUse)
    state.inUse = 0;
  else
    state.inUse = static_cast<std::uint64_t>(static_cast<std::int64_t>(state.inUse) + delta);
}

}  // namespace KEPImageMemory
