#include "effects/KEPSmoothing.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "effects/KEPParallelRows.h"

namespace {

// Rows of one band of a whole step, and the least a thread is given.
constexpr int kBandRows = 64;
constexpr int kMinRowsPerThread = 8;

// Where exp(-x) makes every flux round to a zero in single precision: even
// the largest float difference times exp(-200) lies far below half the
// smallest float.
constexpr double kNegligibleExponent = 200.0;

// to - from for a hue in turns, the short way round; no difference with a
// pixel that has no hue. Negating both arguments' roles negates the result
// exactly, which the flux reuse in StepRows relies on.
inline float HueDifference(float to, float from) {
  if (to < 0.0f || from < 0.0f) return 0.0f;
  float d = to - from;
  if (d > 0.5f)
    d -= 1.0f;
  else if (d < -0.5f)
    d += 1.0f;
  return d;
}

inline bool TakesPart(const KEPSmoothing::Area& area, int x, int y) {
  return !area.mask || area.mask->TakesPart(area.x + x, area.y + y);
}

// One band of rows on one thread. Each flux between two neighbours is
// computed once and used by both, negated for the second: f(-d) = -f(d)
// bit for bit, so this gives exactly what four fluxes per pixel would.
void StepRows(const float* in, float* out, int width, int height, int first, int last,
              const KEPSmoothing::Params& params, const KEPSmoothing::Area& area) {
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  std::copy(in + first * stride, in + last * stride, out + first * stride);
  std::vector<float> south(width), previousSouth(width), east(width > 1 ? width - 1 : 1);
  for (int c = 0; c < 3; ++c) {
    if (!params.components[c]) continue;
    const bool hue = params.hue && c == 0;
    auto difference = [hue](float to, float from) {
      return hue ? HueDifference(to, from) : to - from;
    };
    auto fluxesBetween = [&](const float* lower, const float* upper, float* fluxes) {
      for (int x = 0; x < width; ++x)
        fluxes[x] = KEPSmoothing::Flux(difference(upper[3 * x + c], lower[3 * x + c]), params.k);
    };
    if (first > 0)
      fluxesBetween(in + (first - 1) * stride, in + first * stride, previousSouth.data());
    for (int y = first; y < last; ++y) {
      const float* row = in + y * stride;
      float* target = out + y * stride;
      if (y + 1 < height) fluxesBetween(row, row + stride, south.data());
      for (int x = 0; x + 1 < width; ++x)
        east[x] = KEPSmoothing::Flux(difference(row[3 * (x + 1) + c], row[3 * x + c]), params.k);
      for (int x = 0; x < width; ++x) {
        const float value = row[3 * x + c];
        if (hue && value < 0.0f) continue;
        if (!TakesPart(area, x, y)) continue;
        const float fN = y > 0 ? 0.0f - previousSouth[x] : 0.0f;
        const float fS = y + 1 < height ? south[x] : 0.0f;
        const float fE = x + 1 < width ? east[x] : 0.0f;
        const float fW = x > 0 ? 0.0f - east[x - 1] : 0.0f;
        float next = static_cast<float>(static_cast<double>(value) +
                                        0.25 * (static_cast<double>(fN) + static_cast<double>(fS) +
                                                static_cast<double>(fE) + static_cast<double>(fW)));
        if (hue) {
          if (next < 0.0f)
            next += 1.0f;
          else if (next >= 1.0f)
            next -= 1.0f;
        }
        target[3 * x + c] = next;
      }
      std::swap(previousSouth, south);
    }
  }
}

}  // namespace

namespace KEPSmoothing {

float Flux(float difference, float k) {
  if (difference == 0.0f) return difference;
  const double r = std::fabs(static_cast<double>(difference)) / static_cast<double>(k);
  const double exponent = r * r;
  if (exponent > kNegligibleExponent) return static_cast<float>(difference * 0.0);
  return static_cast<float>(static_cast<double>(difference) * std::exp(-exponent));
}

void GaussRows(const float* in, float* out, int width, int height, int first, int last,
               const Params& params, const Area& area) {
  first = std::max(first, 0);
  last = std::min(last, height);
  if (!in || !out || width <= 0 || first >= last) return;
  KEPParallelRows::Run(first, last, kMinRowsPerThread,
                       [&](int a, int b) { StepRows(in, out, width, height, a, b, params, area); });
}

std::vector<float> Gauss(const float* in, int width, int height, const Params& params,
                         const Area& area, const volatile unsigned char* interrupt,
                         const std::function<void(int)>& rowsDone) {
  if (!in || width <= 0 || height <= 0) return {};
  std::vector<float> out(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; y += kBandRows) {
    if (interrupt && *interrupt) return {};
    const int last = std::min(height, y + kBandRows);
    GaussRows(in, out.data(), width, height, y, last, params, area);
    if (rowsDone) rowsDone(last - y);
  }
  return out;
}

std::vector<float> BlurLightness(const float* hls, int width, int height, int n, const Area& area) {
  if (!hls || width <= 0 || height <= 0) return {};
  const std::size_t size = static_cast<std::size_t>(width) * height * 3;
  std::vector<float> out(hls, hls + size);
  const int half = std::max(n, 0) / 2;
  KEPParallelRows::Run(0, height, kMinRowsPerThread, [&](int first, int last) {
    for (int y = first; y < last; ++y) {
      for (int x = 0; x < width; ++x) {
        if (!TakesPart(area, x, y)) continue;
        double sum = 0.0;
        int count = 0;
        for (int j = -half; j <= half; ++j) {
          const int yy = y + j;
          if (yy < 0 || yy >= height) continue;
          for (int i = -half; i <= half; ++i) {
            const int xx = x + i;
            if (xx < 0 || xx >= width || !TakesPart(area, xx, yy)) continue;
            sum += hls[(static_cast<std::size_t>(yy) * width + xx) * 3 + 1];
            ++count;
          }
        }
        if (count > 0)
          out[(static_cast<std::size_t>(y) * width + x) * 3 + 1] = static_cast<float>(sum / count);
      }
    }
  });
  return out;
}

}  // namespace KEPSmoothing
