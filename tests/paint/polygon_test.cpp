#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "paint/KEPRaster.h"
#include "paint/RasterImage.h"

namespace {

using Pixel = RasterImage::Pixel;
using Floats = std::vector<float>;

TEST(Clip, LineCodesAndMovedEndsWorkedByHand) {
  struct Case {
    bool vertical;
    std::array<int, 4> ends;
    int limit, code;
    std::array<int, 4> moved;
  };
  const Case cases[] = {
      {false, {1, 2, 3, 4}, 5, 0, {1, 2, 3, 4}},
      {false, {0, -1, 9, -7}, 5, 4, {}},
      {false, {0, -10, 0, 10}, 20, 1, {0, 0, 0, 10}},
      // The lower crossing is taken at y = 5 (x = 5), then the end is put on row 4.
      {false, {-10, -10, 10, 10}, 5, 3, {0, 0, 5, 4}},
      // End 1 onto x = 0 at y = 7 - 6 * 0.5; end 2 crosses x = 4 at y = 4 + 2.
      {true, {-4, 2, 6, 7}, 4, 3, {0, 4, 3, 6}},
      {true, {-1, 0, -5, 9}, 4, 4, {}},
      {true, {2, 0, 7, 5}, 4, 2, {2, 0, 3, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.ends) + (c.vertical ? " vertical" : " horizontal"));
    auto e = c.ends;
    const auto clip = c.vertical ? ClipVerticalLine : ClipHorizontalLine;
    EXPECT_EQ(clip(e[0], e[1], e[2], e[3], c.limit), c.code);
    if (c.code != 4) {
      EXPECT_EQ(e, c.moved);
    }
  }
  int bx = -1, by = -2;
  Inter(3, 0, bx, by, 2, 10);  // y = 0 - 3 * 0.5 = -1.5, truncated toward zero
  EXPECT_EQ(std::pair(bx, by), std::pair(0, -1));
}

TEST(ClipPolygon, ClosesTheListAndCutsAtTheBorders) {
  const Floats square = {1, 1, 4, 1, 4, 3, 1, 3, 1, 1};
  const struct {
    Floats points;
    float offsetX, offsetY;
    Floats clipped;
  } cases[] = {
      {{3.7f, 2.2f}, 0.5f, 0, {3, 2}},  // a single point takes its pixel
      {{-0.1f, 2}, 0, 0, {}},
      {{}, 0, 0, {}},
      {square, 0, 0, square},
      {{1, 1, 4, 1, 4, 3}, 0, 0, {1, 1, 4, 1, 4, 3, 1, 1}},
      {{1, -1, 9, -3, 4, -8}, 0, 0, {}},
      // The top edge is rejected, the sides are cut at row 0.
      {{2, -5, 6, -5, 6, 4, 2, 4, 2, -5}, 0, 0, {6, 0, 6, 4, 2, 4, 2, 0, 6, 0}},
      // The offset is taken off before flooring.
      {{11.5f, 21.5f, 14.5f, 21.5f, 14.5f, 23.5f}, 10, 20, {1, 1, 4, 1, 4, 3, 1, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClipPolygone(c.points, 10, 10, c.offsetX, c.offsetY), c.clipped)
        << testing::PrintToString(c.points);
  }
}

// The edge mask of the triangle (0, 0), (4, 0), (0, 4), worked by hand:
// the top edge marks (1..4, 0); the diagonal going down flips (3, 1),
// (2, 2), (1, 3), (0, 4); the left edge going up marks each pixel and flips
// the one below it, so (0, 4) flips back to 4 and (0, 1..3) end at 3.
const std::vector<unsigned char> kTriangleEdges = {4, 4, 4, 4, 4, 3, 1, 1, 3, 1, 3, 1, 3,
                                                   1, 1, 3, 3, 1, 1, 1, 4, 1, 1, 1, 1};

TEST(EdgeMask, FlipsOncePerRowAndMarksTheRest) {
  EXPECT_EQ(MarkPolygonEdges(5, 5, Floats{0, 0, 4, 0, 0, 4}), kTriangleEdges);
  // A repeated first point changes nothing; a lone point is a boundary pixel.
  EXPECT_EQ(MarkPolygonEdges(5, 5, Floats{0, 0, 4, 0, 0, 4, 0, 0, 0, 0}), kTriangleEdges);
  EXPECT_EQ(MarkPolygonEdges(3, 3, Floats{1.9f, 2.2f, 1.9f, 2.2f}),
            (std::vector<unsigned char>{1, 1, 1, 1, 1, 1, 1, 4, 1}));
  EXPECT_TRUE(MarkPolygonEdges(3, 3, Floats{}).empty());
  // Edges leaving the image are cut, not wrapped round: only (2, 1) of the
  // first edge and (2, 2), (1, 1) of the way back are inside.
  const auto cut = MarkPolygonEdges(3, 3, Floats{1, 1, 7, 1, 7, 5});
  EXPECT_EQ(std::count(cut.begin(), cut.end(), 1), 6);
  EXPECT_EQ(cut[1 * 3 + 2], 4);
  EXPECT_EQ(cut[2 * 3 + 2], 3);
}

TEST(FilledPolygon, PaintsTheInsideAndTheBoundaryOnly) {
  RasterImage image(10, 10);
  // In view coordinates with pixel (0, 0) at (20, 30).
  DrawPolygon(image.Span(), 10, 10, 20, 30, Floats{20.5f, 30.5f, 24.5f, 30.5f, 20.5f, 34.5f},
              kWhite, 5, 0.0f, KEP_POLYGON_FILLED);
  EXPECT_EQ(image.WhiteMismatches([](int x, int y) { return x + y <= 4; }), 0);
  RasterImage cut(10, 10);
  DrawPolygon(cut.Span(), 10, 10, 0, 0, Floats{2, -5, 6, -5, 6, 4, 2, 4, 2, -5}, kWhite, 0, 0.0f,
              KEP_POLYGON_FILLED);
  EXPECT_EQ(cut.WhiteMismatches([](int x, int y) { return x >= 2 && x <= 6 && y <= 4; }), 0);
  // Wholly outside draws nothing; a single point its pixel.
  RasterImage dot(10, 10);
  DrawPolygon(dot.Span(), 10, 10, 0, 0, Floats{-3, 1, -1, 8, -9, 4}, kWhite, 0, 0.0f,
              KEP_POLYGON_FILLED);
  DrawPolygon(dot.Span(), 10, 10, 0, 0, Floats{3.5f, 4.5f}, kWhite, 8, 0.0f, KEP_POLYGON_FILLED);
  EXPECT_EQ(dot.WhiteMismatches([](int x, int y) { return x == 3 && y == 4; }), 0);
}

TEST(FilledPolygon, RepeatedFirstPointAndBlendOncePerPixel) {
  const Floats open = {3, 1, 17, 6, 9, 15, 1, 9};
  Floats closed = open;
  closed.insert(closed.end(), {3, 1, 3, 1});
  RasterImage a(20, 20, {100, 100, 100, 100}), b(20, 20, {100, 100, 100, 100});
  DrawPolygon(a.Span(), 20, 20, 0, 0, open, kWhite, 0, 0.5f, KEP_POLYGON_FILLED);
  DrawPolygon(b.Span(), 20, 20, 0, 0, closed, kWhite, 0, 0.5f, KEP_POLYGON_FILLED);
  EXPECT_EQ(a.bytes, b.bytes);
  // 50 + 127.5, truncated; a pixel blended twice would be 88 + 127.
  const int painted = a.CountEqual({177, 177, 177, 177});
  EXPECT_GT(painted, 60);
  EXPECT_EQ(painted + a.CountEqual({100, 100, 100, 100}), 400);
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
  auto mask = [&](const Floats& points, int size, float offsetX, float offsetY) {
    return ComputeMaskFromPts(points, size, size, offsetX, offsetY, w, h, ox, oy);
  };
  const auto triangle = mask({10.5f, 20.5f, 14.5f, 20.5f, 10.5f, 24.5f, 10.5f, 20.5f}, 30, 8, 18);
  EXPECT_EQ((std::array{w, h, ox, oy}), (std::array{5, 5, 2, 2}));
  ASSERT_EQ(triangle.size(), 25u);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(triangle[i], i % 5 + i / 5 <= 4 ? 0 : 1) << i;
  EXPECT_EQ(mask({3, 2, 7, 2, 7, 5, 3, 5}, 10, 0, 0), std::vector<unsigned char>(5 * 4, 0));
  EXPECT_EQ((std::array{w, h, ox, oy}), (std::array{5, 4, 3, 2}));
  EXPECT_TRUE(mask({-3, 1, -1, 8, -9, 4}, 10, 0, 0).empty());
  EXPECT_EQ((std::array{w, h, ox, oy}), (std::array{0, 0, 0, 0}));
}

// Every drawing function leaves a byte whose paint value is 256 alone.
TEST(Channels, ValueTwoFiftySixLeavesTheByteAlone) {
  const Colour p = {256, 200, 256, 100};
  const Pixel start = {11, 22, 33, 44}, painted = {11, 200, 33, 100};
  const Floats triangle = {2, 2, 15, 3, 6, 14};
  using Buffer = std::span<unsigned char>;
  const std::function<void(Buffer)> draws[] = {
      [&](Buffer b) { DrawMotif(b, 20, 20, p, 5, 5, 3, 0.0f); },
      [&](Buffer b) { DrawSegment(b, 20, 20, p, 1, 1, 18, 9, 2, 0.0f); },
      [&](Buffer b) { Spray(b, 20, 20, 10, 10, p, 6, 50, 0.0f); },
      [&](Buffer b) {
        Paint(b, 20, 20, 4, 4, Colour{11, 22, 33, 44}, p);
      },
      [&](Buffer b) { DrawPolygon(b, 20, 20, 0, 0, triangle, p, 1, 0.0f, KEP_POLYGON_OPEN); },
      [&](Buffer b) { DrawPolygon(b, 20, 20, 0, 0, triangle, p, 1, 0.0f, KEP_POLYGON_FILLED); },
      [&](Buffer b) { DrawPolygon(b, 20, 20, 0, 0, triangle, p, 1, 0.0f, KEP_POLYGON_CLOSED); },
      [&](Buffer b) { DrawCircle(b, 20, 20, 0, 0, 10.5, 10.5, 6, p, 1, 0.0f, KEP_POLYGON_OPEN); },
      [&](Buffer b) { DrawCircle(b, 20, 20, 0, 0, 10.5, 10.5, 6, p, 1, 0.0f, KEP_POLYGON_FILLED); },
      [&](Buffer b) { DrawCircle(b, 20, 20, 0, 0, 10.5, 10.5, 6, p, 1, 0.0f, KEP_POLYGON_CLOSED); },
  };
  for (std::size_t i = 0; i < std::size(draws); ++i) {
    RasterImage image(20, 20, start);
    draws[i](image.Span());
    EXPECT_GT(image.CountEqual(painted), 0) << "drawing " << i;
    EXPECT_EQ(image.CountEqual(painted) + image.CountEqual(start), 400) << "drawing " << i;
  }
}

// The trace of radius 5 around (100, 100), worked by hand: the first quarter
// visits (95, 100), (95, 101), (95, 102), (96, 103), (97, 104), (98, 105),
// (99, 105) and ends at (100, 105); the other quarters are its rotations.
// Straight runs keep only their ends; it ends on (95, 99), one step before
// closing back onto its start.
const Floats kRadius5 = {95,  100, 95,  102, 96,  103, 97,  104, 98,  105, 102, 105,
                         103, 104, 104, 103, 105, 102, 105, 98,  104, 97,  103, 96,
                         102, 95,  98,  95,  97,  96,  96,  97,  95,  98,  95,  99};

TEST(Circle, TraceWorkedByHandAndWhenThereIsNone) {
  EXPECT_EQ(ComputeCircle(200, 200, 0, 0, 100, 100, 5), kRadius5);
  // Offsets move the image, the trace stays in view coordinates.
  EXPECT_EQ(ComputeCircle(10, 10, 95, 95, 100, 100, 5), kRadius5);
  // Below 1: the four pixels of a 2 x 2 square left of and below the centre.
  EXPECT_EQ(ComputeCircle(50, 50, 0, 0, 10.5, 20.5, 0.5), (Floats{9, 20, 10, 20, 10, 19, 9, 19}));
  // Touching the image from outside is enough to be traced.
  EXPECT_FALSE(ComputeCircle(50, 50, 0, 0, -5, 10, 5).empty());
  const double none[][5] = {{0, 0, 10.5, 20.5, 0},
                            {0, 0, -20, 10, 5},
                            {0, 0, 10, 55, 5},
                            {200, 200, 100, 100, 5},
                            {0, 0, 10, 10, 1e12}};
  for (const auto& c : none) {
    EXPECT_TRUE(ComputeCircle(50, 50, c[0], c[1], c[2], c[3], c[4]).empty())
        << testing::PrintToString(c);
  }
}

TEST(Circle, FilledDiscAndOutline) {
  RasterImage disc(200, 200), ring(200, 200), outside(20, 20);
  DrawCircle(disc.Span(), 200, 200, 0, 0, 100, 100, 5, kWhite, 3, 0.0f, KEP_POLYGON_FILLED);
  // Row spans of the trace above: 5, 7, 9, five rows of 11, 9, 7, 5.
  const int half[] = {2, 3, 4, 5, 5, 5, 5, 5, 4, 3, 2};
  EXPECT_EQ(disc.WhiteMismatches(
                [&](int x, int y) { return y >= 95 && y <= 105 && abs(x - 100) <= half[y - 95]; }),
            0);
  // The outline tools pass mode 0: the open chain still closes, as its last
  // point touches the first; 7 pixels per quarter.
  DrawCircle(ring.Span(), 200, 200, 0, 0, 100, 100, 5, kWhite, 0, 0.0f, KEP_POLYGON_OPEN);
  EXPECT_EQ(ring.CountEqual(kWhitePixel), 28);
  DrawCircle(outside.Span(), 20, 20, 0, 0, 100, 100, 5, kWhite, 8, 0.0f, KEP_POLYGON_FILLED);
  EXPECT_EQ(outside.CountEqual(kWhitePixel), 0);
}

}  // namespace
