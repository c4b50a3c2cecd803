// Polygons: outline, edge mask, filling and the selection mask.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "paint/KEPRaster.h"
#include "paint/detail/KEPEdgeMask.h"
#include "paint/detail/PolygonDetail.h"
#include "paint/detail/RasterDetail.h"
#include "paint/detail/Stroke.h"

KEPEdgeMask::KEPEdgeMask(int left, int top, int width, int height)
    : _left(left),
      _top(top),
      _width(std::max(width, 0)),
      _height(std::max(height, 0)),
      _mask(static_cast<std::size_t>(_width) * _height, 1) {}

unsigned char* KEPEdgeMask::At(std::int64_t x, std::int64_t y) {
  x -= _left;
  y -= _top;
  if (x < 0 || y < 0 || x >= _width || y >= _height) return nullptr;
  return _mask.data() + static_cast<std::size_t>(y) * _width + x;
}

void KEPEdgeMask::Flip(std::int64_t x, std::int64_t y) {
  if (unsigned char* p = At(x, y)) *p = *p == 3 ? 4 : 3;
}

void KEPEdgeMask::Mark(std::int64_t x, std::int64_t y) {
  if (unsigned char* p = At(x, y)) *p = *p == 3 ? 3 : 4;
}

// Flips one pixel in each row from just below the upper end down to the lower
// end and marks the rest of the edge, so that a row crossed by the edge flips
// exactly once and a vertex where the outline turns back in y flips twice or
// never. Going up, the pixel flipped in a row is the last one walked in it.
void KEPEdgeMask::TraceEdge(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  const std::int64_t adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
  std::int64_t x = x0, y = y0, px = x0, py = y0;
  // (x, y) is the pixel just stepped to, (px, py) the one before it.
  const auto visit = [&] {
    if (y == py) {
      Mark(x, y);
    } else if (sy > 0) {
      Flip(x, y);
    } else {
      Mark(x, y);
      Flip(px, py);
    }
    px = x;
    py = y;
  };
  // The same stepping as a stroke's line, the first pixel (the previous
  // edge's last) left out.
  if (adx <= ady) {
    std::int64_t e = ady / 2;
    for (std::int64_t i = 0; i < ady; ++i) {
      e += adx;
      if (e >= ady) {
        e -= ady;
        x += sx;
      }
      y += sy;
      visit();
    }
    return;
  }
  std::int64_t e = adx / 2;
  for (std::int64_t i = 0; i < adx; ++i) {
    x += sx;
    e += ady;
    if (e >= adx) {
      e -= adx;
      y += sy;
    }
    visit();
  }
}

void KEPEdgeMask::Trace(std::span<const int> points) {
  const std::size_t n = points.size() / 2;
  if (n == 0) return;
  if (n == 1) {
    if (unsigned char* p = At(points[0], points[1])) *p = 4;
    return;
  }
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t next = k + 1 == n ? 0 : k + 1;
    TraceEdge(points[2 * k], points[2 * k + 1], points[2 * next], points[2 * next + 1]);
  }
}

namespace {

// (min x, min y, max x, max y) of at least one (x, y) pair.
template <class T>
std::array<T, 4> BoxOf(std::span<const T> points) {
  std::array<T, 4> box = {points[0], points[1], points[0], points[1]};
  for (std::size_t k = 1; k < points.size() / 2; ++k) {
    const T x = points[2 * k], y = points[2 * k + 1];
    if (x < box[0]) box[0] = x;
    if (y < box[1]) box[1] = y;
    if (x > box[2]) box[2] = x;
    if (y > box[3]) box[3] = y;
  }
  return box;
}

// Number of points once trailing copies of the first are dropped (at least 1).
template <class T>
std::size_t WithoutClosingCopies(std::span<const T> points) {
  std::size_t n = points.size() / 2;
  while (n > 1 && points[2 * n - 2] == points[0] && points[2 * n - 1] == points[1]) --n;
  return n;
}

// Edge mask of an already clipped polygon over its bounding box, which is
// also the box of the selection mask.
KEPEdgeMask EdgeMaskOfClipped(std::vector<int>& clipped) {
  const std::array<int, 4> box = BoxOf(std::span<const int>(clipped));
  KEPEdgeMask mask(box[0], box[1], box[2] - box[0] + 1, box[3] - box[1] + 1);
  clipped.resize(2 * WithoutClosingCopies(std::span<const int>(clipped)));
  mask.Trace(clipped);
  return mask;
}

}  // namespace

