// RGB to HLS and back over 8 million pixels, in megapixels per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "colour/KEPHLSColor.h"
#include "colour/KEPRGBColor.h"

namespace {

constexpr std::size_t kPixels = 8u << 20;

void BM_RgbToHlsAndBack(benchmark::State& state) {
  std::vector<unsigned char> pixels(kPixels * 4);
  std::uint32_t rng = 1;
  for (auto& b : pixels) {
    rng = rng * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(rng >> 24);
  }
  std::vector<unsigned char> out(pixels.size());
  for (auto _ : state) {
    KEPHLSColor hls(-1.0f, 0.0f, 0.0f);
    KEPRGBColor rgb(0, 0, 0);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
      KEPRGBColor(pixels[i] / 255.0f, pixels[i + 1] / 255.0f, pixels[i + 2] / 255.0f)
          .ConvertToHLSColor(hls);
      hls.ConvertToRGBColor(rgb);
      out[i] = static_cast<unsigned char>(rgb.GetRed() * 255.0f);
      out[i + 1] = static_cast<unsigned char>(rgb.GetGreen() * 255.0f);
      out[i + 2] = static_cast<unsigned char>(rgb.GetBlue() * 255.0f);
      out[i + 3] = pixels[i + 3];
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kPixels) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RgbToHlsAndBack)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
