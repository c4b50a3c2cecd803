// The brush motif and the integer line that carries it.
#include "paint/KEPRaster.h"
#include "paint/detail/RasterDetail.h"
#include "paint/detail/Stroke.h"

namespace {

// Thickness at which each position around the centre joins the motif: a
// disc-like brush growing one ring per step, the full square at 8.
constexpr int kMotif[15][15] = {
    {8, 8, 8, 8, 8, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8}, {8, 8, 8, 7, 7, 6, 6, 6, 6, 6, 7, 7, 8, 8, 8},
    {8, 8, 7, 6, 6, 5, 5, 5, 5, 5, 6, 6, 7, 8, 8}, {8, 7, 6, 6, 5, 5, 4, 4, 4, 5, 5, 6, 6, 7, 8},
    {8, 7, 6, 5, 4, 4, 3, 3, 3, 4, 4, 5, 6, 7, 8}, {7, 6, 5, 5, 4, 3, 2, 2, 2, 3, 4, 5, 5, 6, 7},
    {7, 6, 5, 4, 3, 2, 1, 1, 1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6, 7},
    {7, 6, 5, 4, 3, 2, 1, 1, 1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 5, 4, 3, 2, 2, 2, 3, 4, 5, 5, 6, 7},
    {8, 7, 6, 5, 4, 4, 3, 3, 3, 4, 4, 5, 6, 7, 8}, {8, 7, 6, 6, 5, 5, 4, 4, 4, 5, 5, 6, 6, 7, 8},
    {8, 8, 7, 6, 6, 5, 5, 5, 5, 5, 6, 6, 7, 8, 8}, {8, 8, 8, 7, 7, 6, 6, 6, 6, 6, 7, 7, 8, 8, 8},
    {8, 8, 8, 8, 8, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8},
};

}  // namespace

int MotifEntry(int i, int j) {
  if (i < 0 || i > 14 || j < 0 || j > 14) return 9;
  return kMotif[i][j];
}

KEPMotifSpans::KEPMotifSpans(int thickness) {
  for (int i = 0; i < 15; ++i) {
    _first[i] = 15;
    _last[i] = -1;
    for (int j = 0; j < 15; ++j) {
      if (kMotif[i][j] <= thickness) {
        if (_first[i] > j) _first[i] = j;
        _last[i] = j;
      }
    }
  }
}

namespace kep_raster {

void StampMotif(unsigned char* buffer, int width, int height, const KEPPixelBlender& blender,
                const KEPMotifSpans& motif, std::int64_t x, std::int64_t y) {
  motif.ForEachRow(x, y, width, height, [&](int row, int x0, int x1) {
    const std::size_t start = (static_cast<std::size_t>(row) * width + x0) * 4;
    blender.ApplyRun(buffer + start, static_cast<std::size_t>(x1 - x0 + 1));
  });
}

void StrokeSegment(unsigned char* buffer, int width, int height, const KEPPixelBlender& blender,
                   const KEPMotifSpans& motif, int x1, int y1, int x2, int y2) {
  // A motif reaches 7 pixels from its centre; centres farther out draw nothing.
  WalkSegment(x1, y1, x2, y2, -7, std::int64_t{width} + 6, -7, std::int64_t{height} + 6,
              [&](std::int64_t x, std::int64_t y) {
                StampMotif(buffer, width, height, blender, motif, x, y);
              });
}

}  // namespace kep_raster

void DrawMotif(std::span<unsigned char> buffer, int width, int height, KEPPaintColour colour, int x,
               int y, int thickness, float blend) {
  if (!kep_raster::ValidBuffer(buffer, width, height)) return;
  const KEPPixelBlender blender(colour, blend);
  const KEPMotifSpans motif(thickness);
  kep_raster::StampMotif(buffer.data(), width, height, blender, motif, x, y);
}

void DrawSegment(std::span<unsigned char> buffer, int width, int height, KEPPaintColour colour,
                 int x1, int y1, int x2, int y2, int thickness, float blend) {
  if (!kep_raster::ValidBuffer(buffer, width, height)) return;
  const KEPPixelBlender blender(colour, blend);
  const KEPMotifSpans motif(thickness);
  kep_raster::StrokeSegment(buffer.data(), width, height, blender, motif, x1, y1, x2, y2);
}

std::vector<int> GetSegment(int width, int height, int x1, int y1, int x2, int y2) {
  std::vector<int> positions;
  if (width <= 0 || height <= 0) return positions;
  kep_raster::WalkSegment(x1, y1, x2, y2, 0, width - 1, 0, height - 1,
                          [&](std::int64_t x, std::int64_t y) {
                            if (!kep_raster::Inside(x, y, width, height)) return;
                            positions.push_back(static_cast<int>(x));
                            positions.push_back(static_cast<int>(y));
                          });
  return positions;
}
