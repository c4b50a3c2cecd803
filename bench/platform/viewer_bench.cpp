// Cost of showing a 4K render in a typical window: a full redraw at three
// zooms, and the redraw of one 64 x 64 patch as a render streams in.
// Offscreen, so it runs without a display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRegion>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "platform/viewer/KEPPixelSampling.h"
#include "support/QtBench.h"

namespace {

constexpr int kImageWidth = 3840, kImageHeight = 2160;
constexpr int kViewWidth = 1280, kViewHeight = 800;

struct Scene {
  std::vector<unsigned char> pixels;
  std::unique_ptr<KEP2DViewer> viewer;
  std::unique_ptr<KEPCatalog2DImagePixelRep> rep;
  long paintedPixels = 0;

  Scene() : pixels(static_cast<std::size_t>(kImageWidth) * kImageHeight * 4) {
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 7);
    viewer = std::make_unique<KEP2DViewer>(nullptr, kViewWidth, kViewHeight);
    rep = std::make_unique<KEPCatalog2DImagePixelRep>(pixels.data(), kImageWidth, kImageHeight,
                                                      -0.5f * kImageWidth, -0.5f * kImageHeight);
    viewer->AddRep(rep.get());
    viewer->show();
    Flush();
    viewer->SetPaintObserver([this](const QRegion& region) {
      for (const QRect& r : region) paintedPixels += static_cast<long>(r.width()) * r.height();
    });
  }
  // Runs the pending paint now, the way the event loop would.
  void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }
};

Scene& SharedScene() {
  static Scene scene;
  return scene;
}

void BM_FullRedraw(benchmark::State& state) {
  Scene& s = SharedScene();
  s.viewer->GetViewpoint().Set(KEPMathPoint2Df(0, 0), static_cast<float>(state.range(0)) / 100.0f);
  s.Flush();
  s.paintedPixels = 0;
  for (auto _ : state) s.viewer->repaint();
  state.counters["painted_px"] =
      benchmark::Counter(static_cast<double>(s.paintedPixels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FullRedraw)->Arg(25)->Arg(100)->Arg(800)->Unit(benchmark::kMillisecond);

void BM_PatchUpdate(benchmark::State& state) {
  Scene& s = SharedScene();
  s.viewer->GetViewpoint().Set(KEPMathPoint2Df(0, 0), static_cast<float>(state.range(0)) / 100.0f);
  s.Flush();
  s.paintedPixels = 0;
  // A patch at the centre, so that it is on screen at every zoom (at zoom 8
  // the window shows only 160 x 100 pixels); it shifts a little each time
  // so that no two updates coincide.
  int step = 0;
  for (auto _ : state) {
    int x = kImageWidth / 2 - 32 + (step % 2) * 16;
    int y = kImageHeight / 2 - 32 + (step / 2 % 2) * 16;
    ++step;
    s.rep->UpdatePatch(x, y, 64, 64);
    s.Flush();
  }
  state.counters["painted_px"] =
      benchmark::Counter(static_cast<double>(s.paintedPixels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PatchUpdate)->Arg(25)->Arg(100)->Arg(800)->Unit(benchmark::kMillisecond);

// A zoomed-out redraw just after the whole buffer changed: it rebuilds the
// half-size copies first.
void BM_RedrawAfterWholeChange(benchmark::State& state) {
  Scene& s = SharedScene();
  s.viewer->GetViewpoint().Set(KEPMathPoint2Df(0, 0), 0.25f);
  s.Flush();
  for (auto _ : state) {
    s.rep->UpdatePixels();
    s.viewer->repaint();
  }
}
BENCHMARK(BM_RedrawAfterWholeChange)->Unit(benchmark::kMillisecond);

// The pixel work alone, without the toolkit: a window's worth at zoom 1.
void BM_ResampleOnly(benchmark::State& state) {
  Scene& s = SharedScene();
  std::vector<std::uint32_t> target(static_cast<std::size_t>(kViewWidth) * kViewHeight);
  KEPSampleAxis cols = KEPBuildSampleAxis(1000.0, 1.0, kViewWidth, 1, kImageWidth);
  KEPSampleAxis rows = KEPBuildSampleAxis(1500.0, -1.0, kViewHeight, 1, kImageHeight);
  for (auto _ : state) {
    KEPResamplePixels(s.pixels.data(), kImageWidth, cols, rows, KEPPixelBlend::kOpaque,
                      target.data(), kViewWidth);
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_ResampleOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv);
}
