// Cutting edges and polygons to the image rectangle, one axis at a time.
#include <cstdint>

#include "paint/KEPRaster.h"
#include "paint/detail/PolygonDetail.h"
#include "paint/detail/RasterDetail.h"

namespace {

enum : int { kLeft = 2, kRight = 4, kTop = 8, kBottom = 16 };

int Outcode(int v, int limit, int below, int above) {
  if (v < 0) return below;
  if (v >= limit) return above;
  return 0;
}

int ClipAxis(int& x1, int& y1, int& x2, int& y2, int limit, bool rows) {
  const int below = rows ? kTop : kLeft, above = rows ? kBottom : kRight;
  const int c1 = Outcode(rows ? y1 : x1, limit, below, above);
  const int c2 = Outcode(rows ? y2 : x2, limit, below, above);
  if ((c1 | c2) == 0) return 0;
  if (c1 & c2) return 4;
  int result = 0;
  if (c1) {
    Inter(x2, y2, x1, y1, c1, limit);
    result |= 1;
  }
  if (c2) {
    Inter(x1, y1, x2, y2, c2, limit);
    result |= 2;
  }
  return result;
}

// One pass of ClipPolygone over `in` (x, y pairs), appending to `out`.
void ClipPass(const std::vector<int>& in, int limit, bool rows, std::vector<int>& out) {
  const std::size_t n = in.size() / 2;
  out.clear();
  out.reserve(4 * n);
  for (std::size_t k = 0; k + 1 < n; ++k) {
    // Clip a copy: the next edge starts from this edge's end as it was.
    int x1 = in[2 * k], y1 = in[2 * k + 1], x2 = in[2 * k + 2], y2 = in[2 * k + 3];
    const int code = ClipAxis(x1, y1, x2, y2, limit, rows);
    if (code == 4) continue;
    out.push_back(x1);
    out.push_back(y1);
    if ((code & 2) || k + 2 == n) {
      out.push_back(x2);
      out.push_back(y2);
    }
  }
}

}  // namespace

void Inter(int ax, int ay, int& bx, int& by, int outcode, int limit) {
  const float dx = static_cast<float>(std::int64_t{bx} - ax);
  const float dy = static_cast<float>(std::int64_t{by} - ay);
  const float fax = static_cast<float>(ax), fay = static_cast<float>(ay);
  switch (outcode) {
    case kTop:
      if (dy != 0.0f) bx = kep_raster::TruncToInt(fax - fay * (dx / dy));
      by = 0;
      break;
    case kBottom:
      // The crossing is taken at y = limit and the end put on the last row.
      if (dy != 0.0f) {
        bx = kep_raster::TruncToInt(fax + static_cast<float>(std::int64_t{limit} - ay) * (dx / dy));
      }
      by = limit - 1;
      break;
    case kLeft:
      if (dx != 0.0f) by = kep_raster::TruncToInt(fay - fax * (dy / dx));
      bx = 0;
      break;
    case kRight:
      if (dx != 0.0f) {
        by = kep_raster::TruncToInt(fay + static_cast<float>(std::int64_t{limit} - ax) * (dy / dx));
      }
      bx = limit - 1;
      break;
    default:
      break;
  }
}

int ClipHorizontalLine(int& x1, int& y1, int& x2, int& y2, int height) {
  return ClipAxis(x1, y1, x2, y2, height, true);
}

int ClipVerticalLine(int& x1, int& y1, int& x2, int& y2, int width) {
  return ClipAxis(x1, y1, x2, y2, width, false);
}

namespace kep_raster {

std::vector<int> ClipToPixels(std::span<const float> points, int width, int height, float offsetX,
                              float offsetY) {
  std::vector<int> result;
  const std::size_t n = points.size() / 2;
  if (n < 1 || width <= 0 || height <= 0) return result;
  std::vector<int> pixels(2 * n);
  for (std::size_t k = 0; k < n; ++k) {
    pixels[2 * k] = PixelOf(points[2 * k], offsetX);
    pixels[2 * k + 1] = PixelOf(points[2 * k + 1], offsetY);
  }
  if (n == 1) {
    if (Inside(pixels[0], pixels[1], width, height)) result = pixels;
    return result;
  }
  std::vector<int> rows;
  ClipPass(pixels, height, true, rows);
  if (rows.empty()) return result;
  const std::size_t last = rows.size() - 2;
  if (rows[last] != rows[0] || rows[last + 1] != rows[1]) {
    rows.push_back(rows[0]);
    rows.push_back(rows[1]);
  }
  ClipPass(rows, width, false, result);
  return result;
}

}  // namespace kep_raster

std::vector<float> ClipPolygone(std::span<const float> points, int width, int height, float offsetX,
                                float offsetY) {
  const std::vector<int> pixels = kep_raster::ClipToPixels(points, width, height, offsetX, offsetY);
  return std::vector<float>(pixels.begin(), pixels.end());
}
