// Continuous playback of 4K frames held in memory, through the real
// document window (offscreen) and its idle-time playback, with the real
// clock: the frame rate achieved (frames the viewer painted per second)
// against the one the delay asks for. The goal is 24 frames per second with
// a delay of 0.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QRegion>
#include <QSpinBox>
#include <memory>
#include <string>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloSeries.h"
#include "support/QtBench.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160, kFrames = 6, kPlayed = 48;

struct Player {
  std::unique_ptr<KEPAteloDocument> document;
  long paints = 0;
  long steps = 0;

  Player() {
    document =
        std::make_unique<KEPAteloDocument>("Playback", 1280, 720, std::vector<std::string>{}, 0);
    for (int k = 0; k < kFrames; ++k) {
      auto* frame = new KEPAtelIma(("frame" + std::to_string(k) + ".png").c_str(),
                                   KEPAtelIma::STATE_IN_MEMORY, 0u);
      if (frame->AllocatePixels(kWidth, kHeight) != 0) std::abort();
      unsigned char* p = frame->GetPixels();
      const std::size_t bytes = frame->GetMemorySize();
      for (std::size_t i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>(i * (k + 3) >> 8);
      frame->SetDone();
      document->GetSeries()->AppendOneImage(frame);
    }
    document->GetViewer()->SetPaintObserver([this](const QRegion&) { ++paints; });
    // Each step shows another frame, whose name is in the window title.
    QObject::connect(document.get(), &QWidget::windowTitleChanged, [this] { ++steps; });
    QCoreApplication::processEvents();
  }
};

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

Player& SharedPlayer() {
  static Player player;
  return player;
}

void BM_ContinuousPlayback4K(benchmark::State& state) {
  Player& p = SharedPlayer();
  const int delayMs = static_cast<int>(state.range(0));
  p.document->findChild<QSpinBox*>("delaySpinner")->setValue(delayMs);
  double frames = 0, seconds = 0, busy = 0, stepped = 0;
  for (auto _ : state) {
    p.paints = 0;
    p.steps = 0;
    QElapsedTimer clock;
    clock.start();
    const double started = ThreadSeconds();
    p.document->FastForwardSelection();
    // Blocking when nothing is due, so that the time counted is the player's.
    while (p.paints < kPlayed) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    seconds += clock.nsecsElapsed() * 1e-9;
    busy += ThreadSeconds() - started;
    frames += static_cast<double>(p.paints);
    stepped += static_cast<double>(p.steps);
    p.document->PauseSelection();
    QCoreApplication::processEvents();
  }
  state.counters["achieved_fps"] = frames / seconds;
  state.counters["requested_fps"] = delayMs > 0 ? 1000.0 / delayMs : 0.0;
  // The main thread's own time per frame shown: what a machine not shared
  // with other work would need, whatever the wall clock says.
  state.counters["cpu_ms_per_frame"] = 1000.0 * busy / frames;
  // Frames stepped to but never painted: none, or the animation skips.
  state.counters["unshown"] = (stepped - frames) / state.iterations();
}
BENCHMARK(BM_ContinuousPlayback4K)
    ->Arg(0)
    ->Arg(41)
    ->Arg(100)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv);
}
