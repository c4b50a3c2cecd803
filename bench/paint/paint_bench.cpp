// Throughput of the raster hot paths on a 4K frame, in megapixels per second.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "paint/KEPRaster.h"
#include "paint/Maze.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;
constexpr double kFramePixels = double{kWidth} * kHeight;

void ReportMegapixels(benchmark::State& state, double pixelsPerIteration) {
  state.counters["MP/s"] =
      benchmark::Counter(pixelsPerIteration / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Each iteration fills the region back and forth between two colours, so the
// image never needs resetting.
void BM_FillUniform(benchmark::State& state) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
  std::array<int, 4> a = {0, 0, 0, 0}, b = {255, 128, 0, 0};
  for (auto _ : state) {
    Paint(pixels, kWidth, kHeight, kWidth / 2, kHeight / 2, a, b);
    std::swap(a, b);
    benchmark::ClobberMemory();
  }
  ReportMegapixels(state, kFramePixels);
}
BENCHMARK(BM_FillUniform)->Unit(benchmark::kMillisecond);

void BM_FillMaze(benchmark::State& state) {
  std::vector<unsigned char> pixels;
  const unsigned char wall[4] = {0, 0, 0, 255}, corridor[4] = {0, 0, 0, 0};
  const std::size_t corridors = CarveMaze(pixels, kWidth, kHeight, wall, corridor);
  std::array<int, 4> a = {0, 0, 0, 0}, b = {255, 128, 0, 0};
  for (auto _ : state) {
    Paint(pixels, kWidth, kHeight, 1, 1, a, b);
    std::swap(a, b);
    benchmark::ClobberMemory();
  }
  // Measured against the whole frame, like the uniform fill; the corridors
  // are about half of it.
  ReportMegapixels(state, kFramePixels);
  state.counters["corridor MP/s"] = benchmark::Counter(
      static_cast<double>(corridors) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FillMaze)->Unit(benchmark::kMillisecond);

// A star-like polygon of 1000 vertices around the frame's centre, reaching
// from a third of the way out to the border, in view coordinates.
std::vector<float> Polygon1000() {
  std::vector<float> points;
  std::uint32_t rng = 12345;
  for (int k = 0; k < 1000; ++k) {
    rng = rng * 1664525u + 1013904223u;
    const double t = 2.0 * std::numbers::pi * k / 1000.0;
    const double r = 0.33 + 0.67 * (rng >> 8) / double(1 << 24);
    points.push_back(static_cast<float>(kWidth / 2 + r * (kWidth / 2 - 1) * std::cos(t)) + 0.5f);
    points.push_back(static_cast<float>(kHeight / 2 + r * (kHeight / 2 - 1) * std::sin(t)) + 0.5f);
  }
  return points;
}

void BM_FilledPolygon(benchmark::State& state) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
  const std::vector<float> points = Polygon1000();
  const float blend = static_cast<float>(state.range(0)) / 100.0f;
  const std::array<int, 4> colour = {255, 64, 0, 256};
  for (auto _ : state) {
    DrawPolygon(pixels, kWidth, kHeight, 0, 0, points, colour, 0, blend, KEP_POLYGON_FILLED);
    benchmark::ClobberMemory();
  }
  ReportMegapixels(state, kFramePixels);
}
BENCHMARK(BM_FilledPolygon)->Arg(0)->Arg(50)->ArgName("blend%")->Unit(benchmark::kMillisecond);

void BM_ComputeMaskFromPts(benchmark::State& state) {
  const std::vector<float> points = Polygon1000();
  for (auto _ : state) {
    int w, h, x, y;
    auto mask = ComputeMaskFromPts(points, kWidth, kHeight, 0, 0, w, h, x, y);
    benchmark::DoNotOptimize(mask.data());
  }
  ReportMegapixels(state, kFramePixels);
}
BENCHMARK(BM_ComputeMaskFromPts)->Unit(benchmark::kMillisecond);

void BM_DrawSegmentThickness7(benchmark::State& state) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
  const float blend = static_cast<float>(state.range(0)) / 100.0f;
  const std::array<int, 4> colour = {0, 200, 255, 256};
  int motif = 0;
  for (int i = 0; i < 15; ++i) {
    for (int j = 0; j < 15; ++j) motif += MotifEntry(i, j) <= 7;
  }
  // Four long strokes: the diagonals and the two middle lines.
  const int strokes[4][4] = {{0, 0, kWidth - 1, kHeight - 1},
                             {0, kHeight - 1, kWidth - 1, 0},
                             {0, kHeight / 2, kWidth - 1, kHeight / 2},
                             {kWidth / 2, 0, kWidth / 2, kHeight - 1}};
  double steps = 0;
  for (const auto& s : strokes) {
    steps += std::max(std::abs(s[2] - s[0]), std::abs(s[3] - s[1])) + 1;
  }
  for (auto _ : state) {
    for (const auto& s : strokes) {
      DrawSegment(pixels, kWidth, kHeight, colour, s[0], s[1], s[2], s[3], 7, blend);
    }
    benchmark::ClobberMemory();
  }
  // Pixels written: every step stamps the whole motif.
  ReportMegapixels(state, steps * motif);
}
BENCHMARK(BM_DrawSegmentThickness7)->Arg(0)->Arg(50)->ArgName("blend%");

}  // namespace

BENCHMARK_MAIN();
