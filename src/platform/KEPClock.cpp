#include "platform/KEPClock.h"

#include <chrono>

namespace {
std::function<double()>& Source() {
  static std::function<double()> source;
  return source;
}
}  // namespace

double KEPClock::Now() {
  if (Source()) return Source()();
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void KEPClock::SetSourceForTesting(std::function<double()> source) {
  Source() = std::move(source);
}
