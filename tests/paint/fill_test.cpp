#include <gtest/gtest.h>

#include "paint/KEPRaster.h"
#include "paint/Maze.h"
#include "paint/RasterImage.h"

namespace {

using Pixel = RasterImage::Pixel;

std::array<int, 4> AsColour(Pixel p) {
  return {p[0], p[1], p[2], p[3]};
}

TEST(Fill, SeedOutsideTheImageDoesNothing) {
  RasterImage image(5, 5);
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {5, 0}, {0, 5}}) {
    Paint(image.Span(), 5, 5, x, y, Colour{0, 0, 0, 0}, kWhite);
  }
  EXPECT_EQ(image.CountEqual({0, 0, 0, 0}), 25);
}

TEST(Fill, StopsAtAPixelDifferingInAnyByteEvenAnUnpaintedOne) {
  const Pixel base = {10, 20, 30, 40};
  for (int k = 0; k < 4; ++k) {
    RasterImage image(8, 4, base);
    Pixel wall = base;
    wall[k] += 1;
    for (int y = 0; y < 4; ++y) image.Set(5, y, wall);
    // The byte that makes the wall differ is left alone by the paint colour.
    std::array<int, 4> paint = {200, 201, 202, 203};
    paint[k] = 256;
    Paint(image.Span(), 8, 4, 0, 0, AsColour(base), paint);
    Pixel painted = {200, 201, 202, 203};
    painted[k] = base[k];
    EXPECT_EQ(image.CountEqual(painted), 20) << "byte " << k;
    EXPECT_EQ(image.CountEqual(wall), 4);
    EXPECT_EQ(image.CountEqual(base), 8);
  }
}

TEST(Fill, IsFourConnectedAndGoesRoundObstacles) {
  // A checkerboard: no two equal pixels share a side.
  RasterImage board(6, 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) {
      if ((x + y) % 2) board.Set(x, y, {1, 1, 1, 1});
    }
  }
  Paint(board.Span(), 6, 6, 2, 2, Colour{0, 0, 0, 0}, kWhite);
  EXPECT_EQ(board.CountEqual(kWhitePixel), 1);

  // A ring: the fill from outside goes round it and never enters it.
  RasterImage ring(9, 9);
  for (int i = 2; i <= 6; ++i) {
    ring.Set(i, 2, {9, 9, 9, 9});
    ring.Set(i, 6, {9, 9, 9, 9});
    ring.Set(2, i, {9, 9, 9, 9});
    ring.Set(6, i, {9, 9, 9, 9});
  }
  Paint(ring.Span(), 9, 9, 0, 8, Colour{0, 0, 0, 0}, kWhite);
  EXPECT_EQ(ring.CountEqual(kWhitePixel), 81 - 25);
  EXPECT_EQ(ring.CountEqual({0, 0, 0, 0}), 9);
}

TEST(Fill, ReachesRunsThatTouchASpanOnlyAtItsRightEnd) {
  // Row 2 joins the seed's row 0 only through (4, 1), under the right end
  // of the span of row 0, whose left neighbour is a wall.
  RasterImage image(5, 3);
  for (int x = 0; x < 4; ++x) image.Set(x, 1, {9, 9, 9, 9});
  Paint(image.Span(), 5, 3, 0, 0, Colour{0, 0, 0, 0}, kWhite);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 11);
  // A vertical corridor one pixel wide: every span is a single pixel.
  RasterImage corridor(3, 50, {9, 9, 9, 9});
  for (int y = 0; y < 50; ++y) corridor.Set(1, y, {0, 0, 0, 0});
  Paint(corridor.Span(), 3, 50, 1, 0, Colour{0, 0, 0, 0}, kWhite);
  EXPECT_EQ(corridor.CountEqual(kWhitePixel), 50);
}

TEST(Fill, PaintingTheOldColourAgainEnds) {
  RasterImage image(6, 6, {5, 6, 7, 8});
  Paint(image.Span(), 6, 6, 3, 3, Colour{5, 6, 7, 8}, Colour{5, 256, 7, 256});
  EXPECT_EQ(image.CountEqual({5, 6, 7, 8}), 36);
  // An old colour no pixel can hold: only the seed is written.
  Paint(image.Span(), 6, 6, 3, 3, Colour{5, 6, 7, 300}, Colour{0, 0, 0, 0});
  EXPECT_EQ(image.CountEqual({0, 0, 0, 0}), 1);
}

TEST(Fill, LargeUniformImageAndMazeNeedNoDeepStack) {
  const int size = 4000;
  const unsigned char black[4] = {0, 0, 0, 0}, wall[4] = {0, 0, 0, 1};
  std::vector<unsigned char> pixels(static_cast<std::size_t>(size) * size * 4, 0);
  Paint(pixels, size, size, size / 2, size / 2, Colour{0, 0, 0, 0}, Colour{255, 256, 256, 256});
  std::size_t painted = 0;
  for (std::size_t i = 0; i < pixels.size(); i += 4) painted += pixels[i] == 255;
  EXPECT_EQ(painted, static_cast<std::size_t>(size) * size);

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

}  // namespace
