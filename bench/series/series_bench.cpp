// Opening a long series file: 20,000 image names read and put in the list,
// labels made unique. The goal is a few seconds at most for 20,000 lines,
// and time that grows with the number of lines, not its square; the same
// for closing them all.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/KEPErrmsg.h"
#include "series/KEPAteloSeries.h"
#include "series/KEPAteloSeriesHost.h"
#include "support/QtBench.h"

namespace {

// A document that shows nothing and takes every default answer.
class QuietHost : public KEPAteloSeriesHost {
 public:
  int GetModeAff() const override { return MODE_RENDER_VISU_OFF; }
  std::string GetTitle() const override { return "bench"; }
  QWidget* GetPromptParent() override { return nullptr; }
  void RenderMessage(int, const char*) override {}
  void RenderEnd() override {}
  void DisplayError() override {}
  int GetKeepMode() const override { return 1; }
  void SetKeepMode(int) override {}
  int GetWriteMode() const override { return 0; }
  void SetWriteMode(int) override {}
  int GetIncrementMode() const override { return 0; }
  void SetIncrementMode(int) override {}
  int GetPromptMode() const override { return 0; }
  int GetSplitMode() const override { return 0; }
  std::int64_t GetSplitSize() const override { return 0; }
  int GetMergeLogoMode() const override { return 0; }
  void LinkImageToViewer(KEPAtelIma*) override {}
  void UpdateImage() override {}
  void RemoveImageRep(KEPAtelIma*) override {}
  bool IsStereoActivate() const override { return false; }
  void PromptIfOddImageNumber(int) override {}
  void OpenAction() override {}
  void SaveAsAction(int) override {}
};

// A directory of empty image files and two series files over them: one
// name per frame, and one name on every line (each line then needs a label
// of its own).
class Files {
 public:
  explicit Files(int lines) {
    char pattern[] = "/tmp/atelo-series-bench-XXXXXX";
    _dir = ::mkdtemp(pattern);
    std::ofstream distinct(_dir + "/frames.series"), same(_dir + "/same.series");
    for (int i = 0; i < lines; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "/frame.%05d.tif", i);
      std::ofstream(_dir + name).put('\0');
      distinct << _dir << name << "\n";
      same << _dir << "/frame.00000.tif\n";
    }
  }
  ~Files() { std::filesystem::remove_all(_dir); }
  std::string Series(const char* name) const { return _dir + "/" + name; }

 private:
  std::string _dir;
};

void Load(benchmark::State& state, const char* file) {
  const int lines = static_cast<int>(state.range(0));
  Files files(lines);
  QuietHost host;
  for (auto _ : state) {
    auto series = std::make_unique<KEPAteloSeries>(&host);
    // Not selected: the files are empty, and showing one is not the list's
    // work.
    if (series->InsertSeries(files.Series(file).c_str(), 0) != 0) state.SkipWithError(errmsg);
    state.PauseTiming();
    if (series->GetNbrImage() != lines) {
      state.SkipWithError("not every line was inserted");
    }
    series.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * lines);
}

void BM_LoadSeriesOfDistinctNames(benchmark::State& state) {
  Load(state, "frames.series");
}
void BM_LoadSeriesOfOneName(benchmark::State& state) {
  Load(state, "same.series");
}

// Closing every image of a long series (File > Close All, or Exit).
void BM_CloseAllImages(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  Files files(lines);
  QuietHost host;
  for (auto _ : state) {
    state.PauseTiming();
    auto series = std::make_unique<KEPAteloSeries>(&host);
    if (series->InsertSeries(files.Series("frames.series").c_str(), 0) != 0)
      state.SkipWithError(errmsg);
    state.ResumeTiming();
    series->CloseAllImages();
    state.PauseTiming();
    if (series->GetNbrImage() != 0) state.SkipWithError("an image stayed");
    series.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * lines);
}

BENCHMARK(BM_LoadSeriesOfDistinctNames)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_LoadSeriesOfOneName)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK(BM_CloseAllImages)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv);
}
