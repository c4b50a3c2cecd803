// The glow of a 1920 x 1080 area with a 500-pixel halo and 100, 10,000 or
// 200,000 light pixels:
//   BM_Glow        the whole computation as the apply runs it (kernels,
//                  accumulators by the cheaper path, combination);
//   BM_SplatOnly   the same with the accumulators always splatted; above
//                  2,000 pixels the splat is timed on the first 2,000 and
//                  scaled (its cost is linear in the pixels; a full run
//                  would take minutes);
//   BM_PlainConvolution  the practical limit: the six accumulator channels
//                  as a textbook FFT convolution of the same size with the
//                  same library (zero padding to w + N - 1 by h + N - 1, 2D
//                  real transforms of the indicator and of each kernel
//                  channel, products, inverse transforms), nothing else.
// Time is wall-clock time; CPU is the whole process's (all threads), steadier
// on a shared machine (cpu_ms for BM_SplatOnly, scaled like its time).
// Counters ns_per_cell (splat, CPU time per kernel value added) and
// ns_per_flop (convolution, CPU time per operation of
// KEPGlowFFT::EstimateFlops) give the path choice's constants.
#include <benchmark/benchmark.h>
#include <kissfft/kiss_fft.h>
#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <random>
#include <vector>

#include "effects/KEPGlowFFT.h"
#include "effects/KEPGlowKernels.h"
#include "effects/KEPGlowParallel.h"
#include "effects/KEPGlowProfiles.h"

