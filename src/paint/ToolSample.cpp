// The tool samples of the settings window and the draw toolbar.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "paint/KEPToolSample.h"
#include "paint/detail/RasterDetail.h"

namespace {

// The layout's picture size; every point below is in its pixels.
constexpr float kLayoutWidth = 160.0f, kLayoutHeight = 100.0f;

constexpr float kRectangle[] = {40, 25, 120, 25, 120, 75, 40, 75};
constexpr float kFilledRectangle[] = {40, 25, 120, 25, 120, 75, 40, 75, 40, 25};
constexpr float kPolygon[] = {30, 50, 60, 75, 90, 70, 130, 80, 120, 25, 40, 20, 30, 50};
constexpr float kHand[] = {25, 45, 72, 71, 79,  71, 81,  69, 81,  66, 60,  35, 60,  32,
                           61, 31, 64, 31, 109, 55, 114, 57, 121, 59, 127, 60, 129, 59};
constexpr float kFilledHand[] = {33,  46, 36, 50, 56, 55, 60, 59, 59,  67, 55,  74, 55,  80,
                                 59,  84, 63, 85, 82, 83, 97, 75, 111, 60, 114, 51, 113, 30,
                                 107, 19, 99, 17, 82, 16, 51, 22, 44,  25, 34,  34, 33,  46};
constexpr int kSprayPath[] = {33, 54, 49, 64, 54,  66, 59,  67, 65,  67, 71,  63,
                              93, 34, 99, 30, 105, 30, 110, 31, 115, 33, 131, 43};
constexpr float kCentreX = 80.0f, kCentreY = 50.0f, kRadius = 30.0f;

// The layout scaled to the picture.
struct Layout {
  float sx, sy;
  Layout(int width, int height)
      : sx(static_cast<float>(width) / kLayoutWidth),
        sy(static_cast<float>(height) / kLayoutHeight) {}
  template <std::size_t N>
  std::vector<float> Points(const float (&points)[N]) const {
    std::vector<float> out(points, points + N);
    for (std::size_t k = 0; k < N; k += 2) {
      out[k] *= sx;
      out[k + 1] *= sy;
    }
    return out;
  }
  int X(float x) const { return static_cast<int>(std::floor(x * sx)); }
  int Y(float y) const { return static_cast<int>(std::floor(y * sy)); }
  double Radius() const { return kRadius * std::min(sx, sy); }
};

// The outline of a selection tool's shape, as a closed polygon.
std::vector<float> SelectionShape(const Layout& layout, int width, int height, int tool) {
  switch (tool) {
    case KEP_SAMPLE_SELECT_RECTANGLE:
      return layout.Points(kFilledRectangle);
    case KEP_SAMPLE_SELECT_POLYGON:
      return layout.Points(kPolygon);
    case KEP_SAMPLE_SELECT_HAND:
      return layout.Points(kFilledHand);
    case KEP_SAMPLE_SELECT_CIRCLE: {
      std::vector<float> circle = ComputeCircle(width, height, 0.0f, 0.0f, kCentreX * layout.sx,
                                                kCentreY * layout.sy, layout.Radius());
      if (circle.size() >= 2) circle.insert(circle.end(), {circle[0], circle[1]});
      return circle;
    }
    default:
      return {};
  }
}

// Black and white dashes, four pixels each, along the closed outline.
void DrawDashes(std::span<unsigned char> buffer, int width, int height,
                const std::vector<float>& shape) {
  static constexpr int kBlack[4] = {0, 0, 0, 255}, kWhite[4] = {255, 255, 255, 255};
  int step = 0;
  for (std::size_t k = 2; k + 1 < shape.size(); k += 2) {
    const std::vector<int> run =
        GetSegment(width, height, static_cast<int>(shape[k - 2]), static_cast<int>(shape[k - 1]),
                   static_cast<int>(shape[k]), static_cast<int>(shape[k + 1]));
    for (std::size_t p = 0; p + 1 < run.size(); p += 2, ++step)
      DrawMotif(buffer, width, height, (step / 4) % 2 ? kWhite : kBlack, run[p], run[p + 1], 0,
                0.0f);
  }
}

// Grey dots every fourth pixel on the selected side of the shape.
void DotSide(std::span<unsigned char> buffer, int width, int height,
             const std::vector<float>& shape, int side) {
  static constexpr int kGrey[4] = {128, 128, 128, 255};
  int maskWidth = 0, maskHeight = 0, originX = 0, originY = 0;
  const std::vector<unsigned char> mask =
      ComputeMaskFromPts(shape, width, height, 0.0f, 0.0f, maskWidth, maskHeight, originX, originY);
  for (int y = 2; y < height; y += 4) {
    for (int x = 2; x < width; x += 4) {
      const int mx = x - originX, my = y - originY;
      const bool inside = mx >= 0 && my >= 0 && mx < maskWidth && my < maskHeight &&
                          mask[static_cast<std::size_t>(my) * maskWidth + mx] == 0;
      if (inside == (side == 0)) DrawMotif(buffer, width, height, kGrey, x, y, 0, 0.0f);
    }
  }
}

}  // namespace

