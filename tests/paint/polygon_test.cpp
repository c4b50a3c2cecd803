#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "paint/KEPRaster.h"
#include "paint/RasterImage.h"

namespace {

using Pixel = RasterImage::Pixel;
using Floats = std::vector<float>;

struct Ends {
  int x1, y1, x2, y2;
  bool operator==(const Ends&) const = default;
};

TEST(Clip, HorizontalCodesAndMoves) {
  Ends e{1, 2, 3, 4};
  EXPECT_EQ(ClipHorizontalLine(e.x1, e.y1, e.x2, e.y2, 5), 0);
  EXPECT_EQ(e, (Ends{1, 2, 3, 4}));
  e = {0, -1, 9, -7};
  EXPECT_EQ(ClipHorizontalLine(e.x1, e.y1, e.x2, e.y2, 5), 4);
  e = {0, -10, 0, 10};
  EXPECT_EQ(ClipHorizontalLine(e.x1, e.y1, e.x2, e.y2, 20), 1);
  EXPECT_EQ(e, (Ends{0, 0, 0, 10}));
  // Both ends move; the lower crossing is taken at y = 5 (x = 5) and the end
  // is then put on row 4.
  e = {-10, -10, 10, 10};
  EXPECT_EQ(ClipHorizontalLine(e.x1, e.y1, e.x2, e.y2, 5), 3);
  EXPECT_EQ(e, (Ends{0, 0, 5, 4}));
}

TEST(Clip, VerticalCodesAndMoves) {
  Ends e{-4, 2, 6, 7};
  // End 1 onto x = 0 at y = 7 - 6 * 0.5; end 2 crosses x = 4 at y = 4 + 2.
  EXPECT_EQ(ClipVerticalLine(e.x1, e.y1, e.x2, e.y2, 4), 3);
  EXPECT_EQ(e, (Ends{0, 4, 3, 6}));
  e = {-1, 0, -5, 9};
  EXPECT_EQ(ClipVerticalLine(e.x1, e.y1, e.x2, e.y2, 4), 4);
  e = {2, 0, 7, 5};
  EXPECT_EQ(ClipVerticalLine(e.x1, e.y1, e.x2, e.y2, 4), 2);
  EXPECT_EQ(e, (Ends{2, 0, 3, 2}));
}

TEST(Clip, InterTruncatesTowardZero) {
  int bx = -1, by = -2;
  Inter(3, 0, bx, by, 2, 10);  // y = 0 - 3 * 0.5 = -1.5
  EXPECT_EQ(bx, 0);
  EXPECT_EQ(by, -1);
}

TEST(ClipPolygon, SinglePointsTakeTheirPixel) {
  EXPECT_EQ(ClipPolygone(Floats{3.7f, 2.2f}, 10, 10, 0.5f, 0.0f), (Floats{3, 2}));
  EXPECT_TRUE(ClipPolygone(Floats{-0.1f, 2.0f}, 10, 10, 0.0f, 0.0f).empty());
  EXPECT_TRUE(ClipPolygone(Floats{}, 10, 10, 0.0f, 0.0f).empty());
}

TEST(ClipPolygon, ClosesTheListAndCutsAtTheBorders) {
  const Floats square = {1, 1, 4, 1, 4, 3, 1, 3, 1, 1};
  EXPECT_EQ(ClipPolygone(square, 10, 10, 0, 0), square);
  EXPECT_EQ(ClipPolygone(Floats{1, 1, 4, 1, 4, 3}, 10, 10, 0, 0), (Floats{1, 1, 4, 1, 4, 3, 1, 1}));
  EXPECT_TRUE(ClipPolygone(Floats{1, -1, 9, -3, 4, -8}, 10, 10, 0, 0).empty());
  // Worked by hand: the top edge is rejected, the sides are cut at row 0.
  EXPECT_EQ(ClipPolygone(Floats{2, -5, 6, -5, 6, 4, 2, 4, 2, -5}, 10, 10, 0, 0),
            (Floats{6, 0, 6, 4, 2, 4, 2, 0, 6, 0}));
  // The offset is taken off before flooring.
  EXPECT_EQ(ClipPolygone(Floats{11.5f, 21.5f, 14.5f, 21.5f, 14.5f, 23.5f}, 10, 10, 10, 20),
            (Floats{1, 1, 4, 1, 4, 3, 1, 1}));
}

// The edge mask of the triangle (0, 0), (4, 0), (0, 4), worked by hand:
// the top edge marks (1..4, 0); the diagonal going down flips (3, 1),
// (2, 2), (1, 3), (0, 4); the left edge going up marks each pixel and flips
// the one below it, so (0, 4) flips back to 4 and (0, 1..3) end at 3.
const unsigned char kTriangleEdges[5][5] = {
    {4, 4, 4, 4, 4}, {3, 1, 1, 3, 1}, {3, 1, 3, 1, 1}, {3, 3, 1, 1, 1}, {4, 1, 1, 1, 1}};

TEST(EdgeMask, FlipsOncePerRowAndMarksTheRest) {
  const auto mask = MarkPolygonEdges(5, 5, Floats{0, 0, 4, 0, 0, 4});
  ASSERT_EQ(mask.size(), 25u);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(mask[y * 5 + x], kTriangleEdges[y][x]) << x << "," << y;
  }
  // A repeated first point changes nothing; a lone point is a boundary pixel.
  EXPECT_EQ(MarkPolygonEdges(5, 5, Floats{0, 0, 4, 0, 0, 4, 0, 0, 0, 0}), mask);
  const auto single = MarkPolygonEdges(3, 3, Floats{1.9f, 2.2f, 1.9f, 2.2f});
  EXPECT_EQ(single[2 * 3 + 1], 4);
  EXPECT_EQ(std::count(single.begin(), single.end(), 1), 8);
  EXPECT_TRUE(MarkPolygonEdges(3, 3, Floats{}).empty());
  // Edges leaving the image are cut, not wrapped round: only (2, 1) of the
  // first edge and (2, 2), (1, 1) of the way back are inside.
  const auto cut = MarkPolygonEdges(3, 3, Floats{1, 1, 7, 1, 7, 5});
  EXPECT_EQ(std::count(cut.begin(), cut.end(), 1), 6);
  EXPECT_EQ(cut[1 * 3 + 2], 4);
  EXPECT_EQ(cut[2 * 3 + 2], 3);
}

