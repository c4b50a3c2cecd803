#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

// Shared pieces of the raster functions.
namespace kep_raster {

// Integer coordinates are kept within +/- 2^29 so that differences and sums
// of two of them never overflow an int; no image comes near that size.
inline constexpr int kCoordLimit = 1 << 29;

inline bool ValidBuffer(std::span<const unsigned char> buffer, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  return buffer.size() / 4 / static_cast<std::size_t>(width) >= static_cast<std::size_t>(height);
}

inline bool Inside(std::int64_t x, std::int64_t y, int width, int height) {
  return x >= 0 && y >= 0 && x < width && y < height;
}

// trunc(v) as an int; NaN gives 0 and values beyond kCoordLimit are held
// there, where float to int conversion would be undefined.
inline int TruncToInt(float v) {
  if (!(v == v)) return 0;
  v = std::trunc(v);
  if (v > static_cast<float>(kCoordLimit)) return kCoordLimit;
  if (v < -static_cast<float>(kCoordLimit)) return -kCoordLimit;
  return static_cast<int>(v);
}

// The pixel of a view coordinate: floor(p - offset), in float.
inline int PixelOf(float p, float offset) {
  return TruncToInt(std::floor(p - offset));
}

// Walks the integer line from (x1, y1) to (x2, y2) with the motif stepping
// rule (the major axis moves every step, the minor one when the error reaches
// the major delta) and calls visit(x, y) for every step whose major
// coordinate lies in [lo, hi] of its axis. Steps before that window are
// jumped over in one go: after i steps the error has grown by i times the
// minor delta, so the position there is known without walking to it, and a
// stroke far outside the image costs nothing.
template <class Visit>
void WalkSegment(int x1, int y1, int x2, int y2, std::int64_t loX, std::int64_t hiX,
                 std::int64_t loY, std::int64_t hiY, Visit&& visit) {
  const int sx = x1 < x2 ? 1 : -1;
  const int sy = y1 < y2 ? 1 : -1;
  const std::int64_t dx = std::llabs(std::int64_t{x2} - x1);
  const std::int64_t dy = std::llabs(std::int64_t{y2} - y1);
  const bool steep = dx <= dy;
  const std::int64_t major = steep ? dy : dx, minor = steep ? dx : dy;
  const std::int64_t majorStart = steep ? y1 : x1;
  const int majorStep = steep ? sy : sx, minorStep = steep ? sx : sy;
  const std::int64_t lo = steep ? loY : loX, hi = steep ? hiY : hiX;
  std::int64_t first, last;
  if (majorStep > 0) {
    first = lo - majorStart;
    last = hi - majorStart;
  } else {
    first = majorStart - hi;
    last = majorStart - lo;
  }
  if (first < 0) first = 0;
  if (last > major) last = major;
  if (first > last) return;
  const std::int64_t e0 = major / 2;
  std::int64_t e = e0, minorPos = steep ? x1 : y1;
  if (first > 0) {
    const std::int64_t total = e0 + first * minor;
    minorPos += minorStep * (total / major);
    e = total % major;
  }
  std::int64_t majorPos = majorStart + majorStep * first;
  for (std::int64_t i = first; i <= last; ++i) {
    if (steep) {
      visit(minorPos, majorPos);
    } else {
      visit(majorPos, minorPos);
    }
    e += minor;
    majorPos += majorStep;
    if (e >= major) {
      e -= major;
      minorPos += minorStep;
    }
  }
}

}  // namespace kep_raster
