#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "paint/KEPRaster.h"
#include "paint/RasterImage.h"

namespace {

using Pixel = RasterImage::Pixel;

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
// (0.75, 0.5): u = 0.5, v = 0, s = 0.25, t = 11.09, f = 1.665, dx = trunc(3.33) = 3.
// (0.5, 0.25): u = 0, v = -0.5, the same f, dy = trunc(-3.33) = -3 (toward zero).
// (0.0, 0.0): u = v = -1, s = 2, rejected.
// (0.505, 0.5): u = 0.01, s = 1e-4, f = 214.6, dx = 8 > 4, rejected.
const std::vector<double> kRight3 = {0.75, 0.5}, kDown3 = {0.5, 0.25};
const std::vector<double> kOutsideDisc = {0.0, 0.0}, kBeyondRadius = {0.505, 0.5};

std::vector<double> Join(std::initializer_list<std::vector<double>> parts) {
  std::vector<double> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(Spray, PolarMethodWithRejectionsAndTruncation) {
  RasterImage image(10, 10);
  Script(Join({kOutsideDisc, kBeyondRadius, kRight3, kDown3}));
  SprayWithSource(Scripted, image.Span(), 10, 10, 5, 5, kWhite, 4, 2, 0.0f);
  EXPECT_EQ(taken, 8u);
  EXPECT_EQ(image.At(8, 5), kWhitePixel);
  EXPECT_EQ(image.At(5, 2), kWhitePixel);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 2);
}

TEST(Spray, DotsOutsideTheImageAreCountedNotRetried) {
  RasterImage image(10, 10);
  Script(Join({kRight3, kDown3, kRight3}));
  SprayWithSource(Scripted, image.Span(), 10, 10, 9, 5, kWhite, 4, 2, 0.0f);
  // (12, 5) falls outside and still counts: two dots, four draws.
  EXPECT_EQ(taken, 4u);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 1);
  EXPECT_EQ(image.At(9, 2), kWhitePixel);
}

TEST(Spray, CountBelowOneDoesNothing) {
  RasterImage image(10, 10);
  Script(kRight3);
  SprayWithSource(Scripted, image.Span(), 10, 10, 5, 5, kWhite, 4, 0, 0.0f);
  SprayWithSource(Scripted, image.Span(), 10, 10, 5, 5, kWhite, 4, -3, 0.0f);
  Spray(image.Span(), 10, 10, 5, 5, kWhite, 4, 0, 0.0f);
  EXPECT_EQ(taken, 0u);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 0);
}

TEST(Spray, RadiusZeroStacksEveryDotOnTheCentre) {
  RasterImage image(9, 9);
  const std::array<int, 4> paint = {255, 255, 255, 256};
  Spray(image.Span(), 9, 9, 4, 4, paint, 0, 3, 0.5f);
  // 0 -> 127 -> 191 -> 223 with half of the old pixel kept each time.
  EXPECT_EQ(image.At(4, 4), (Pixel{223, 223, 223, 0}));
  EXPECT_EQ(image.CountEqual({0, 0, 0, 0}), 80);
}

TEST(Spray, DotsStayWithinTheRadius) {
  RasterImage image(64, 64);
  const int radius = 10;
  Spray(image.Span(), 64, 64, 32, 32, kWhite, radius, 3000, 0.0f);
  const int outside = image.Count([&](int x, int y, Pixel p) {
    return p == kWhitePixel && (x - 32) * (x - 32) + (y - 32) * (y - 32) > radius * radius;
  });
  EXPECT_EQ(outside, 0);
  // Spread over the disc (standard deviation 5), not piled on the centre.
  const int farOut = image.Count([&](int x, int y, Pixel p) {
    return p == kWhitePixel && (x - 32) * (x - 32) + (y - 32) * (y - 32) > 25;
  });
  EXPECT_GT(farOut, 20);
}

TEST(SpraySegment, SpraysEveryPositionButTheFirst) {
  RasterImage image(10, 10);
  SpraySegment(image.Span(), 10, 10, 2, 2, 5, 2, kWhite, 0, 1, 0.0f);
  EXPECT_EQ(image.CountEqual(kWhitePixel), 3);
  EXPECT_NE(image.At(2, 2), kWhitePixel);
  EXPECT_EQ(image.At(3, 2), kWhitePixel);
  EXPECT_EQ(image.At(5, 2), kWhitePixel);
  // Only (9, 0) of this segment is inside: fewer than two positions.
  SpraySegment(image.Span(), 10, 10, 9, 0, 12, 0, kWhite, 0, 1, 0.0f);
  EXPECT_NE(image.At(9, 0), kWhitePixel);
}

}  // namespace
