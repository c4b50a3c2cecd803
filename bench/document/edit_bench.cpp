// The geometric commands on a 4K frame, each measured against a plain copy
// of the frame's bytes (the most any pass over them can do): the kernels
// alone, then the commands as the document runs them, undo copy included.
// Undo and redo swap buffers, so their time must not grow with the image.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "paint/KEPGeometry.h"
#include "series/KEPAteloSeries.h"
#include "support/QtBench.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;
constexpr std::size_t kBytes = std::size_t{kWidth} * kHeight * 4;

std::vector<unsigned char> Frame(int width = kWidth, int height = kHeight) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 7);
  return pixels;
}

void ReportBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBytes);
}

// --- the physical limit --------------------------------------------------------------

void BM_Memcpy(benchmark::State& state) {
  const std::vector<unsigned char> source = Frame();
  std::vector<unsigned char> target(kBytes);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), kBytes);
    benchmark::ClobberMemory();
  }
  ReportBytes(state);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// --- kernels ---------------------------------------------------------------------------

void BM_RotateKernel(benchmark::State& state) {
  const std::vector<unsigned char> source = Frame();
  std::vector<unsigned char> target(kBytes);
  for (auto _ : state) {
    RotateBitmapInto(source, kWidth, kHeight, KEP_ROTATE_LEFT, target);
    benchmark::ClobberMemory();
  }
  ReportBytes(state);
}
BENCHMARK(BM_RotateKernel)->Unit(benchmark::kMillisecond);

void BM_FlipKernel(benchmark::State& state) {
  std::vector<unsigned char> pixels = Frame();
  const int code = static_cast<int>(state.range(0));
  for (auto _ : state) {
    FlipBitmapInPlace(pixels, kWidth, kHeight, code);
    benchmark::ClobberMemory();
  }
  ReportBytes(state);
}
BENCHMARK(BM_FlipKernel)
    ->Arg(KEP_FLIP_VERTICAL)
    ->Arg(KEP_FLIP_HORIZONTAL)
    ->Unit(benchmark::kMillisecond);

// A crop of the whole frame but a one-pixel border, by a rectangle mask.
void BM_CropKernel(benchmark::State& state) {
  std::vector<unsigned char> pixels = Frame();
  const std::vector<unsigned char> mask(std::size_t{kWidth - 2} * (kHeight - 2), 0);
  const KEPSelectionMask selection{mask, 1, 1, kWidth - 2, kHeight - 2};
  for (auto _ : state) {
    int w = kWidth, h = kHeight;
    benchmark::DoNotOptimize(ExtractMaskedPixels(pixels, w, h, selection, 0, false).data());
  }
  ReportBytes(state);
}
BENCHMARK(BM_CropKernel)->Unit(benchmark::kMillisecond);

// --- the commands in the document ------------------------------------------------------------

// A document (hidden, so that no painting is measured) holding one image of
// the given size.
struct Bench {
  explicit Bench(int width, int height) {
    const std::string& home = BenchHome();
    document = std::make_unique<KEPAteloDocument>("bench", 800, 600, std::vector<std::string>{},
                                                  KEPAteloDocument::STYLE_NO_TOOLBARS);
    auto* image = new KEPAtelIma((home + "/b.tif").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
    image->AllocatePixels(width, height);
    std::vector<unsigned char> pixels = Frame(width, height);
    std::memcpy(image->GetPixels(), pixels.data(), pixels.size());
    document->LinkImageToViewer(image);
    document->GetSeries()->AppendOneImage(image);
  }
  KEPAtelIma* Image() const { return document->GetPosImage(0); }
  std::unique_ptr<KEPAteloDocument> document;
};

void BM_DocumentTurn(benchmark::State& state) {
  Bench bench(kWidth, kHeight);
  for (auto _ : state) bench.document->ManipsAction(KEP_ROTATE_LEFT);
  ReportBytes(state);
}
BENCHMARK(BM_DocumentTurn)->Unit(benchmark::kMillisecond);

void BM_DocumentFlip(benchmark::State& state) {
  Bench bench(kWidth, kHeight);
  for (auto _ : state) bench.document->ManipsAction(KEP_FLIP_VERTICAL);
  ReportBytes(state);
}
BENCHMARK(BM_DocumentFlip)->Unit(benchmark::kMillisecond);

// Crop of all but a one-pixel border; an undo (a swap) restores the frame for
// the next round.
void BM_DocumentCrop(benchmark::State& state) {
  Bench bench(kWidth, kHeight);
  for (auto _ : state) {
    state.PauseTiming();  // the selection is the user's, not the crop's
    bench.document->SetSelectionMasque(
        1, 1, kWidth - 2, kHeight - 2,
        std::vector<unsigned char>(std::size_t{kWidth - 2} * (kHeight - 2), 0));
    state.ResumeTiming();
    bench.document->CropAction();
    bench.document->UndoAction();
  }
  ReportBytes(state);
}
BENCHMARK(BM_DocumentCrop)->Unit(benchmark::kMillisecond);

// Undo then redo, for a 1080p frame and a 4K one: the same time.
void BM_DocumentUndoRedo(benchmark::State& state) {
  Bench bench(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  bench.document->ManipsAction(KEP_FLIP_VERTICAL);
  for (auto _ : state) {
    bench.document->UndoAction();
    bench.document->RedoAction();
  }
}
BENCHMARK(BM_DocumentUndoRedo)
    ->Args({1920, 1080})
    ->Args({kWidth, kHeight})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv);
}