TEST(FilledPolygon, PaintsTheInsideAndTheBoundary) {
  RasterImage image(10, 10);
  // In view coordinates with pixel (0, 0) at (20, 30).
  DrawPolygon(image.Span(), 10, 10, 20, 30, Floats{20.5f, 30.5f, 24.5f, 30.5f, 20.5f, 34.5f},
              kWhite, 5, 0.0f, KEP_POLYGON_FILLED);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 15);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(image.At(x, y) == kWhitePixel, x <= 4 - y);
  }
  RasterImage cut(10, 10);
  DrawPolygon(cut.Span(), 10, 10, 0, 0, Floats{2, -5, 6, -5, 6, 4, 2, 4, 2, -5}, kWhite, 0, 0.0f,
              KEP_POLYGON_FILLED);
  EXPECT_EQ(cut.CountEqual(kWhitePixel), 25);
  EXPECT_EQ(cut.Count([](int x, int y, Pixel p) {
    return p == kWhitePixel && (x < 2 || x > 6 || y > 4);
  }),
            0);
}

TEST(FilledPolygon, RepeatedFirstPointAndBlend) {
  const Floats open = {3, 1, 17, 6, 9, 15, 1, 9};
  Floats closed = open;
  closed.insert(closed.end(), {3, 1, 3, 1});
  RasterImage a(20, 20, {100, 100, 100, 100}), b(20, 20, {100, 100, 100, 100});
  DrawPolygon(a.Span(), 20, 20, 0, 0, open, kWhite, 0, 0.5f, KEP_POLYGON_FILLED);
  DrawPolygon(b.Span(), 20, 20, 0, 0, closed, kWhite, 0, 0.5f, KEP_POLYGON_FILLED);
  EXPECT_EQ(a.bytes, b.bytes);
  // Every pixel is blended once: 50 + 127.5, truncated.
  const int painted = a.CountEqual({177, 177, 177, 177});
  EXPECT_GT(painted, 60);
  EXPECT_EQ(painted + a.CountEqual({100, 100, 100, 100}), 400);
}

TEST(FilledPolygon, DegenerateAndOutsideShapes) {
  RasterImage image(10, 10);
  DrawPolygon(image.Span(), 10, 10, 0, 0, Floats{-3, 1, -1, 8, -9, 4}, kWhite, 0, 0.0f,
              KEP_POLYGON_FILLED);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 0);
  DrawPolygon(image.Span(), 10, 10, 0, 0, Floats{3.5f, 4.5f}, kWhite, 8, 0.0f, KEP_POLYGON_FILLED);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 1);
  EXPECT_EQ(image.At(3, 4), kWhitePixel);
}