namespace {

constexpr int kW = 1920, kH = 1080, kSize = 500;
constexpr int kSplatSample = 2000;
const int kLight[3] = {255, 250, 240};

const std::vector<unsigned char>& Picture(int count) {
  static std::map<int, std::vector<unsigned char>> made;
  if (auto it = made.find(count); it != made.end()) return it->second;
  std::mt19937 random(count);
  std::vector<unsigned char> pixels(4 * kW * kH);
  for (auto& byte : pixels) byte = static_cast<unsigned char>(random() % 200);
  // Distinct positions, so that exactly `count` pixels are lights.
  std::vector<int> order(kW * kH);
  for (int i = 0; i < kW * kH; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  for (int i = 0; i < count; ++i) std::copy(kLight, kLight + 3, &pixels[4 * order[i]]);
  return made[count] = std::move(pixels);
}

struct Kernels {
  Kernels() {
    halo.size = kSize;
    halo.flareProportion = 50.0f;
    sizes = GlowSizesForWidth(GlowKernelWidth(kSize));
    const int N = sizes.N;
    std::srand(1);
    DrawNewRadLineValues(lines);
    std::vector<float> map1(N * N), map2(N * N), bp(3 * sizes.M), fp(3 * sizes.M);
    bloom.resize(3 * N * N);
    flare.resize(3 * N * N);
    CreateRadLines(map1.data(), map2.data(), N, lines, halo.symmetry);
    ScaleFlareLineMap(map2.data(), N * N);
    CalculateBloomFilterData(bp.data(), sizes.M, sizes.s, light);
    CalculateFlareFilterData(fp.data(), sizes.M, sizes.s, light, halo.flareDiffusion);
    CalculateGlowKernels(map1.data(), map2.data(), N, bp.data(), fp.data(),
                         GlowLineFactor(halo.radialLines, N), bloom.data(), flare.data());
  }
  KEPGlowLightSource light;
  KEPGlowHalo halo;
  KEPGlowSizes sizes;
  KEPGlowLineValues lines;
  std::vector<float> bloom, flare;
};

void BM_Glow(benchmark::State& state) {
  const std::vector<unsigned char>& src = Picture(static_cast<int>(state.range(0)));
  std::vector<unsigned char> dst = src;
  std::vector<float> bloomAcc(3 * kW * kH), flareAcc(3 * kW * kH);
  for (auto _ : state) {
    const Kernels k;  // built by every apply
    CalculateGlowedImage(src.data(), dst.data(), kW, kH, k.bloom.data(), k.flare.data(), k.sizes.N,
                         k.light, k.halo, kLight, bloomAcc.data(), flareAcc.data(), 1, 1, nullptr,
                         nullptr);
  }
  const int N = GlowKernelWidth(kSize);
  const KEPGlowPath path = ChooseGlowPath(
      SplatCells(SelectedPixels(src.data(), kW, kH, kLight), kW, kH, N), kW, kH, N, 6);
  state.SetLabel(path == KEPGlowPath::kFFT ? "convolution" : "splat");
}
BENCHMARK(BM_Glow)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_SplatOnly(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<unsigned char>& src = Picture(count);
  std::vector<unsigned char> dst = src;
  std::vector<float> bloomAcc(3 * kW * kH), flareAcc(3 * kW * kH);
  const Kernels k;
  std::vector<std::int32_t> pixels = SelectedPixels(src.data(), kW, kH, kLight);
  const double scale = count > kSplatSample ? static_cast<double>(count) / kSplatSample : 1.0;
  if (count > kSplatSample) pixels.resize(kSplatSample);
  const double cells = SplatCells(pixels, kW, kH, k.sizes.N) * 6;
  for (auto _ : state) {
    const std::clock_t cpuStart = std::clock();
    if (count <= kSplatSample) {
      // The glow itself, its path forced.
      const auto start = std::chrono::steady_clock::now();
      const Kernels built;
      CalculateGlowedImage(src.data(), dst.data(), kW, kH, built.bloom.data(), built.flare.data(),
                           built.sizes.N, built.light, built.halo, kLight, bloomAcc.data(),
                           flareAcc.data(), 1, 1, nullptr, nullptr, KEPGlowPath::kSplat);
      state.SetIterationTime(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      state.counters["cpu_ms"] = 1e3 * (std::clock() - cpuStart) / CLOCKS_PER_SEC;
      continue;
    }
    const auto start = std::chrono::steady_clock::now();
    const Kernels built;
    benchmark::DoNotOptimize(SelectedPixels(src.data(), kW, kH, kLight).size());
    std::fill(bloomAcc.begin(), bloomAcc.end(), 0.0f);
    std::fill(flareAcc.begin(), flareAcc.end(), 0.0f);
    const std::clock_t cpuSplatStart = std::clock();
    const auto splatStart = std::chrono::steady_clock::now();
    SplatGlow(pixels, kW, kH, k.bloom.data(), k.flare.data(), k.sizes.N, bloomAcc.data(),
              flareAcc.data(), nullptr, nullptr);
    const auto splatEnd = std::chrono::steady_clock::now();
    const std::clock_t cpuSplatEnd = std::clock();
    CombineGlow(src.data(), dst.data(), kW, kH, bloomAcc.data(), flareAcc.data(), k.light, k.halo,
                kLight);
    const auto end = std::chrono::steady_clock::now();
    const double splat = std::chrono::duration<double>(splatEnd - splatStart).count();
    const double rest =
        std::chrono::duration<double>((end - start) - (splatEnd - splatStart)).count();
    state.SetIterationTime(rest + splat * scale);
    const double cpuSplat = static_cast<double>(cpuSplatEnd - cpuSplatStart);
    state.counters["cpu_ms"] =
        1e3 * (std::clock() - cpuStart - cpuSplat + cpuSplat * scale) / CLOCKS_PER_SEC;
    state.counters["ns_per_cell"] = cpuSplat / CLOCKS_PER_SEC * 1e9 / cells;
  }
  if (scale > 1.0) state.SetLabel("scaled from 2000 pixels");
}
BENCHMARK(BM_SplatOnly)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);

// A textbook 2D transform of a Q x P real grid (P even): every row by a real
// transform, then every column of the half spectrum, eight columns at a
// time, rows and columns spread over the threads like the glow's.
class Plain2D {
 public:
  Plain2D(int P, int Q) : _P(P), _Q(Q), _Pc(P / 2 + 1) {}

  void Forward(const float* grid, kiss_fft_cpx* spectrum) const {
    KEPGlowParallel::For(_Q, [&](int begin, int end) {
      kiss_fftr_cfg plan = kiss_fftr_alloc(_P, 0, nullptr, nullptr);
      for (int y = begin; y < end; ++y) kiss_fftr(plan, grid + y * _P, spectrum + y * _Pc);
      std::free(plan);
    });
    Columns(spectrum, false);
  }
  void Inverse(kiss_fft_cpx* spectrum, float* grid) const {
    Columns(spectrum, true);
    KEPGlowParallel::For(_Q, [&](int begin, int end) {
      kiss_fftr_cfg plan = kiss_fftr_alloc(_P, 1, nullptr, nullptr);
      for (int y = begin; y < end; ++y) kiss_fftri(plan, spectrum + y * _Pc, grid + y * _P);
      std::free(plan);
    });
  }

 private:
  void Columns(kiss_fft_cpx* spectrum, bool inverse) const {
    KEPGlowParallel::For((_Pc + 7) / 8, [&](int begin, int end) {
      kiss_fft_cfg plan = kiss_fft_alloc(_Q, inverse ? 1 : 0, nullptr, nullptr);
      std::vector<kiss_fft_cpx> in(_Q), out(8 * _Q);
      for (int b = begin; b < end; ++b) {
        const int x0 = 8 * b, count = std::min(8, _Pc - x0);
        for (int i = 0; i < count; ++i) {
          for (int y = 0; y < _Q; ++y) in[y] = spectrum[y * _Pc + x0 + i];
          kiss_fft(plan, in.data(), &out[i * _Q]);
        }
        for (int y = 0; y < _Q; ++y)
          for (int i = 0; i < count; ++i) spectrum[y * _Pc + x0 + i] = out[i * _Q + y];
      }
      std::free(plan);
    });
  }
  int _P, _Q, _Pc;
};

// Channels: 6 (the glow's accumulators) or 1 (a single convolution).
void BM_PlainConvolution(benchmark::State& state) {
  const int channels = static_cast<int>(state.range(0));
  const Kernels k;
  const int N = k.sizes.N, ctr = N / 2;
  const int P = KEPGlowFFT::FastSize(kW + N - 1, true), Q = KEPGlowFFT::FastSize(kH + N - 1, false);
  const Plain2D transform(P, Q);
  const std::size_t cells = static_cast<std::size_t>(P) * Q, spectrum = (P / 2 + 1) * Q;
  const std::vector<unsigned char>& src = Picture(200000);
  std::vector<float> image(cells), kernel(cells);
  std::vector<kiss_fft_cpx> imageSpectrum(spectrum), kernelSpectrum(spectrum);
  std::vector<float> acc(3 * kW * kH);
  for (auto _ : state) {
    std::fill(image.begin(), image.end(), 0.0f);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const unsigned char* p = &src[4 * (y * kW + x)];
        image[y * P + x] = p[0] == kLight[0] && p[1] == kLight[1] && p[2] == kLight[2];
      }
    transform.Forward(image.data(), imageSpectrum.data());
    for (int c = 0; c < channels; ++c) {
      const std::vector<float>& source = c < 3 ? k.bloom : k.flare;
      std::fill(kernel.begin(), kernel.end(), 0.0f);
      for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) kernel[y * P + x] = source[3 * (y * N + x) + c % 3];
      transform.Forward(kernel.data(), kernelSpectrum.data());
      for (std::size_t i = 0; i < spectrum; ++i) {
        const kiss_fft_cpx a = kernelSpectrum[i], b = imageSpectrum[i];
        kernelSpectrum[i] = {a.r * b.r - a.i * b.i, a.r * b.i + a.i * b.r};
      }
      transform.Inverse(kernelSpectrum.data(), kernel.data());
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          acc[3 * (y * kW + x) + c % 3] =
              kernel[(y + ctr) * P + x + ctr] / static_cast<float>(cells);
    }
    benchmark::DoNotOptimize(acc.data());
  }
}
BENCHMARK(BM_PlainConvolution)
    ->Arg(6)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The convolution path alone, for its cost per estimated operation.
void BM_ConvolutionPath(benchmark::State& state) {
  const Kernels k;
  const std::vector<unsigned char>& src = Picture(200000);
  const auto pixels = SelectedPixels(src.data(), kW, kH, kLight);
  std::vector<float> bloomAcc(3 * kW * kH), flareAcc(3 * kW * kH);
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    ConvolveGlow(pixels, kW, kH, k.bloom.data(), k.flare.data(), k.sizes.N, bloomAcc.data(),
                 flareAcc.data(), nullptr, 0, nullptr);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.counters["ns_per_flop"] = seconds * 1e9 / KEPGlowFFT::EstimateFlops(kW, kH, k.sizes.N, 6);
  }
}
BENCHMARK(BM_ConvolutionPath)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
