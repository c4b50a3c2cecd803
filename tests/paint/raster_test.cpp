#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

#include "image/KEPAtelIma.h"
#include "paint/KEPRaster.h"
#include "paint/Maze.h"
#include "paint/RasterImage.h"

namespace {

using Pixel = RasterImage::Pixel;
using Positions = std::vector<std::pair<int, int>>;

Positions Pairs(const std::vector<int>& flat) {
  Positions out;
  for (std::size_t k = 0; k + 1 < flat.size(); k += 2) out.emplace_back(flat[k], flat[k + 1]);
  return out;
}

TEST(Motif, ThicknessSetsTheBrushSize) {
  // Counted from the motif table: entries <= 2 are 3 + 5 + 5 + 5 + 3.
  const std::pair<int, int> cases[] = {{-1, 0}, {0, 1}, {1, 9}, {2, 21}, {8, 225}, {40, 225}};
  for (auto [thickness, pixels] : cases) {
    RasterImage image(40, 40);
    DrawSegment(image.Span(), 40, 40, kWhite, 20, 20, 20, 20, thickness, 0.0f);
    EXPECT_EQ(image.CountEqual(kWhitePixel), pixels) << "thickness " << thickness;
  }
  RasterImage image(40, 40);
  DrawMotif(image.Span(), 40, 40, kWhite, 20, 20, 1, 0.0f);
  EXPECT_EQ(
      image.WhiteMismatches([](int x, int y) { return abs(x - 20) <= 1 && abs(y - 20) <= 1; }), 0);
}

TEST(Motif, IsCutAtTheBorderNotMoved) {
  // Only the quarter of the 15 x 15 square that lies inside.
  RasterImage image(20, 20);
  DrawMotif(image.Span(), 20, 20, kWhite, 0, 0, 8, 0.0f);
  EXPECT_EQ(image.WhiteMismatches([](int x, int y) { return x <= 7 && y <= 7; }), 0);
  RasterImage far(20, 20);
  DrawMotif(far.Span(), 20, 20, kWhite, -8, 5, 8, 0.0f);
  DrawMotif(far.Span(), 20, 20, kWhite, 5, 27, 8, 0.0f);
  EXPECT_EQ(far.CountEqual(kWhitePixel), 0);
}

TEST(Segment, StepsFollowTheErrorRuleAndOnlyInsidePositionsAreListed) {
  const struct {
    int x1, y1, x2, y2;
    Positions steps;
  } cases[] = {
      // Shallow: e starts at 5 / 2 = 2 and the row moves when it reaches 5.
      {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
      {5, 2, 0, 0, {{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
      {0, 0, 1, 3, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
      {3, 3, 1, 1, {{3, 3}, {2, 2}, {1, 1}}},
      {4, 4, 4, 4, {{4, 4}}},
      {-2, 0, 2, 0, {{0, 0}, {1, 0}, {2, 0}}},
      {-5, -5, -1, 20, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Pairs(GetSegment(10, 10, c.x1, c.y1, c.x2, c.y2)), c.steps)
        << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
  }
  EXPECT_TRUE(GetSegment(0, 10, 0, 0, 3, 3).empty());
  // Step i is at x = -100 + i and y = -50 + (100 + 100 i) / 200; the image
  // holds steps 100 to 109.
  EXPECT_EQ(
      Pairs(GetSegment(10, 10, -100, -50, 100, 50)),
      (Positions{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {8, 4}, {9, 5}}));
  // Billions of steps outside the image cost nothing.
  const auto across = GetSegment(10, 10, -2000000000, 3, 2000000000, 3);
  ASSERT_EQ(across.size(), 20u);
  EXPECT_EQ(std::pair(across[0], across[19]), std::pair(0, 3));
  RasterImage image(10, 10);
  DrawSegment(image.Span(), 10, 10, kWhite, -2000000000, -2000000000, 2000000000, 2000000000, 0,
              0.0f);
  EXPECT_EQ(image.WhiteMismatches([](int x, int y) { return x == y; }), 0);
}

TEST(Blend, WeightsTheOldPixelInSinglePrecisionAndKeepsTheLowByte) {
  // Paint (200, 0, 100) over (100, 101, 200), truncated: at 0.5, 50 + 100,
  // 50.5 + 0 and 100 + 50; at 0.25, 25 + 150, 25.25 and 50 + 75.
  const std::tuple<float, Colour, Pixel> cases[] = {{0.5f, {200, 0, 100, 7}, {150, 50, 150, 7}},
                                                    {0.25f, {200, 0, 100, 7}, {175, 25, 125, 7}},
                                                    {0.0f, {200, 0, 100, 7}, {200, 0, 100, 7}},
                                                    {1.0f, {200, 0, 100, 7}, {100, 101, 200, 7}},
                                                    {0.0f, {300, -1, 511, 256}, {44, 255, 255, 7}}};
  for (auto [blend, paint, expected] : cases) {
    RasterImage image(1, 1, {100, 101, 200, 7});
    DrawMotif(image.Span(), 1, 1, paint, 0, 0, 0, blend);
    EXPECT_EQ(image.At(0, 0), expected) << "blend " << blend;
  }
  // Absurd blends and short buffers draw something defined or nothing.
  RasterImage image(1, 1, {9, 9, 9, 9});
  DrawMotif(image.Span(), 1, 1, Colour{300, -1, 511, 256}, 0, 0, 0, 1e30f);
  DrawMotif(image.Span().first(3), 1, 1, kWhite, 0, 0, 0, 0.0f);
  EXPECT_EQ(image.At(0, 0)[3], 9);
}

TEST(Erase, RestoresTheMotifFromTheUndoCopyInsideTheImageOnly) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(image.AllocatePixels(20, 20), 0);
  image.SaveForUndo(1);
  // A segment skips its first position (from outside, its first inside
  // the image); a centre outside erases nothing, though the motif would
  // reach in. `erased` is the box of pixels expected back from the copy.
  const struct {
    bool segment;
    int x1, y1, x2, y2, thickness;
    std::array<int, 4> erased;
  } cases[] = {
      {false, 10, 10, 0, 0, 1, {9, 9, 11, 11}},  {false, 0, 19, 0, 0, 8, {0, 12, 7, 19}},
      {false, -1, 5, 0, 0, 8, {0, 0, -1, -1}},   {true, 2, 2, 5, 2, 0, {3, 2, 5, 2}},
      {true, -3, 4, 2, 4, 0, {1, 4, 2, 4}},      {true, 4, 4, 4, 4, 3, {0, 0, -1, -1}},
      {true, -5, -5, -1, 30, 3, {0, 0, -1, -1}}, {true, 19, 0, 24, 0, 3, {0, 0, -1, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2);
    // The copy is black, the image white: the black pixels are the erased ones.
    std::memset(image.GetPixels(), 255, image.GetMemorySize());
    if (c.segment) {
      EraseSegment(image, c.x1, c.y1, c.x2, c.y2, c.thickness);
    } else {
      ErasePt(image, c.x1, c.y1, c.thickness);
    }
    RasterImage view(20, 20);
    view.bytes.assign(image.GetPixels(), image.GetPixels() + image.GetMemorySize());
    const auto [left, bottom, right, top] = c.erased;
    EXPECT_EQ(view.WhiteMismatches(
                  [&](int x, int y) { return x < left || x > right || y < bottom || y > top; }),
              0);
  }
}

TEST(Fill, StopsAtAPixelDifferingInAnyByteEvenAnUnpaintedOne) {
  const Pixel base = {10, 20, 30, 40};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    RasterImage image(8, 4, base);
    Pixel wall = base;
    wall[k] += 1;
    for (int y = 0; y < 4; ++y) image.Set(5, y, wall);
    // The byte that makes the wall differ is left alone by the paint colour.
    Colour paint = {200, 201, 202, 203};
    paint[k] = 256;
    Paint(image.Span(), 8, 4, 0, 0, Colour{10, 20, 30, 40}, paint);
    Pixel painted = {200, 201, 202, 203};
    painted[k] = base[k];
    EXPECT_EQ(image.CountEqual(painted), 20);
    EXPECT_EQ(image.CountEqual(wall), 4);
    EXPECT_EQ(image.CountEqual(base), 8);
  }
  // A seed outside the image does nothing.
  RasterImage image(5, 5);
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {5, 0}, {0, 5}}) {
    Paint(image.Span(), 5, 5, x, y, Colour{0, 0, 0, 0}, kWhite);
  }
  EXPECT_EQ(image.CountEqual({0, 0, 0, 0}), 25);
}

TEST(Fill, IsFourConnectedAndGoesRoundObstacles) {
  // A checkerboard: no two equal pixels share a side.
  RasterImage board(6, 6);
  for (int k = 0; k < 36; ++k) {
    if ((k % 6 + k / 6) % 2) board.Set(k % 6, k / 6, {1, 1, 1, 1});
  }
  Paint(board.Span(), 6, 6, 2, 2, Colour{0, 0, 0, 0}, kWhite);
  EXPECT_EQ(board.CountEqual(kWhitePixel), 1);
  // A ring: the fill from outside goes round it and never enters it.
  RasterImage ring(9, 9);
  for (int i = 2; i <= 6; ++i) {
    for (auto [x, y] : {std::pair{i, 2}, {i, 6}, {2, i}, {6, i}}) ring.Set(x, y, {9, 9, 9, 9});
  }
  Paint(ring.Span(), 9, 9, 0, 8, Colour{0, 0, 0, 0}, kWhite);
  EXPECT_EQ(ring.CountEqual(kWhitePixel), 81 - 25);
  EXPECT_EQ(ring.CountEqual({0, 0, 0, 0}), 9);
  // Row 2 joins the seed's row 0 only through (4, 1), under the right end
  // of the span of row 0, whose left neighbour is a wall.
  RasterImage hook(5, 3);
  for (int x = 0; x < 4; ++x) hook.Set(x, 1, {9, 9, 9, 9});
  Paint(hook.Span(), 5, 3, 0, 0, Colour{0, 0, 0, 0}, kWhite);
  EXPECT_EQ(hook.CountEqual(kWhitePixel), 11);
}

TEST(Fill, PaintingTheOldColourAgainEnds) {
  RasterImage image(6, 6, {5, 6, 7, 8});
  Paint(image.Span(), 6, 6, 3, 3, Colour{5, 6, 7, 8}, Colour{5, 256, 7, 256});
  EXPECT_EQ(image.CountEqual({5, 6, 7, 8}), 36);
  // An old colour no pixel can hold: only the seed is written.
  Paint(image.Span(), 6, 6, 3, 3, Colour{5, 6, 7, 300}, Colour{0, 0, 0, 0});
  EXPECT_EQ(image.CountEqual({0, 0, 0, 0}), 1);
}

TEST(Fill, ALargeMazeNeedsNoDeepStack) {
  const int size = 4000;
  const unsigned char black[4] = {0, 0, 0, 0}, wall[4] = {0, 0, 0, 1};
  std::vector<unsigned char> pixels;
  const std::size_t corridors = CarveMaze(pixels, size, size, wall, black);
  ASSERT_GT(corridors, 7000000u);
  Paint(pixels, size, size, 1, 1, Colour{0, 0, 0, 0}, Colour{255, 256, 256, 256});
  std::size_t filled = 0, wallsLeft = 0;
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    filled += pixels[i] == 255;
    wallsLeft += pixels[i] == 0 && pixels[i + 3] == 1;
  }
  EXPECT_EQ(filled, corridors);
  EXPECT_EQ(filled + wallsLeft, static_cast<std::size_t>(size) * size);
}

// A scripted source of uniform draws, and how many were taken.
std::vector<double> script;
std::size_t taken = 0;
double Scripted() {
  return taken < script.size() ? script[taken++] : 0.75;
}
void Script(std::vector<double> draws) {
  script = std::move(draws);
  taken = 0;
}

// Draw pairs worked out by hand for radius 4:
// (0.0, 0.0): u = v = -1, s = 2, rejected.
// (0.505, 0.5): u = 0.01, s = 1e-4, f = 214.6, dx = 8 > 4, rejected.
// (0.75, 0.5): u = 0.5, v = 0, s = 0.25, t = 11.09, f = 1.665, dx = trunc(3.33) = 3.
// (0.5, 0.25): u = 0, v = -0.5, the same f, dy = trunc(-3.33) = -3 (toward zero).
TEST(Spray, PolarMethodWithRejectionsAndTruncation) {
  RasterImage image(10, 10);
  Script({0.0, 0.0, 0.505, 0.5, 0.75, 0.5, 0.5, 0.25});
  SprayWithSource(Scripted, image.Span(), 10, 10, 5, 5, kWhite, 4, 2, 0.0f);
  EXPECT_EQ(taken, 8u);
  EXPECT_EQ(image.WhiteMismatches([](int x, int y) { return y == 5 ? x == 8 : x == 5 && y == 2; }),
            0);
  // Dots outside the image are counted, not retried: (12, 5) falls outside.
  RasterImage edge(10, 10);
  Script({0.75, 0.5, 0.5, 0.25, 0.75, 0.5});
  SprayWithSource(Scripted, edge.Span(), 10, 10, 9, 5, kWhite, 4, 2, 0.0f);
  EXPECT_EQ(taken, 4u);
  EXPECT_EQ(edge.WhiteMismatches([](int x, int y) { return x == 9 && y == 2; }), 0);
  // A count below one draws nothing.
  Script({0.75, 0.5});
  SprayWithSource(Scripted, edge.Span(), 10, 10, 5, 5, kWhite, 4, 0, 0.0f);
  SprayWithSource(Scripted, edge.Span(), 10, 10, 5, 5, kWhite, 4, -3, 0.0f);
  Spray(edge.Span(), 10, 10, 5, 5, kWhite, 4, 0, 0.0f);
  EXPECT_EQ(taken, 0u);
  EXPECT_EQ(edge.CountEqual(kWhitePixel), 1);
}

TEST(Spray, RadiusZeroStacksEveryDotOnTheCentre) {
  RasterImage image(9, 9);
  Spray(image.Span(), 9, 9, 4, 4, Colour{255, 255, 255, 256}, 0, 3, 0.5f);
  // 0 -> 127 -> 191 -> 223 with half of the old pixel kept each time.
  EXPECT_EQ(image.At(4, 4), (Pixel{223, 223, 223, 0}));
  EXPECT_EQ(image.CountEqual({0, 0, 0, 0}), 80);
}

TEST(Spray, DotsStayWithinTheRadiusButSpreadOverIt) {
  RasterImage image(64, 64);
  Spray(image.Span(), 64, 64, 32, 32, kWhite, 10, 3000, 0.0f);
  auto whiteBeyond = [&](int r) {
    return image.Count([&](int x, int y, Pixel p) {
      return p == kWhitePixel && (x - 32) * (x - 32) + (y - 32) * (y - 32) > r * r;
    });
  };
  EXPECT_EQ(whiteBeyond(10), 0);
  EXPECT_GT(whiteBeyond(5), 20);  // one standard deviation
}

TEST(SpraySegment, SpraysEveryPositionButTheFirst) {
  RasterImage image(10, 10);
  SpraySegment(image.Span(), 10, 10, 2, 2, 5, 2, kWhite, 0, 1, 0.0f);
  // Only (9, 0) of this segment is inside: fewer than two positions.
  SpraySegment(image.Span(), 10, 10, 9, 0, 12, 0, kWhite, 0, 1, 0.0f);
  EXPECT_EQ(image.WhiteMismatches([](int x, int y) { return y == 2 && x >= 3 && x <= 5; }), 0);
}

}  // namespace
