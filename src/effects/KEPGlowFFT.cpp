#include "effects/KEPGlowFFT.h"

#include <kissfft/kiss_fft.h>
#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "effects/KEPGlowParallel.h"

namespace {

using Complex = kiss_fft_cpx;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using ComplexPlan = std::unique_ptr<std::remove_pointer_t<kiss_fft_cfg>, FreeDeleter>;
using RealPlan = std::unique_ptr<std::remove_pointer_t<kiss_fftr_cfg>, FreeDeleter>;

// kiss_fftr keeps scratch space inside its plan, so every thread makes its
// own plans; making one costs far less than the rows it then serves.
RealPlan MakeRealPlan(int n, bool inverse) {
  RealPlan plan(kiss_fftr_alloc(n, inverse ? 1 : 0, nullptr, nullptr));
  if (!plan) throw std::bad_alloc();
  return plan;
}

ComplexPlan MakeComplexPlan(int n, bool inverse) {
  ComplexPlan plan(kiss_fft_alloc(n, inverse ? 1 : 0, nullptr, nullptr));
  if (!plan) throw std::bad_alloc();
  return plan;
}

// Columns are transformed eight at a time: one cache line of each row of
// the row-major spectrum serves the whole block.
constexpr int kBlock = 8;
// Work between two progress reports, per thread.
constexpr double kChunkFlops = 4.0e7;

double RealRowFlops(int n) {
  return 2.5 * n * std::log2(static_cast<double>(n));
}

double ComplexFlops(int n) {
  return 5.0 * n * std::log2(static_cast<double>(n));
}

// Geometry of one convolution.
struct Grid {
  int w, h, N, ctr;
  int cx, cy;  // half widths of the kernel part that can reach the area
  int P, Q;    // circular grid
  int Pc;      // complex columns of a real row's spectrum
};

Grid MakeGrid(int w, int h, int N) {
  Grid g{};
  g.w = w;
  g.h = h;
  g.N = N;
  g.ctr = N / 2;
  // A kernel cell farther from the centre than the area is wide never
  // reaches it from a pixel of the area.
  g.cx = std::min(g.ctr, w - 1);
  g.cy = std::min(g.ctr, h - 1);
  g.P = KEPGlowFFT::FastSize(w + g.cx, true);
  g.Q = KEPGlowFFT::FastSize(h + g.cy, false);
  g.Pc = g.P / 2 + 1;
  return g;
}

// Runs `items` pieces of work of `flopsPerItem` each, a chunk at a time
// spread over the threads, reporting after each chunk.
class StageRunner {
 public:
  StageRunner(double total, const std::function<bool(double)>& progress)
      : _total(total), _progress(progress) {}

  template <class Body>
  bool Run(int items, double flopsPerItem, Body body) {
    const double perChunk = kChunkFlops * KEPGlowParallel::ThreadCount();
    const int chunk = std::max(1, static_cast<int>(perChunk / std::max(flopsPerItem, 1.0)));
    for (int begin = 0; begin < items; begin += chunk) {
      const int end = std::min(items, begin + chunk);
      KEPGlowParallel::For(end - begin, [&](int a, int b) { body(begin + a, begin + b); });
      _done += (end - begin) * flopsPerItem;
      if (_progress && !_progress(std::min(_done / _total, 1.0))) return false;
    }
    return true;
  }

 private:
  double _total;
  double _done = 0.0;
  const std::function<bool(double)>& _progress;
};

}  // namespace

