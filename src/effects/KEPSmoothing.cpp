#include "effects/KEPSmoothing.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "effects/KEPLargeArrays.h"
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

// exp(-x) for 0 <= x <= kNegligibleExponent, within a few units of the
// last place: x = n ln 2 + r with |r| <= ln 2 / 2, exp(r) by its series to
// the 13th power (the first term left out is below 2^-57), times 2^n built
// in the exponent bits. Written without calls or branches so that a row of
// them runs in vector registers.
inline double ExpNegative(double x) {
  constexpr double kShift = 0x1.8p52;  // adding it rounds to a whole number
  constexpr double kLog2e = 0x1.71547652b82fep0;
  constexpr double kLn2High = 0x1.62e42fee00000p-1;  // n * kLn2High is exact
  constexpr double kLn2Low = 0x1.a39ef35793c76p-33;
  const double y = -x;
  const double t = y * kLog2e + kShift;
  const double n = t - kShift;
  const double r = (y - n * kLn2High) - n * kLn2Low;
  double p = 1.0 / 6227020800.0;  // 1 / 13!
  p = p * r + 1.0 / 479001600.0;
  p = p * r + 1.0 / 39916800.0;
  p = p * r + 1.0 / 3628800.0;
  p = p * r + 1.0 / 362880.0;
  p = p * r + 1.0 / 40320.0;
  p = p * r + 1.0 / 5040.0;
  p = p * r + 1.0 / 720.0;
  p = p * r + 1.0 / 120.0;
  p = p * r + 1.0 / 24.0;
  p = p * r + 1.0 / 6.0;
  p = p * r + 0.5;
  p = p * r + 1.0;
  p = p * r + 1.0;
  // The low bits of t hold n; 1023 + n is the exponent of 2^n.
  const auto scale = std::bit_cast<double>((std::bit_cast<std::int64_t>(t) + 1023) << 52);
  return p * scale;
}

inline bool TakesPart(const KEPSmoothing::Area& area, int x, int y) {
  return !area.mask || area.mask->TakesPart(area.x + x, area.y + y);
}

// The new values of one component of a row, from its values, the fluxes
// to the row below (previous, from the row below to this one: negated) and
// above, and to the right (east[-1] and east[n - 1] are 0: no neighbour).
// The sum runs in the order north, south, east, west, in double.
__attribute__((target_clones("arch=x86-64-v3", "default"))) void UpdateRow(const float* values,
                                                                           const float* previous,
                                                                           const float* south,
                                                                           const float* east, int n,
                                                                           float* next) {
  for (int x = 0; x < n; ++x) {
    const double fN = 0.0f - previous[x], fS = south[x], fE = east[x], fW = 0.0f - east[x - 1];
    next[x] = static_cast<float>(static_cast<double>(values[x]) + 0.25 * (fN + fS + fE + fW));
  }
}

// One band of rows on one thread. Each flux between two neighbours is
// computed once and used by both, negated for the second: f(-d) = -f(d)
// bit for bit, so this gives exactly what four fluxes per pixel would. A
// missing neighbour's flux is +0, as f(0) is.
void StepRows(const float* in, float* out, int width, int height, int first, int last,
              const KEPSmoothing::Params& params, const KEPSmoothing::Area& area) {
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  // Per component: the fluxes from the row below (kept from row to row).
  std::vector<float> previous[3];
  std::vector<float> values(width), above(width), differences(width), south(width),
      eastBuffer(width + 1, 0.0f), next(width);
  float* east = eastBuffer.data() + 1;
  auto gather = [&](const float* row, int c, float* to) {
    for (int x = 0; x < width; ++x) to[x] = row[3 * x + c];
  };
  auto fluxes = [&](const float* to, const float* from, int n, bool hue, float* result) {
    if (hue) {
      for (int x = 0; x < n; ++x) differences[x] = HueDifference(to[x], from[x]);
    } else {
      for (int x = 0; x < n; ++x) differences[x] = to[x] - from[x];
    }
    KEPSmoothing::FluxRow(differences.data(), result, n, params.k);
  };
  for (int c = 0; c < 3; ++c) {
    if (!params.components[c]) continue;
    previous[c].assign(width, 0.0f);
    if (first > 0) {
      gather(in + (first - 1) * stride, c, above.data());
      gather(in + first * stride, c, values.data());
      fluxes(values.data(), above.data(), width, params.hue && c == 0, previous[c].data());
    }
  }
  for (int y = first; y < last; ++y) {
    const float* row = in + y * stride;
    float* target = out + y * stride;
    std::copy(row, row + stride, target);
    for (int c = 0; c < 3; ++c) {
      if (!params.components[c]) continue;
      const bool hue = params.hue && c == 0;
      gather(row, c, values.data());
      if (y + 1 < height) {
        gather(row + stride, c, above.data());
        fluxes(above.data(), values.data(), width, hue, south.data());
      } else {
        std::fill(south.begin(), south.end(), 0.0f);
      }
      fluxes(values.data() + 1, values.data(), width - 1, hue, east);
      east[width - 1] = 0.0f;
      UpdateRow(values.data(), previous[c].data(), south.data(), east, width, next.data());
      for (int x = 0; x < width; ++x) {
        if (hue && values[x] < 0.0f) continue;
        if (!TakesPart(area, x, y)) continue;
        float value = next[x];
        if (hue) {
          if (value < 0.0f)
            value += 1.0f;
          else if (value >= 1.0f)
            value -= 1.0f;
        }
        target[3 * x + c] = value;
      }
      previous[c].swap(south);
    }
  }
}

}  // namespace

