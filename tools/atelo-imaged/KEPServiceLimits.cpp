#include "KEPServiceLimits.h"

#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

#include "image/KEPImageProtocol.h"
#include "image/KEPImageTypes.h"

namespace KEPServiceLimits {
namespace {

std::uint64_t baseline = 0;

void SetSoft(int resource, std::uint64_t value) {
  rlimit limit;
  if (::getrlimit(resource, &limit) != 0) return;
  limit.rlim_cur =
      limit.rlim_max == RLIM_INFINITY ? value : std::min<rlim_t>(value, limit.rlim_max);
  ::setrlimit(resource, &limit);
}

}  // namespace

void NoCoreDumps() {
  rlimit none{0, 0};
  ::setrlimit(RLIMIT_CORE, &none);
}

std::uint64_t AddressSpace() {
  unsigned long long pages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%llu", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

void TakeBaseline() {
  baseline = AddressSpace();
  // The hard limit leaves room for the largest image and the headroom; the
  // soft one is set per request below it.
  rlimit limit;
  if (::getrlimit(RLIMIT_AS, &limit) == 0) {
    // The slack covers what the largest image costs beside its pixels (the
    // memory file's bookkeeping, a thread started late).
    const std::uint64_t most = baseline + KEPImageTypes::kMaxPixels * 4 +
                               KEPImageProtocol::kHeadroom + (std::uint64_t{256} << 20);
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > most) limit.rlim_max = most;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_AS, &limit);
  }
  AllowMemory(0);
}

std::uint64_t Baseline() {
  return baseline;
}

void AllowMemory(std::uint64_t imageBytes) {
  SetSoft(RLIMIT_AS, baseline + imageBytes + KEPImageProtocol::kHeadroom);
}

void AllowTime(double seconds) {
  itimerval timer{};
  timer.it_value.tv_sec = static_cast<time_t>(seconds);
  timer.it_value.tv_usec = std::max<suseconds_t>(
      1, static_cast<suseconds_t>((seconds - static_cast<double>(timer.it_value.tv_sec)) * 1e6));
  ::setitimer(ITIMER_REAL, &timer, nullptr);
  rusage used;
  ::getrusage(RUSAGE_SELF, &used);
  const double spent = used.ru_utime.tv_sec + used.ru_stime.tv_sec +
                       (used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  SetSoft(RLIMIT_CPU, static_cast<std::uint64_t>(std::ceil(spent + seconds * threads)) + 1);
}

void AllowFileSize(std::uint64_t bytes) {
  SetSoft(RLIMIT_FSIZE, bytes);
}

}  // namespace KEPServiceLimits
