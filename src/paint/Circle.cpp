// Digital circles traced as a closed chain of 8-connected steps.
#include <cmath>
#include <cstdint>

#include "paint/KEPRaster.h"
#include "paint/detail/RasterDetail.h"

namespace {

// The moves of directions 1..8, turning from (0, +1) through (+1, 0),
// (0, -1) and (-1, 0); index 0 is unused.
constexpr int kMoveX[9] = {0, 0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kMoveY[9] = {0, 1, 1, 0, -1, -1, -1, 0, 1};

// (axis, diagonal, next axis) of each quarter, starting at the leftmost point.
constexpr int kQuarters[4][3] = {{1, 2, 3}, {3, 4, 5}, {5, 6, 7}, {7, 8, 1}};

class CircleTrace {
 public:
  CircleTrace(int x, int y) : _x(x), _y(y) {}

  void Quarter(std::int64_t k0, const int (&dirs)[3]) {
    std::int64_t k = k0, e = k0 - 1, l = 1;
    while (k >= 0) {
      Append();
      if (e < 0) {
        k -= 2;
        if (2 * e + l < 0) {
          Move(dirs[2]);
          e += k;
        } else {
          l += 2;
          Move(dirs[1]);
          e += k - l;
        }
      } else {
        l += 2;
        if (2 * e - k >= 0) {
          Move(dirs[0]);
          e -= l;
        } else {
          k -= 2;
          Move(dirs[1]);
          e += k - l;
        }
      }
    }
  }

  std::vector<float> Points() const { return std::vector<float>(_points.begin(), _points.end()); }

 private:
  void Move(int dir) {
    _x += kMoveX[dir];
    _y += kMoveY[dir];
  }

  // Straight runs keep only their two ends.
  void Append() {
    const std::size_t n = _points.size();
    if (n >= 4) {
      const int x1 = _points[n - 4], y1 = _points[n - 3];
      const int x2 = _points[n - 2], y2 = _points[n - 1];
      if ((x1 == _x && x2 == _x) || (y1 == _y && y2 == _y)) {
        _points[n - 2] = _x;
        _points[n - 1] = _y;
        return;
      }
    }
    _points.push_back(_x);
    _points.push_back(_y);
  }

  // The start is within kCoordLimit and the radius below 2^21, so every
  // position fits an int.
  int _x, _y;
  std::vector<int> _points;
};

}  // namespace

std::vector<float> ComputeCircle(int width, int height, float offsetX, float offsetY,
                                 double centreX, double centreY, double radius) {
  if (!std::isfinite(centreX) || !std::isfinite(centreY) || !std::isfinite(radius)) return {};
  if (centreX + radius < offsetX ||
      centreX - radius >= static_cast<double>(static_cast<float>(width) + offsetX) ||
      centreY + radius < offsetY ||
      centreY - radius >= static_cast<double>(static_cast<float>(height) + offsetY)) {
    return {};
  }
  // Beyond this the chain would need more memory than any image could show.
  if (radius > KEP_MAX_CIRCLE_RADIUS) return {};
  const double startX = std::trunc(std::floor(centreX) - radius);
  const double startY = std::trunc(std::floor(centreY));
  if (std::fabs(startX) > kep_raster::kCoordLimit || std::fabs(startY) > kep_raster::kCoordLimit) {
    return {};
  }
  const auto k0 = static_cast<std::int64_t>(std::trunc(2.0 * radius - 1.0));
  CircleTrace trace(static_cast<int>(startX), static_cast<int>(startY));
  // Each quarter ends where the next begins; the fourth ends back at the
  // start, which is not listed twice.
  for (const auto& dirs : kQuarters) trace.Quarter(k0, dirs);
  return trace.Points();
}

void DrawCircle(std::span<unsigned char> buffer, int width, int height, float offsetX,
                float offsetY, double centreX, double centreY, double radius, KEPPaintColour colour,
                int thickness, float blend, int mode) {
  const std::vector<float> points =
      ComputeCircle(width, height, offsetX, offsetY, centreX, centreY, radius);
  if (points.empty()) return;
  DrawPolygon(buffer, width, height, offsetX, offsetY, points, colour, thickness, blend, mode);
}
