// RGB to HLS and back over a 3840 x 2160 picture: one colour at a time
// through the colour classes, and whole buffers at once. versus_opencv.sh
// sets the whole-buffer figure beside OpenCV's on the same picture.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "colour/KEPColourBuffers.h"
#include "colour/KEPHLSColor.h"
#include "colour/KEPRGBColor.h"

namespace {

constexpr std::size_t kPixels = std::size_t{3840} * 2160;

std::vector<unsigned char> NoisyPixels() {
  std::vector<unsigned char> pixels(kPixels * 4);
  std::uint32_t rng = 1;
  for (auto& b : pixels) {
    rng = rng * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(rng >> 24);
  }
  return pixels;
}

void SetRate(benchmark::State& state) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kPixels) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void BM_RgbToHlsAndBackPerPixel(benchmark::State& state) {
  const std::vector<unsigned char> pixels = NoisyPixels();
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
  SetRate(state);
}
BENCHMARK(BM_RgbToHlsAndBackPerPixel)->Unit(benchmark::kMillisecond);

void BM_RgbToHlsAndBackWholeBuffer(benchmark::State& state) {
  const std::vector<unsigned char> pixels = NoisyPixels();
  std::vector<float> hls(kPixels * 3);
  std::vector<unsigned char> out(pixels);
  for (auto _ : state) {
    KEPColourBuffers::RgbaToHls(pixels.data(), kPixels, hls.data());
    KEPColourBuffers::HlsToRgba(hls.data(), kPixels, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  SetRate(state);
}
BENCHMARK(BM_RgbToHlsAndBackWholeBuffer)->Unit(benchmark::kMillisecond);

void BM_RgbToLuminanceWholeBuffer(benchmark::State& state) {
  const std::vector<unsigned char> pixels = NoisyPixels();
  std::vector<float> y(kPixels);
  for (auto _ : state) {
    KEPColourBuffers::RgbaToLuminance(pixels.data(), kPixels, y.data());
    benchmark::DoNotOptimize(y.data());
  }
  SetRate(state);
}
BENCHMARK(BM_RgbToLuminanceWholeBuffer)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
