#include "effects/KEPGlowKernels.h"

#include <algorithm>
#include <cstring>

#include "effects/KEPGlowFFT.h"
#include "effects/KEPGlowParallel.h"

namespace {

// Kernel cells added between two progress reports (and interrupt checks):
// a few milliseconds of work.
constexpr double kBatchCells = 1 << 21;
// Accumulator rows that all pixels of a batch add into before the next.
constexpr int kTileRows = 8;

struct Span {
  int first, last;  // inclusive
};

// Kernel columns (or rows) that land inside the area for a pixel at `at`.
Span KernelSpan(int at, int size, int N) {
  const int ctr = N / 2;
  return {std::max(0, ctr - at), std::min(N - 1, size - at + ctr - 1)};
}

bool Interrupted(const unsigned char* interrupt) {
  return interrupt && *interrupt;
}

// Adds one kernel around pixel (px, py) into accumulator rows [y0, y1).
void AddKernelRows(const float* kernel, int N, int px, int py, float* acc, int w, int h, int y0,
                   int y1) {
  const int ctr = N / 2;
  const Span columns = KernelSpan(px, w, N);
  const int length = (columns.last - columns.first + 1) * 3;
  const int top = std::min({y1 - 1, py + ctr, h - 1});
  for (int ay = std::max(y0, py - ctr); ay <= top; ++ay) {
    const int ky = ay - py + ctr;
    const float* k = kernel + (static_cast<std::size_t>(ky) * N + columns.first) * 3;
    float* a = acc + (static_cast<std::size_t>(ay) * w + px - ctr + columns.first) * 3;
    for (int i = 0; i < length; ++i) a[i] += k[i];
  }
}

}  // namespace

KEPGlowPath ChooseGlowPath(double splatCells, int w, int h, int N, int channels) {
  const double splat = splatCells * channels * kGlowSplatNsPerCell;
  const double fft = KEPGlowFFT::EstimateFlops(w, h, N, channels) * kGlowFFTNsPerFlop;
  return fft < splat ? KEPGlowPath::kFFT : KEPGlowPath::kSplat;
}

std::vector<std::int32_t> SelectedPixels(const unsigned char* src, int w, int h,
                                         const int selectionColour[3]) {
  auto selected = [&](const unsigned char* p) {
    return p[0] == selectionColour[0] && p[1] == selectionColour[1] && p[2] == selectionColour[2];
  };
  // Rows are read in memory order and the pixels sorted by column after.
  std::vector<std::int32_t> start(static_cast<std::size_t>(w) + 1, 0);
  const unsigned char* p = src;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, p += 4)
      if (selected(p)) ++start[x + 1];
  for (int x = 0; x < w; ++x) start[x + 1] += start[x];
  std::vector<std::int32_t> pixels(start[w]);
  p = src;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, p += 4)
      if (selected(p)) pixels[start[x]++] = y * w + x;
  return pixels;
}

double SplatCells(const std::vector<std::int32_t>& pixels, int w, int h, int N) {
  double cells = 0.0;
  for (std::int32_t index : pixels) {
    const Span columns = KernelSpan(index % w, w, N), rows = KernelSpan(index / w, h, N);
    cells += static_cast<double>(columns.last - columns.first + 1) * (rows.last - rows.first + 1);
  }
  return cells;
}

bool SplatGlow(const std::vector<std::int32_t>& pixels, int w, int h, const float* bloomKernel,
               const float* flareKernel, int N, float* bloomAcc, float* flareAcc,
               KEPGlowProgress* progress, const unsigned char* interrupt) {
  const int kernels = (bloomKernel ? 1 : 0) + (flareKernel ? 1 : 0);
  const int ctr = N / 2;
  std::size_t next = 0;
  while (next < pixels.size()) {
    if (Interrupted(interrupt)) return false;
    std::size_t end = next;
    double cells = 0.0;
    while (end < pixels.size() && (end == next || cells < kBatchCells)) {
      const std::int32_t index = pixels[end++];
      const Span columns = KernelSpan(index % w, w, N), rows = KernelSpan(index / w, h, N);
      cells += kernels * static_cast<double>(columns.last - columns.first + 1) *
               (rows.last - rows.first + 1);
    }
    // Each thread owns a band of accumulator rows and adds the pixels in
    // order, so every cell sums in the same order as on one thread. The band
    // is walked a few rows at a time, all pixels of the batch adding into
    // those rows while they are in cache.
    KEPGlowParallel::For(h, [&](int y0, int y1) {
      for (int t0 = y0; t0 < y1; t0 += kTileRows) {
        const int t1 = std::min(y1, t0 + kTileRows);
        for (std::size_t i = next; i < end; ++i) {
          const int px = pixels[i] % w, py = pixels[i] / w;
          if (py + ctr < t0 || py - ctr >= t1) continue;
          if (bloomKernel) AddKernelRows(bloomKernel, N, px, py, bloomAcc, w, h, t0, t1);
          if (flareKernel) AddKernelRows(flareKernel, N, px, py, flareAcc, w, h, t0, t1);
        }
      }
    });
    if (progress) {
      progress->Advance(static_cast<int>(end - next));
      progress->UpdateDisplay();
    }
    next = end;
  }
  return !Interrupted(interrupt);
}

