// A contact sheet of 64 renders of 1920 x 1080 on a 3840 x 2160 picture (8 x
// 8 patches of 480 x 270): the background gradient, the zooms, the patches,
// and the delivery of the sheet into the new picture as one patch.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "effects/KEPComposeSheet.h"
#include "image/KEPAtelIma.h"

namespace {

void BM_ComposeSheet(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::vector<std::unique_ptr<KEPAtelIma>> images;
  std::vector<KEPAtelIma*> series;
  for (int i = 0; i < count; ++i) {
    images.push_back(std::make_unique<KEPAtelIma>(KEPAtelIma::STATE_IN_MEMORY, 0u));
    images.back()->AllocatePixels(1920, 1080);
    std::memset(images.back()->GetPixels(), 40 + i, images.back()->GetMemorySize());
    series.push_back(images.back().get());
  }
  std::size_t lines = 0;
  for (auto _ : state) {
    KEPComposeSheet::Options options;
    options.grid = {3840, 2160, 8, 8, 480, 270};
    options.top[2] = 200;
    KEPAtelIma sheet(KEPAtelIma::STATE_IN_MEMORY, 0u), picture(KEPAtelIma::STATE_IN_MEMORY, 0u);
    sheet.AllocatePixels(3840, 2160);
    KEPComposeSheet::Build(
        sheet, series, options, [&](const std::string& text) { lines += text.size() > 0; },
        [](const char*) {});
    picture.AllocatePixels(3840, 2160);
    picture.PutPatch(0, 0, 3840, 2160, sheet.GetPixels());
    benchmark::DoNotOptimize(picture.GetPixels());
  }
  benchmark::DoNotOptimize(lines);
}
BENCHMARK(BM_ComposeSheet)
    ->Arg(64)
    ->ArgName("images")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
