// The colour and luminosity analyses on a 3840 x 2160 area: the reduced
// control copy the windows redo while a slider moves (made once from the
// area, then analysed), and the analysis applied to the whole area.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "effects/KEPAnalysisArea.h"
#include "effects/KEPLightAnalysis.h"
#include "effects/KEPLuminosityAnalysis.h"
#include "effects/KEPLuminosityShading.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;

// A smooth picture with noise: bands of every width, as a render has.
const std::vector<unsigned char>& Picture() {
  static const std::vector<unsigned char> pixels = [] {
    std::vector<unsigned char> p(std::size_t{kWidth} * kHeight * 4);
    std::uint32_t rng = 1;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        rng = rng * 1664525u + 1013904223u;
        unsigned char* q = &p[(static_cast<std::size_t>(y) * kWidth + x) * 4];
        q[0] = static_cast<unsigned char>(x * 255 / kWidth);
        q[1] = static_cast<unsigned char>(y * 255 / kHeight);
        q[2] = static_cast<unsigned char>(rng >> 29);
        q[3] = 255;
      }
    }
    return p;
  }();
  return pixels;
}

// The analysis applied to the 4K area, from a kept copy into the picture.
template <class Analyse>
void RunFull(benchmark::State& state, Analyse analyse) {
  const std::vector<unsigned char>& src = Picture();
  std::vector<unsigned char> dst(src.size());
  const KEPAnalysisArea area(kWidth, kHeight);
  for (auto _ : state) {
    analyse(src.data(), dst.data(), kWidth, kHeight, area);
    benchmark::DoNotOptimize(dst.data());
  }
}

// The control copy made from the 4K area, then analysed.
template <class Analyse>
void RunControl(benchmark::State& state, Analyse analyse) {
  const std::vector<unsigned char>& src = Picture();
  const KEPAnalysisArea area(kWidth, kHeight);
  int cw = 0, ch = 0;
  KEPAnalysisArea::ControlSize(kWidth, kHeight, cw, ch);
  for (auto _ : state) {
    std::vector<unsigned char> control = area.MakeControlPixels(src.data(), kWidth, cw, ch);
    const KEPAnalysisArea controlArea = area.MakeControlArea(cw, ch);
    std::vector<unsigned char> analysed(control.size());
    analyse(control.data(), analysed.data(), cw, ch, controlArea);
    benchmark::DoNotOptimize(analysed.data());
  }
}

auto LightAnalysis() {
  return
      [](const unsigned char* src, unsigned char* dst, int w, int h, const KEPAnalysisArea& area) {
        KEPLightSettings settings;
        settings.selected.Set(30.0f, 0.4f, 0.6f);
        settings.huePrecision = 0.3f;
        settings.lightPrecision = 0.3f;
        KEPLightAnalysis::AnalyseImage(src, dst, w, h, area, settings);
      };
}

auto LuminosityAnalysis(int type, short outlines) {
  return [type, outlines](const unsigned char* src, unsigned char* dst, int w, int h,
                          const KEPAnalysisArea& area) {
    KEPLuminositySettings settings;
    settings.type = type;
    settings.outlines = outlines;
    KEPLuminosityShading shading;
    shading.InitSortedShadingStep(&settings.levels[0], &settings.levels[1], &settings.levels[2]);
    float smallest = 0, largest = 0;
    KEPLuminosityAnalysis::AnalyseImage(src, dst, w, h, area, settings, shading, smallest, largest);
  };
}

void BM_ColourControlCopy(benchmark::State& state) {
  RunControl(state, LightAnalysis());
}
void BM_ColourFullApply(benchmark::State& state) {
  RunFull(state, LightAnalysis());
}
void BM_LuminosityControlCopy(benchmark::State& state) {
  RunControl(state, LuminosityAnalysis(KEPLuminositySettings::TYPE_LUMINOSITY, 1));
}
void BM_LuminosityFullApply(benchmark::State& state) {
  RunFull(state, LuminosityAnalysis(KEPLuminositySettings::TYPE_LUMINOSITY, 0));
}
void BM_LuminosityOutlinesFullApply(benchmark::State& state) {
  RunFull(state, LuminosityAnalysis(KEPLuminositySettings::TYPE_LUMINOSITY, 1));
}
void BM_ContrastControlCopy(benchmark::State& state) {
  RunControl(state, LuminosityAnalysis(KEPLuminositySettings::TYPE_CONTRAST, 0));
}
void BM_ContrastFullApply(benchmark::State& state) {
  RunFull(state, LuminosityAnalysis(KEPLuminositySettings::TYPE_CONTRAST, 0));
}

BENCHMARK(BM_ColourControlCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColourFullApply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LuminosityControlCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LuminosityFullApply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LuminosityOutlinesFullApply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContrastControlCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContrastFullApply)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