namespace KEPSmoothing {

// The fast exponential may differ from the library's in its last bits. The
// flux is a float: it is the same as long as every value within a margin
// far wider than both errors rounds to the same float, which is checked for
// each flux. The few that lie too near the middle of two floats are
// computed with the library's exponential.
__attribute__((target_clones("arch=x86-64-v3", "default"))) void FastFluxRow(
    const float* differences, float* fluxes, int count, float k, float* unsure) {
  constexpr double kMargin = 0x1p-44;
  const double kk = k;
  for (int i = 0; i < count; ++i) {
    const double d = differences[i];
    const double r = std::fabs(d) / kk;
    const double x = r * r;
    // Past the negligible exponent the flux is a zero of the sign of d;
    // there ExpNegative is meaningless (whatever it gives, its size times 0
    // is that zero or a NaN, which the check below sends to the library).
    const double kept = static_cast<double>(x <= kNegligibleExponent);
    const double flux = d * std::fabs(ExpNegative(x)) * kept;
    const double margin = std::fabs(flux) * kMargin;
    fluxes[i] = static_cast<float>(flux);
    unsure[i] = static_cast<float>(flux - margin) - static_cast<float>(flux + margin);
  }
}

void FluxRow(const float* differences, float* fluxes, int count, float k) {
  constexpr int kChunk = 256;
  float unsure[kChunk];
  for (int start = 0; start < count; start += kChunk) {
    const int n = std::min(kChunk, count - start);
    FastFluxRow(differences + start, fluxes + start, n, k, unsure);
    for (int i = 0; i < n; ++i)
      if (unsure[i] != 0.0f) fluxes[start + i] = Flux(differences[start + i], k);
  }
}

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
  std::vector<float> out =
      KEPLargeArrays::Make<float>(static_cast<std::size_t>(width) * height * 3);
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
  std::vector<float> out = KEPLargeArrays::Copy(hls, hls + size);
  const int half = std::max(n, 0) / 2;
  auto lightness = [&](int x, int y) {
    return hls[(static_cast<std::size_t>(y) * width + x) * 3 + 1];
  };
  // One pixel, its neighbours taken row by row, left to right.
  auto blurred = [&](int x, int y, float& result) {
    double sum = 0.0;
    int count = 0;
    for (int j = -half; j <= half; ++j) {
      const int yy = y + j;
      if (yy < 0 || yy >= height) continue;
      for (int i = -half; i <= half; ++i) {
        const int xx = x + i;
        if (xx < 0 || xx >= width || !TakesPart(area, xx, yy)) continue;
        sum += lightness(xx, yy);
        ++count;
      }
    }
    if (count > 0) result = static_cast<float>(sum / count);
  };
  const bool everyPixel = !area.mask || !area.mask->bytes;
  KEPParallelRows::Run(0, height, kMinRowsPerThread, [&](int first, int last) {
    std::vector<double> sums(width);
    std::vector<float> row(width);
    for (int y = first; y < last; ++y) {
      float* target = out.data() + static_cast<std::size_t>(y) * width * 3;
      if (!everyPixel || width <= 2 * half) {
        for (int x = 0; x < width; ++x)
          if (TakesPart(area, x, y)) blurred(x, y, target[3 * x + 1]);
        continue;
      }
      // Without a selection, the columns whose neighbourhood lies wholly
      // inside are summed a neighbour at a time across the row, in the same
      // order as one pixel at a time.
      std::fill(sums.begin(), sums.end(), 0.0);
      int rows = 0;
      for (int j = -half; j <= half; ++j) {
        const int yy = y + j;
        if (yy < 0 || yy >= height) continue;
        ++rows;
        for (int x = 0; x < width; ++x) row[x] = lightness(x, yy);
        for (int i = -half; i <= half; ++i)
          for (int x = half; x < width - half; ++x) sums[x] += row[x + i];
      }
      const double count = rows * (2 * half + 1);
      for (int x = half; x < width - half; ++x)
        target[3 * x + 1] = static_cast<float>(sums[x] / count);
      for (int x = 0; x < half; ++x) blurred(x, y, target[3 * x + 1]);
      for (int x = width - half; x < width; ++x) blurred(x, y, target[3 * x + 1]);
    }
  });
  return out;
}

}  // namespace KEPSmoothing