std::vector<float> GetMinMaxOfPointArray(std::span<const float> points) {
  if (points.size() < 2) return {};
  const std::array<float, 4> box = BoxOf(points);
  return std::vector<float>(box.begin(), box.end());
}

std::vector<unsigned char> MarkPolygonEdges(int width, int height, std::span<const float> points) {
  if (points.size() < 2 || width <= 0 || height <= 0) return {};
  const std::size_t n = WithoutClosingCopies(points);
  std::vector<int> pixels(2 * n);
  for (std::size_t k = 0; k < 2 * n; ++k) pixels[k] = kep_raster::TruncToInt(points[k]);
  KEPEdgeMask mask(0, 0, width, height);
  mask.Trace(pixels);
  return mask.Release();
}

void DrawPolygon(std::span<unsigned char> buffer, int width, int height, float offsetX,
                 float offsetY, std::span<const float> points, KEPPaintColour colour, int thickness,
                 float blend, int mode) {
  if (!kep_raster::ValidBuffer(buffer, width, height)) return;
  const std::size_t n = points.size() / 2;
  if (n < 1) return;
  const KEPPixelBlender blender(colour, blend);
  unsigned char* pixels = buffer.data();
  if (mode == KEP_POLYGON_FILLED) {
    std::vector<int> clipped = kep_raster::ClipToPixels(points, width, height, offsetX, offsetY);
    if (clipped.empty()) return;
    if (clipped.size() == 2) {
      if (kep_raster::Inside(clipped[0], clipped[1], width, height)) {
        blender.Apply(pixels + (static_cast<std::size_t>(clipped[1]) * width + clipped[0]) * 4);
      }
      return;
    }
    // The clipped polygon lies inside the image, so its box does too.
    const KEPEdgeMask mask = EdgeMaskOfClipped(clipped);
    for (int r = 0; r < mask.GetHeight(); ++r) {
      unsigned char* row =
          pixels + (static_cast<std::size_t>(mask.GetTop() + r) * width + mask.GetLeft()) * 4;
      KEPEdgeMask::ForEachInsideRun(mask.Row(r), mask.GetWidth(), [&](int x0, int x1) {
        blender.ApplyRun(row + 4 * static_cast<std::size_t>(x0), static_cast<std::size_t>(x1 - x0));
      });
    }
    return;
  }
  // Outline: no clipping, the motif drops the pixels outside.
  const KEPMotifSpans motif(thickness);
  int px = kep_raster::PixelOf(points[0], offsetX), py = kep_raster::PixelOf(points[1], offsetY);
  const int firstX = px, firstY = py;
  for (std::size_t k = 1; k < n; ++k) {
    const int x = kep_raster::PixelOf(points[2 * k], offsetX);
    const int y = kep_raster::PixelOf(points[2 * k + 1], offsetY);
    kep_raster::StrokeSegment(pixels, width, height, blender, motif, px, py, x, y);
    px = x;
    py = y;
  }
  if (mode == KEP_POLYGON_CLOSED) {
    kep_raster::StrokeSegment(pixels, width, height, blender, motif, px, py, firstX, firstY);
  }
}

std::vector<unsigned char> ComputeMaskFromPts(std::span<const float> points, int width, int height,
                                              float offsetX, float offsetY, int& maskWidth,
                                              int& maskHeight, int& originX, int& originY) {
  maskWidth = maskHeight = originX = originY = 0;
  std::vector<int> clipped = kep_raster::ClipToPixels(points, width, height, offsetX, offsetY);
  if (clipped.empty()) return {};
  KEPEdgeMask edges = EdgeMaskOfClipped(clipped);
  std::vector<unsigned char> mask = edges.Release();
  // The selection mask covers the same box and uses 1 for "outside" too, so
  // the edge mask becomes the selection mask in place: the pixels that belong
  // to the polygon turn 0. A run is reported only once the scan has passed
  // it, so the bytes written are never read again.
  const int w = edges.GetWidth();
  for (int r = 0; r < edges.GetHeight(); ++r) {
    unsigned char* row = mask.data() + static_cast<std::size_t>(r) * w;
    KEPEdgeMask::ForEachInsideRun(row, w, [&](int x0, int x1) {
      std::memset(row + x0, 0, static_cast<std::size_t>(x1 - x0));
    });
  }
  maskWidth = w;
  maskHeight = edges.GetHeight();
  originX = edges.GetLeft();
  originY = edges.GetTop();
  return mask;
}