TEST(OutlinePolygon, OpenClosedAndSinglePoint) {
  const Floats corner = {1, 1, 5, 1, 5, 4};
  RasterImage open(10, 10), closed(10, 10), dot(10, 10);
  DrawPolygon(open.Span(), 10, 10, 0, 0, corner, kWhite, 0, 0.0f, KEP_POLYGON_OPEN);
  EXPECT_EQ(open.CountEqual(kWhitePixel), 5 + 3);
  DrawPolygon(closed.Span(), 10, 10, 0, 0, corner, kWhite, 0, 0.0f, KEP_POLYGON_CLOSED);
  // The closing segment (5, 4) to (1, 1) adds three new pixels.
  EXPECT_EQ(closed.CountEqual(kWhitePixel), 5 + 3 + 3);
  DrawPolygon(dot.Span(), 10, 10, 0, 0, Floats{4, 4}, kWhite, 1, 0.0f, KEP_POLYGON_CLOSED);
  EXPECT_EQ(dot.CountEqual(kWhitePixel), 9);
}

TEST(SelectionMask, CoversTheClippedBoundingBox) {
  int w = -1, h = -1, ox = -1, oy = -1;
  const auto mask = ComputeMaskFromPts(
      Floats{10.5f, 20.5f, 14.5f, 20.5f, 10.5f, 24.5f, 10.5f, 20.5f}, 30, 30, 8, 18, w, h, ox, oy);
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 5);
  EXPECT_EQ(ox, 2);
  EXPECT_EQ(oy, 2);
  ASSERT_EQ(mask.size(), 25u);
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 5; ++c) EXPECT_EQ(mask[r * 5 + c], c <= 4 - r ? 0 : 1) << c << "," << r;
  }
  const auto rect = ComputeMaskFromPts(Floats{3, 2, 7, 2, 7, 5, 3, 5}, 10, 10, 0, 0, w, h, ox, oy);
  EXPECT_EQ(rect, std::vector<unsigned char>(5 * 4, 0));
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(ox, 3);
  EXPECT_EQ(oy, 2);
  EXPECT_TRUE(ComputeMaskFromPts(Floats{-3, 1, -1, 8, -9, 4}, 10, 10, 0, 0, w, h, ox, oy).empty());
  EXPECT_EQ(w, 0);
  EXPECT_EQ(ox, 0);
}

// Every drawing function leaves a byte whose paint value is 256 alone.
TEST(Channels, ValueTwoFiftySixLeavesTheByteAlone) {
  const std::array<int, 4> paint = {256, 200, 256, 100};
  const Pixel start = {11, 22, 33, 44};
  auto check = [&](const RasterImage& image, const char* what) {
    const int changed = image.Count([&](int, int, Pixel p) { return p != start; });
    EXPECT_GT(changed, 0) << what;
    EXPECT_EQ(image.Count([&](int, int, Pixel p) { return p[0] != 11 || p[2] != 33; }), 0) << what;
    EXPECT_EQ(
        image.Count([&](int, int, Pixel p) { return p != start && (p[1] != 200 || p[3] != 100); }),
        0)
        << what;
  };
  const Floats triangle = {2, 2, 15, 3, 6, 14};
  {
    RasterImage image(20, 20, start);
    DrawMotif(image.Span(), 20, 20, paint, 5, 5, 3, 0.0f);
    check(image, "motif");
  }
  {
    RasterImage image(20, 20, start);
    DrawSegment(image.Span(), 20, 20, paint, 1, 1, 18, 9, 2, 0.0f);
    check(image, "segment");
  }
  {
    RasterImage image(20, 20, start);
    Spray(image.Span(), 20, 20, 10, 10, paint, 6, 50, 0.0f);
    check(image, "spray");
  }
  {
    RasterImage image(20, 20, start);
    Paint(image.Span(), 20, 20, 4, 4, Colour{11, 22, 33, 44}, paint);
    check(image, "fill");
  }
  for (int mode : {0, 1, 2}) {
    RasterImage image(20, 20, start);
    DrawPolygon(image.Span(), 20, 20, 0, 0, triangle, paint, 1, 0.0f, mode);
    check(image, "polygon");
    RasterImage disc(20, 20, start);
    DrawCircle(disc.Span(), 20, 20, 0, 0, 10.5, 10.5, 6, paint, 1, 0.0f, mode);
    check(disc, "circle");
  }
}

}  // namespace
