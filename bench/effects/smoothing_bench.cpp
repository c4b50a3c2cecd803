// Smoothing a 3840 x 2160 render: one diffusion step on the lightness (HLS,
// one component), alone and with the conversions to and from the pixels,
// and the 3 x 3 blur. Figures in megapixel-iterations per second; the peer
// (OpenCV's anisotropic diffusion) is measured by smoothing_peer.py.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "effects/KEPComponentArrays.h"
#include "effects/KEPSmoothing.h"
#include "effects/KEPSmoothingRun.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;

// A noisy render: smooth colour ramps with grain.
const std::vector<unsigned char>& Render() {
  static const std::vector<unsigned char> pixels = [] {
    std::vector<unsigned char> p(static_cast<std::size_t>(kWidth) * kHeight * 4);
    std::mt19937 random(5);
    std::normal_distribution<float> grain(0.0f, 6.0f);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        unsigned char* q = &p[(static_cast<std::size_t>(y) * kWidth + x) * 4];
        const float base[3] = {255.0f * x / kWidth, 255.0f * y / kHeight,
                               128.0f + 100.0f * std::sin(x * 0.01f)};
        for (int c = 0; c < 3; ++c)
          q[c] = static_cast<unsigned char>(std::clamp(base[c] + grain(random), 0.0f, 255.0f));
        q[3] = 255;
      }
    return p;
  }();
  return pixels;
}

void Rate(benchmark::State& state, double iterations = 1.0) {
  state.counters["Mpix-iter/s"] = benchmark::Counter(iterations * kWidth * kHeight / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void BM_GaussStepLightness(benchmark::State& state) {
  const std::vector<float> hls = KEPComponentArrays::Export(Render().data(), kWidth, 0, 0, kWidth,
                                                            kHeight, KEPComponentArrays::kHLS);
  const KEPSmoothing::Params params{0.05f, {0, 1, 0}, true};
  // The first step works on values that came from bytes; later ones on
  // values that are not: both are measured.
  std::vector<float> in = hls, out(hls.size());
  if (state.range(0) > 0) in = KEPSmoothing::Gauss(hls.data(), kWidth, kHeight, params, {});
  // Into an array of the run's: steps after the first reuse one.
  for (auto _ : state) {
    KEPSmoothing::GaussRows(in.data(), out.data(), kWidth, kHeight, 0, kHeight, params, {});
    benchmark::DoNotOptimize(out.data());
  }
  Rate(state);
}
BENCHMARK(BM_GaussStepLightness)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("later")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_SmoothImageOneStep(benchmark::State& state) {
  std::vector<unsigned char> pixels = Render();
  for (auto _ : state) {
    state.PauseTiming();
    pixels = Render();
    state.ResumeTiming();
    KEPSmoothingRun run({0.05f, {0, 1, 0}, false}, KEPComponentArrays::kHLS, {}, 1);
    run.AddImage(pixels.data(), kWidth, kHeight);
    while (run.Advance(kHeight)) {
    }
    run.WriteBack();
    benchmark::DoNotOptimize(pixels.data());
  }
  Rate(state);
}
BENCHMARK(BM_SmoothImageOneStep)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BlurLightness(benchmark::State& state) {
  const std::vector<float> hls = KEPComponentArrays::Export(Render().data(), kWidth, 0, 0, kWidth,
                                                            kHeight, KEPComponentArrays::kHLS);
  for (auto _ : state) {
    const std::vector<float> out = KEPSmoothing::BlurLightness(hls.data(), kWidth, kHeight, 3, {});
    benchmark::DoNotOptimize(out.data());
  }
  Rate(state);
}
BENCHMARK(BM_BlurLightness)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
