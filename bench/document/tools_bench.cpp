// Drawing on a 4K frame through the real document, shown offscreen: each
// pointer event goes into the viewer as the window system would send it,
// and the viewer's repaint of the changed area is run before the next one,
// so the time per event is what a user waits for between two pointer
// samples (a 240 Hz pointer leaves about 4 ms).
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <vector>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloSeries.h"
#include "support/QtBench.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;
constexpr int kStrokeEvents = 500;

// A shown document holding one 4K image, with its draw toolbar.
struct Scene {
  Scene() {
    const std::string& home = BenchHome();
    document = std::make_unique<KEPAteloDocument>("bench", 1280, 800, std::vector<std::string>{},
                                                  KEPAteloDocument::STYLE_NO_TOOLBARS);
    auto* image = new KEPAtelIma((home + "/b.tif").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
    image->AllocatePixels(kWidth, kHeight);
    std::memset(image->GetPixels(), 200, image->GetMemorySize());
    document->LinkImageToViewer(image);
    document->GetSeries()->AppendOneImage(image);
    document->AddAndDisplayImage(image);
    document->ShowDrawToolBar(true);
    document->show();
    Flush();
  }
  KEP2DViewer* Viewer() const { return document->GetViewer(); }
  void Tool(const char* button) {
    QAction* action = document->FindAction(button);
    if (!action->isChecked()) action->trigger();
  }
  // Runs the pending paint now, the way the event loop would.
  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::processEvents();
  }
  void Send(QEvent::Type type, const KEPMathPoint2Df& view) {
    const QPointF at = Viewer()->ViewToWidget(view);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, Viewer()->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(Viewer(), &event);
    Flush();
  }
  std::unique_ptr<KEPAteloDocument> document;
};

// A figure of eight over the middle of the view, about 4 screen pixels
// between two events (a quick stroke at 240 Hz).
std::vector<KEPMathPoint2Df> StrokePath(float zoom) {
  std::vector<KEPMathPoint2Df> path;
  for (int k = 0; k < kStrokeEvents; ++k) {
    const double t = 2.0 * std::numbers::pi * k / kStrokeEvents;
    path.emplace_back(static_cast<float>(300.0 * std::sin(t) / zoom),
                      static_cast<float>(160.0 * std::sin(2.0 * t) / zoom));
  }
  return path;
}

// One stroke of 500 events per iteration (press, moves, release) with the
// brush of thickness 8, at 100% and at a zoom that shows the whole frame.
void BM_FreeHandStroke(benchmark::State& state) {
  Scene scene;
  const float zoom = static_cast<float>(state.range(0)) / 100.0f;
  scene.Viewer()->Reframe(KEPMathPoint2Df(0.0f, 0.0f), zoom);
  scene.Flush();
  scene.document->SetDrawParams(8, 0.0f, 10, 12);
  scene.Tool("handButton");
  const std::vector<KEPMathPoint2Df> path = StrokePath(zoom);
  using Clock = std::chrono::steady_clock;
  double first = 0;
  std::vector<double> moves;
  for (auto _ : state) {
    for (int k = 0; k < kStrokeEvents; ++k) {
      const auto start = Clock::now();
      scene.Send(k == 0                   ? QEvent::MouseButtonPress
                 : k == kStrokeEvents - 1 ? QEvent::MouseButtonRelease
                                          : QEvent::MouseMove,
                 path[k]);
      const double took = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
      if (k == 0)
        first = std::max(first, took);
      else
        moves.push_back(took);
    }
  }
  state.counters["per_event"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kStrokeEvents,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  // The press keeps the frame's undo copy; the moves draw only.
  state.counters["press_us"] = first;
  std::sort(moves.begin(), moves.end());
  if (!moves.empty()) {
    state.counters["p99_move_us"] = moves[moves.size() * 99 / 100];
    state.counters["worst_move_us"] = moves.back();
  }
}
BENCHMARK(BM_FreeHandStroke)
    ->Arg(100)
    ->Arg(30)
    ->ArgName("zoom%")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A fill of the whole uniform frame, back and forth between two colours:
// the press, the undo copy, the fill and the repaint.
void BM_FloodFillWholeFrame(benchmark::State& state) {
  Scene scene;
  scene.Viewer()->Reframe(KEPMathPoint2Df(0.0f, 0.0f), 0.3f);
  scene.Flush();
  scene.Tool("paintButton");
  bool dark = false;
  for (auto _ : state) {
    dark = !dark;
    scene.document->SetColor(dark ? 20 : 200, dark ? 20 : 200, dark ? 20 : 200, 200);
    scene.Send(QEvent::MouseButtonPress, KEPMathPoint2Df(10.0f, 10.0f));
    scene.Send(QEvent::MouseButtonRelease, KEPMathPoint2Df(10.0f, 10.0f));
  }
  if (scene.document->GetPosImage(0)->GetPixels()[0] != (dark ? 20 : 200))
    state.SkipWithError("the fill did not cover the frame");
}
BENCHMARK(BM_FloodFillWholeFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv);
}
