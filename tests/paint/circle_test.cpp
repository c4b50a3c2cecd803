#include <gtest/gtest.h>

#include <vector>

#include "paint/KEPRaster.h"
#include "paint/RasterImage.h"

namespace {

using Floats = std::vector<float>;

// The trace of radius 5 around (100, 100), worked by hand: the first quarter
// visits (95, 100), (95, 101), (95, 102), (96, 103), (97, 104), (98, 105),
// (99, 105) and ends at (100, 105); the other quarters are its rotations.
// Straight runs keep only their ends.
const Floats kRadius5 = {95,  100, 95,  102, 96,  103, 97,  104, 98,  105, 102, 105,
                         103, 104, 104, 103, 105, 102, 105, 98,  104, 97,  103, 96,
                         102, 95,  98,  95,  97,  96,  96,  97,  95,  98,  95,  99};

TEST(Circle, RadiusFiveTraceStartsAndEndsOnTheLeft) {
  const Floats points = ComputeCircle(200, 200, 0, 0, 100, 100, 5);
  // It spans 95..105 both ways, starts at (95, 100) and ends on (95, 99),
  // one step before closing back onto its start.
  EXPECT_EQ(points, kRadius5);
}

TEST(Circle, SmallAndInvisibleRadii) {
  // Below 1: the four pixels of a 2 x 2 square left of and below the centre.
  EXPECT_EQ(ComputeCircle(50, 50, 0, 0, 10.5, 20.5, 0.5), (Floats{9, 20, 10, 20, 10, 19, 9, 19}));
  EXPECT_TRUE(ComputeCircle(50, 50, 0, 0, 10.5, 20.5, 0.0).empty());
  EXPECT_TRUE(ComputeCircle(50, 50, 0, 0, -20, 10, 5).empty());
  EXPECT_TRUE(ComputeCircle(50, 50, 0, 0, 10, 55, 5).empty());
  // Touching the image from outside is enough to be traced.
  EXPECT_FALSE(ComputeCircle(50, 50, 0, 0, -5, 10, 5).empty());
  // Offsets move the image, the trace stays in view coordinates.
  EXPECT_EQ(ComputeCircle(10, 10, 95, 95, 100, 100, 5), kRadius5);
  EXPECT_TRUE(ComputeCircle(10, 10, 200, 200, 100, 100, 5).empty());
  EXPECT_TRUE(ComputeCircle(50, 50, 0, 0, 10, 10, 1e12).empty());
}

TEST(Circle, FilledDiscAndOutline) {
  // Row spans of the trace above: 5, 7, 9, five rows of 11, 9, 7, 5.
  RasterImage disc(200, 200);
  DrawCircle(disc.Span(), 200, 200, 0, 0, 100, 100, 5, kWhite, 3, 0.0f, KEP_POLYGON_FILLED);
  EXPECT_EQ(disc.CountEqual(kWhitePixel), 97);
  EXPECT_EQ(disc.At(95, 98), kWhitePixel);
  EXPECT_NE(disc.At(97, 95), kWhitePixel);
  // The outline tools pass mode 0: the open chain still closes, as its last
  // point touches the first; 7 pixels per quarter.
  RasterImage ring(200, 200);
  DrawCircle(ring.Span(), 200, 200, 0, 0, 100, 100, 5, kWhite, 0, 0.0f, KEP_POLYGON_OPEN);
  EXPECT_EQ(ring.CountEqual(kWhitePixel), 28);
  EXPECT_NE(ring.At(100, 100), kWhitePixel);
  RasterImage none(20, 20);
  DrawCircle(none.Span(), 20, 20, 0, 0, 100, 100, 5, kWhite, 8, 0.0f, KEP_POLYGON_FILLED);
  EXPECT_EQ(none.CountEqual(kWhitePixel), 0);
}

}  // namespace