namespace KEPGlowFFT {

int FastSize(int n, bool even) {
  for (int m = std::max(n, 1);; ++m) {
    if (even && (m & 1)) continue;
    int r = m;
    for (int p : {2, 3, 5})
      while (r % p == 0) r /= p;
    if (r == 1) return m;
  }
}

double EstimateFlops(int w, int h, int N, int channels) {
  if (w <= 0 || h <= 0 || N <= 0) return 0.0;
  const Grid g = MakeGrid(w, h, N);
  const double row = RealRowFlops(g.P), column = ComplexFlops(g.Q);
  const double indicator = h * row + g.Pc * column;
  const double perChannel =
      (2 * g.cy + 1 + h) * row + static_cast<double>(g.Pc) * (2 * column + 6.0 * g.Q);
  return indicator + channels * perChannel;
}

bool Convolve(const unsigned char* indicator, int w, int h, int N, const Channel* channels,
              int channelCount, int stride, const std::function<bool(double)>& progress) {
  if (w <= 0 || h <= 0 || N <= 0 || channelCount <= 0) return true;
  const Grid g = MakeGrid(w, h, N);
  const std::size_t Pc = g.Pc, Q = g.Q;
  const int blocks = (g.Pc + kBlock - 1) / kBlock;
  const double row = RealRowFlops(g.P), column = ComplexFlops(g.Q);
  StageRunner stages(EstimateFlops(w, h, N, channelCount), progress);

  // Row spectra of the area's rows: first of the indicator, later of each
  // result before its inverse row transform.
  std::vector<Complex> rows(static_cast<std::size_t>(h) * Pc);
  // The indicator's 2D spectrum, column after column.
  std::vector<Complex> spectrum(Pc * Q);
  // Row spectra of the kernel's rows.
  const int kernelRows = 2 * g.cy + 1;
  std::vector<Complex> kernelSpectra(static_cast<std::size_t>(kernelRows) * Pc);

  bool goOn = stages.Run(h, row, [&](int begin, int end) {
    RealPlan plan = MakeRealPlan(g.P, false);
    std::vector<float> line(g.P, 0.0f);
    for (int y = begin; y < end; ++y) {
      const unsigned char* in = indicator + static_cast<std::size_t>(y) * w;
      for (int x = 0; x < w; ++x) line[x] = in[x] ? 1.0f : 0.0f;
      kiss_fftr(plan.get(), line.data(), &rows[y * Pc]);
    }
  });
  goOn = goOn && stages.Run(blocks, kBlock * column, [&](int begin, int end) {
    ComplexPlan plan = MakeComplexPlan(g.Q, false);
    std::vector<Complex> block(kBlock * Q);
    for (int b = begin; b < end; ++b) {
      const int x0 = b * kBlock, count = std::min(kBlock, g.Pc - x0);
      std::fill(block.begin(), block.end(), Complex{0.0f, 0.0f});
      for (int y = 0; y < h; ++y)
        for (int i = 0; i < count; ++i) block[i * Q + y] = rows[y * Pc + x0 + i];
      for (int i = 0; i < count; ++i) kiss_fft(plan.get(), &block[i * Q], &spectrum[(x0 + i) * Q]);
    }
  });

  const float scale = 1.0f / (static_cast<float>(g.P) * static_cast<float>(g.Q));
  for (int c = 0; c < channelCount && goOn; ++c) {
    const float* kernel = channels[c].kernel;
    float* out = channels[c].out;
    goOn = stages.Run(kernelRows, row, [&](int begin, int end) {
      RealPlan plan = MakeRealPlan(g.P, false);
      std::vector<float> line(g.P);
      for (int j = begin; j < end; ++j) {
        // Kernel offset dx lands on column dx modulo P.
        std::fill(line.begin(), line.end(), 0.0f);
        const float* in = kernel + static_cast<std::size_t>(g.ctr + j - g.cy) * g.N * stride;
        for (int dx = -g.cx; dx <= g.cx; ++dx)
          line[(dx + g.P) % g.P] = in[static_cast<std::size_t>(g.ctr + dx) * stride];
        kiss_fftr(plan.get(), line.data(), &kernelSpectra[j * Pc]);
      }
    });
    goOn = goOn && stages.Run(blocks, kBlock * (2 * column + 6.0 * g.Q), [&](int begin, int end) {
      ComplexPlan forward = MakeComplexPlan(g.Q, false), inverse = MakeComplexPlan(g.Q, true);
      std::vector<Complex> block(kBlock * Q), product(Q), result(kBlock * Q);
      for (int b = begin; b < end; ++b) {
        const int x0 = b * kBlock, count = std::min(kBlock, g.Pc - x0);
        std::fill(block.begin(), block.end(), Complex{0.0f, 0.0f});
        for (int j = 0; j < kernelRows; ++j) {
          const std::size_t y = (j - g.cy + g.Q) % g.Q;
          for (int i = 0; i < count; ++i) block[i * Q + y] = kernelSpectra[j * Pc + x0 + i];
        }
        for (int i = 0; i < count; ++i) {
          kiss_fft(forward.get(), &block[i * Q], product.data());
          const Complex* image = &spectrum[(x0 + i) * Q];
          for (std::size_t k = 0; k < Q; ++k) {
            const Complex a = product[k], s = image[k];
            product[k] = Complex{a.r * s.r - a.i * s.i, a.r * s.i + a.i * s.r};
          }
          kiss_fft(inverse.get(), product.data(), &result[i * Q]);
        }
        for (int y = 0; y < h; ++y)
          for (int i = 0; i < count; ++i) rows[y * Pc + x0 + i] = result[i * Q + y];
      }
    });
    goOn = goOn && stages.Run(h, row, [&](int begin, int end) {
      RealPlan plan = MakeRealPlan(g.P, true);
      std::vector<float> line(g.P);
      for (int y = begin; y < end; ++y) {
        kiss_fftri(plan.get(), &rows[y * Pc], line.data());
        float* o = out + static_cast<std::size_t>(y) * w * stride;
        for (int x = 0; x < w; ++x) o[static_cast<std::size_t>(x) * stride] = line[x] * scale;
      }
    });
  }
  return goOn;
}

}  // namespace KEPGlowFFT
