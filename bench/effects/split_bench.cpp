// Splitting a 16384 x 16384 file (1 GiB of pixels) into 256 tiles of 1024 x
// 1024: reading it, then cutting it. The peak resident memory of the run
// (VmHWM) is reported beside the image's size: the picture and its tiles
// are never held whole at the same time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "effects/KEPSplit.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"

namespace {

constexpr int kSide = 16384;

long ResidentPeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

void ResetResidentPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// The big file, written once per run of the benchmark.
const std::string& BigFile() {
  static const std::string path = [] {
    std::string name = "/tmp/atelo_split_bench_" + std::to_string(getpid()) + ".tif";
    KEPAtelIma image(name.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
    image.AllocatePixels(kSide, kSide);
    unsigned char* p = image.GetPixels();
    for (std::size_t i = 0; i < image.GetMemorySize(); ++i)
      p[i] = static_cast<unsigned char>(i * 7);
    char error[KEP_ERRMSG_SIZE] = {0};
    if (image.SaveImage(0, error, 0) != 0) std::fprintf(stderr, "%s\n", error);
    return name;
  }();
  return path;
}

void BM_SplitFile(benchmark::State& state) {
  const std::string& file = BigFile();
  long peak = 0;
  double cutSeconds = 0;
  for (auto _ : state) {
    ResetResidentPeak();
    const long before = ResidentPeakKiB();
    auto image = std::make_unique<KEPAtelIma>(file.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
    int width = 0, height = 0;
    char error[KEP_ERRMSG_SIZE] = {0};
    if (image->LoadPixels(width, height, error) != 0) {
      state.SkipWithError(error);
      break;
    }
    std::vector<std::unique_ptr<KEPAtelIma>> tiles;
    const auto start = std::chrono::steady_clock::now();
    KEPSplit::CutTiles(*image, {1024, 1024}, [&](std::unique_ptr<KEPAtelIma> tile, int, int) {
      tiles.push_back(std::move(tile));
      return true;
    });
    image.reset();
    cutSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    peak = ResidentPeakKiB() - before;
    benchmark::DoNotOptimize(tiles.data());
  }
  state.counters["cut_s"] = cutSeconds;
  state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
  state.counters["image_MiB"] = static_cast<double>(kSide) * kSide * 4 / (1 << 20);
}
BENCHMARK(BM_SplitFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::remove(BigFile().c_str());
  return 0;
}
