// The airbrush: normally distributed dots by the polar method.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "paint/KEPRaster.h"
#include "paint/detail/KEPPixelBlender.h"
#include "paint/detail/RasterDetail.h"

namespace {

double DrawFromDrand48() {
  return drand48();
}

// One offset of the burst. The arithmetic is single precision where the
// result must match dot for dot, and the rejections restart the draw.
void NextOffset(double (*draw)(), int radius, std::int64_t& dx, std::int64_t& dy) {
  const float limit = std::fabs(static_cast<float>(radius));
  const std::int64_t r2 = std::int64_t{radius} * radius;
  for (;;) {
    const float u = static_cast<float>(2.0 * draw() - 1.0);
    const float v = static_cast<float>(2.0 * draw() - 1.0);
    const float s = u * u + v * v;
    if (s >= 1.0f) continue;
    const float t = static_cast<float>(-2.0 * std::log(static_cast<double>(s)) / s);
    const float f = t > 0.0f ? 0.5f * std::sqrt(t) : 0.0f;
    // s = 0 (both draws exactly 0.5) makes f infinite and u * f undefined;
    // the dot then lands on the centre, where u and v point.
    float ox = std::trunc(u * f * static_cast<float>(radius));
    float oy = std::trunc(v * f * static_cast<float>(radius));
    if (!(ox == ox)) ox = 0.0f;
    if (!(oy == oy)) oy = 0.0f;
    // Beyond the radius on one axis is beyond it on the disc too; testing
    // that first keeps the integer conversion in range.
    if (std::fabs(ox) > limit || std::fabs(oy) > limit) continue;
    dx = static_cast<std::int64_t>(ox);
    dy = static_cast<std::int64_t>(oy);
    if (dx * dx + dy * dy > r2) continue;
    return;
  }
}

void Burst(double (*draw)(), unsigned char* buffer, int width, int height, int cx, int cy,
           const KEPPixelBlender& blender, int radius, int count) {
  for (int dot = 0; dot < count; ++dot) {
    std::int64_t dx, dy;
    NextOffset(draw, radius, dx, dy);
    const std::int64_t x = cx + dx, y = cy + dy;
    // A dot outside the image still counts: the density must not grow near
    // a border.
    if (!kep_raster::Inside(x, y, width, height)) continue;
    blender.Apply(buffer + (static_cast<std::size_t>(y) * width + x) * 4);
  }
}

}  // namespace

void SprayWithSource(double (*draw)(), std::span<unsigned char> buffer, int width, int height,
                     int cx, int cy, KEPPaintColour colour, int radius, int count, float blend) {
  if (count < 1 || !draw || !kep_raster::ValidBuffer(buffer, width, height)) return;
  const KEPPixelBlender blender(colour, blend);
  Burst(draw, buffer.data(), width, height, cx, cy, blender, radius, count);
}

void Spray(std::span<unsigned char> buffer, int width, int height, int cx, int cy,
           KEPPaintColour colour, int radius, int count, float blend) {
  SprayWithSource(DrawFromDrand48, buffer, width, height, cx, cy, colour, radius, count, blend);
}

void SpraySegmentWithSource(double (*draw)(), std::span<unsigned char> buffer, int width,
                            int height, int x1, int y1, int x2, int y2, KEPPaintColour colour,
                            int radius, int count, float blend) {
  if (count < 1 || !draw || !kep_raster::ValidBuffer(buffer, width, height)) return;
  const std::vector<int> positions = GetSegment(width, height, x1, y1, x2, y2);
  if (positions.size() < 4) return;
  const KEPPixelBlender blender(colour, blend);
  for (std::size_t k = 2; k + 1 < positions.size(); k += 2) {
    Burst(draw, buffer.data(), width, height, positions[k], positions[k + 1], blender, radius,
          count);
  }
}

void SpraySegment(std::span<unsigned char> buffer, int width, int height, int x1, int y1, int x2,
                  int y2, KEPPaintColour colour, int radius, int count, float blend) {
  SpraySegmentWithSource(DrawFromDrand48, buffer, width, height, x1, y1, x2, y2, colour, radius,
                         count, blend);
}