void DrawToolSample(std::span<unsigned char> buffer, int width, int height, int tool,
                    KEPPaintColour colour, const KEPToolParameters& p) {
  if (!kep_raster::ValidBuffer(buffer, width, height)) return;
  const Layout layout(width, height);
  switch (tool) {
    case KEP_SAMPLE_RECTANGLE:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kRectangle), colour, p.thickness,
                  p.blend, KEP_POLYGON_CLOSED);
      break;
    case KEP_SAMPLE_FILLED_RECTANGLE:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kFilledRectangle), colour, 0, p.blend,
                  KEP_POLYGON_FILLED);
      break;
    case KEP_SAMPLE_CIRCLE:
    case KEP_SAMPLE_FILLED_CIRCLE: {
      const bool filled = tool == KEP_SAMPLE_FILLED_CIRCLE;
      DrawCircle(buffer, width, height, 0, 0, kCentreX * layout.sx, kCentreY * layout.sy,
                 layout.Radius(), colour, filled ? 0 : p.thickness, p.blend,
                 filled ? KEP_POLYGON_FILLED : KEP_POLYGON_OPEN);
      break;
    }
    case KEP_SAMPLE_LINE:
      DrawSegment(buffer, width, height, colour, layout.X(40), layout.Y(25), layout.X(120),
                  layout.Y(75), p.thickness, p.blend);
      break;
    case KEP_SAMPLE_FILLED_POLYGON:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kPolygon), colour, 0, p.blend,
                  KEP_POLYGON_FILLED);
      break;
    case KEP_SAMPLE_HAND:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kHand), colour, p.thickness, p.blend,
                  KEP_POLYGON_OPEN);
      break;
    case KEP_SAMPLE_FILLED_HAND:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kFilledHand), colour, 0, p.blend,
                  KEP_POLYGON_FILLED);
      break;
    case KEP_SAMPLE_ERASER:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kHand), colour, p.thickness, 0.0f,
                  KEP_POLYGON_OPEN);
      break;
    case KEP_SAMPLE_SPRAY: {
      constexpr std::size_t n = std::size(kSprayPath) / 2;
      for (std::size_t k = 0; k + 1 < n; ++k)
        SpraySegment(buffer, width, height, layout.X(kSprayPath[2 * k]),
                     layout.Y(kSprayPath[2 * k + 1]), layout.X(kSprayPath[2 * k + 2]),
                     layout.Y(kSprayPath[2 * k + 3]), colour, p.radius, p.density, p.blend);
      break;
    }
    default:
      break;
  }
}

void DrawToolbarSample(std::span<unsigned char> buffer, int width, int height, int tool,
                       KEPPaintColour colour, const KEPToolParameters& p, int side,
                       unsigned char background) {
  if (!kep_raster::ValidBuffer(buffer, width, height)) return;
  const Layout layout(width, height);
  // Black, or white on a dark picture: an outline that shows on the
  // background.
  const int ink = background < 128 ? 255 : 0;
  const int outline[4] = {ink, ink, ink, 255};
  const int backgroundColour[4] = {background, background, background, background};
  switch (tool) {
    case KEP_SAMPLE_PAINT: {
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kFilledHand), outline, 0, 0.0f,
                  KEP_POLYGON_CLOSED);
      const int seedX = layout.X(kCentreX), seedY = layout.Y(kCentreY);
      const unsigned char* seed =
          buffer.data() + (static_cast<std::size_t>(seedY) * width + seedX) * 4;
      const int old[4] = {seed[0], seed[1], seed[2], seed[3]};
      bool changes = false;
      for (int k = 0; k < 4; ++k) changes |= colour[k] != 256 && colour[k] != old[k];
      if (changes) Paint(buffer, width, height, seedX, seedY, old, colour);
      break;
    }
    case KEP_SAMPLE_ERASER:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kFilledRectangle), colour, 0, 0.0f,
                  KEP_POLYGON_FILLED);
      DrawToolSample(buffer, width, height, tool, backgroundColour, p);
      break;
    case KEP_SAMPLE_COLOR:
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kFilledRectangle), colour, 0, 0.0f,
                  KEP_POLYGON_FILLED);
      DrawPolygon(buffer, width, height, 0, 0, layout.Points(kFilledRectangle), outline, 0, 0.0f,
                  KEP_POLYGON_CLOSED);
      break;
    case KEP_SAMPLE_SELECT_RECTANGLE:
    case KEP_SAMPLE_SELECT_POLYGON:
    case KEP_SAMPLE_SELECT_HAND:
    case KEP_SAMPLE_SELECT_CIRCLE: {
      const std::vector<float> shape = SelectionShape(layout, width, height, tool);
      DotSide(buffer, width, height, shape, side);
      DrawDashes(buffer, width, height, shape);
      break;
    }
    default:
      DrawToolSample(buffer, width, height, tool, colour, p);
      break;
  }
}