bool ConvolveGlow(const std::vector<std::int32_t>& pixels, int w, int h, const float* bloomKernel,
                  const float* flareKernel, int N, float* bloomAcc, float* flareAcc,
                  KEPGlowProgress* progress, int units, const unsigned char* interrupt) {
  if (Interrupted(interrupt)) return false;
  std::vector<unsigned char> indicator(static_cast<std::size_t>(w) * h, 0);
  for (std::int32_t index : pixels) indicator[index] = 1;
  std::vector<KEPGlowFFT::Channel> channels;
  for (int c = 0; c < 3; ++c) {
    if (bloomKernel) channels.push_back({bloomKernel + c, bloomAcc + c});
    if (flareKernel) channels.push_back({flareKernel + c, flareAcc + c});
  }
  int advanced = 0;
  auto report = [&](double fraction) {
    if (progress) {
      const int target = static_cast<int>(units * fraction);
      progress->Advance(target - advanced);
      advanced = std::max(advanced, target);
      progress->UpdateDisplay();
    }
    return !Interrupted(interrupt);
  };
  return KEPGlowFFT::Convolve(indicator.data(), w, h, N, channels.data(),
                              static_cast<int>(channels.size()), 3, report);
}

void CombineGlow(const unsigned char* src, unsigned char* dst, int w, int h, const float* bloomAcc,
                 const float* flareAcc, const KEPGlowLightSource& light, const KEPGlowHalo& halo,
                 const int selectionColour[3]) {
  const float f = static_cast<float>(light.intensity / 1000000.0);
  const float proportion = halo.flareProportion;
  const bool whiteSaturation = light.whiteSaturation != 0;
  KEPGlowParallel::For(h, [&](int y0, int y1) {
    for (std::size_t i = static_cast<std::size_t>(y0) * w; i < static_cast<std::size_t>(y1) * w;
         ++i) {
      long long v[3];
      for (int c = 0; c < 3; ++c) {
        const double value = f * (bloomAcc[3 * i + c] * 255.0 + proportion * flareAcc[3 * i + c]);
        // Truncation toward zero; far past 255 only the ratios matter.
        v[c] = static_cast<long long>(std::clamp(value, -1.0e15, 1.0e15));
      }
      long long m = std::max({v[0], v[1], v[2]});
      if (whiteSaturation) {
        for (long long& c : v) c = std::min(c, 255LL);
      } else if (m > 255) {
        // Scaled down together the channels keep the glow's hue.
        for (long long& c : v) c = c * 255 / m;
      }
      const unsigned char* s = src + 4 * i;
      unsigned char* d = dst + 4 * i;
      if (s[0] == selectionColour[0] && s[1] == selectionColour[1] && s[2] == selectionColour[2]) {
        for (int c = 0; c < 3; ++c) d[c] = static_cast<unsigned char>(std::clamp(v[c], 0LL, 255LL));
        continue;
      }
      // The source shows only in the headroom the glow leaves.
      m = std::max({v[0], v[1], v[2]});
      const long long headroom = 255 - m;
      for (int c = 0; c < 3; ++c)
        d[c] = static_cast<unsigned char>(std::clamp(v[c] + s[c] * headroom / 255, 0LL, 255LL));
    }
  });
}

void CalculateGlowedImage(const unsigned char* src, unsigned char* dst, int w, int h,
                          const float* bloomKernel, const float* flareKernel, int N,
                          const KEPGlowLightSource& light, const KEPGlowHalo& halo,
                          const int selectionColour[3], float* bloomAcc, float* flareAcc,
                          short doBloom, short doFlare, KEPGlowProgress* progress,
                          const unsigned char* interrupt, KEPGlowPath path) {
  if (w <= 0 || h <= 0) return;
  const std::vector<std::int32_t> pixels = SelectedPixels(src, w, h, selectionColour);
  const int count = static_cast<int>(pixels.size());
  if (progress) progress->Init(0, count + 1, 1);
  const std::size_t cells = static_cast<std::size_t>(w) * h * 3;
  if (doBloom) std::fill(bloomAcc, bloomAcc + cells, 0.0f);
  if (doFlare) std::fill(flareAcc, flareAcc + cells, 0.0f);
  const int channels = 3 * ((doBloom ? 1 : 0) + (doFlare ? 1 : 0));
  if (channels && count) {
    if (path == KEPGlowPath::kAuto)
      path = ChooseGlowPath(SplatCells(pixels, w, h, N), w, h, N, channels);
    const float* bloomK = doBloom ? bloomKernel : nullptr;
    const float* flareK = doFlare ? flareKernel : nullptr;
    if (path == KEPGlowPath::kFFT)
      ConvolveGlow(pixels, w, h, bloomK, flareK, N, bloomAcc, flareAcc, progress, count, interrupt);
    else
      SplatGlow(pixels, w, h, bloomK, flareK, N, bloomAcc, flareAcc, progress, interrupt);
  }
  if (Interrupted(interrupt)) return;
  CombineGlow(src, dst, w, h, bloomAcc, flareAcc, light, halo, selectionColour);
  if (progress) {
    progress->StepIt();
    progress->UpdateDisplay();
  }
}

void ZoomNearest(const unsigned char* src, int w, int h, unsigned char* dst, int zw, int zh) {
  for (int j = 0; j < zh; ++j) {
    const int sy = ZoomSource(j, h, zh);
    for (int i = 0; i < zw; ++i) {
      const int sx = ZoomSource(i, w, zw);
      std::memcpy(dst + 4 * (static_cast<std::size_t>(j) * zw + i),
                  src + 4 * (static_cast<std::size_t>(sy) * w + sx), 4);
    }
  }
}
