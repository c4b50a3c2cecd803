#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "paint/KEPRaster.h"
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
  EXPECT_EQ(image.Count([](int x, int y, Pixel p) {
    return p == kWhitePixel && (x < 19 || x > 21 || y < 19 || y > 21);
  }),
            0);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 9);
}

TEST(Motif, IsCutAtTheBorderNotMoved) {
  RasterImage image(20, 20);
  DrawMotif(image.Span(), 20, 20, kWhite, 0, 0, 8, 0.0f);
  // The quarter of the 15 x 15 square that lies inside.
  EXPECT_EQ(image.CountEqual(kWhitePixel), 64);
  EXPECT_EQ(image.At(7, 7), kWhitePixel);
  EXPECT_NE(image.At(8, 0), kWhitePixel);
  RasterImage far(20, 20);
  DrawMotif(far.Span(), 20, 20, kWhite, -8, 5, 8, 0.0f);
  DrawMotif(far.Span(), 20, 20, kWhite, 5, 27, 8, 0.0f);
  EXPECT_EQ(far.CountEqual(kWhitePixel), 0);
}

TEST(Segment, StepsFollowTheErrorRule) {
  // Shallow: e starts at 5 / 2 = 2 and the row moves when it reaches 5.
  EXPECT_EQ(Pairs(GetSegment(10, 10, 0, 0, 5, 2)),
            (Positions{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
  EXPECT_EQ(Pairs(GetSegment(10, 10, 5, 2, 0, 0)),
            (Positions{{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}));
  // Steep, and a diagonal counts as steep.
  EXPECT_EQ(Pairs(GetSegment(10, 10, 0, 0, 1, 3)), (Positions{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
  EXPECT_EQ(Pairs(GetSegment(10, 10, 3, 3, 1, 1)), (Positions{{3, 3}, {2, 2}, {1, 1}}));
  EXPECT_EQ(Pairs(GetSegment(10, 10, 4, 4, 4, 4)), (Positions{{4, 4}}));

  RasterImage image(10, 10);
  DrawSegment(image.Span(), 10, 10, kWhite, 0, 0, 5, 2, 0, 0.0f);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 6);
  EXPECT_EQ(image.At(2, 1), kWhitePixel);
}

TEST(Segment, ListsOnlyInsidePositionsEvenFromFarAway) {
  EXPECT_EQ(Pairs(GetSegment(10, 10, -2, 0, 2, 0)), (Positions{{0, 0}, {1, 0}, {2, 0}}));
  EXPECT_TRUE(GetSegment(10, 10, -5, -5, -1, 20).empty());
  EXPECT_TRUE(GetSegment(0, 10, 0, 0, 3, 3).empty());
  // From (-100, -50) to (100, 50): step i is at x = -100 + i and
  // y = -50 + (100 + 100 i) / 200; the image holds steps 100 to 109.
  EXPECT_EQ(
      Pairs(GetSegment(10, 10, -100, -50, 100, 50)),
      (Positions{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {8, 4}, {9, 5}}));
  // Billions of steps outside the image cost nothing.
  const auto across = GetSegment(10, 10, -2000000000, 3, 2000000000, 3);
  ASSERT_EQ(across.size(), 20u);
  EXPECT_EQ(across[0], 0);
  EXPECT_EQ(across[19], 3);
  RasterImage image(10, 10);
  DrawSegment(image.Span(), 10, 10, kWhite, -2000000000, -2000000000, 2000000000, 2000000000, 0,
              0.0f);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 10);
}

TEST(Blend, WeightsTheOldPixelInSinglePrecision) {
  RasterImage image(4, 1, {100, 101, 200, 7});
  const std::array<int, 4> paint = {200, 0, 100, 7};
  DrawMotif(image.Span(), 4, 1, paint, 0, 0, 0, 0.5f);
  // 50 + 100, 50.5 + 0 truncated, 100 + 50.
  EXPECT_EQ(image.At(0, 0), (Pixel{150, 50, 150, 7}));
  DrawMotif(image.Span(), 4, 1, paint, 1, 0, 0, 0.25f);
  // 25 + 150, 25.25 truncated, 50 + 75.
  EXPECT_EQ(image.At(1, 0), (Pixel{175, 25, 125, 7}));
  DrawMotif(image.Span(), 4, 1, paint, 2, 0, 0, 0.0f);
  EXPECT_EQ(image.At(2, 0), (Pixel{200, 0, 100, 7}));
  DrawMotif(image.Span(), 4, 1, paint, 3, 0, 0, 1.0f);
  EXPECT_EQ(image.At(3, 0), (Pixel{100, 101, 200, 7}));
}

TEST(Blend, OutOfRangeValuesKeepTheirLowByte) {
  RasterImage image(1, 1, {9, 9, 9, 9});
  const std::array<int, 4> paint = {300, -1, 511, 256};
  DrawMotif(image.Span(), 1, 1, paint, 0, 0, 0, 0.0f);
  EXPECT_EQ(image.At(0, 0), (Pixel{44, 255, 255, 9}));
  // Absurd blends and short buffers draw something defined or nothing.
  DrawMotif(image.Span(), 1, 1, paint, 0, 0, 0, 1e30f);
  DrawMotif(image.Span().first(3), 1, 1, kWhite, 0, 0, 0, 0.0f);
  EXPECT_EQ(image.At(0, 0)[3], 9);
}

}  // namespace
