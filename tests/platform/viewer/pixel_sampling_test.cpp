#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/viewer/KEPPixelSampling.h"

namespace {

// Where each widget pixel samples the source, edges and row direction
// included, is checked pixel by pixel by the viewer's display tests.
TEST(SampleAxis, NothingWhenTheSourceIsElsewhereOrSizesAreBad) {
  // origin, step, target pixels, source pixels
  const double cases[][4] = {
      {100, 1, 10, 5}, {-100, 1, 10, 5}, {0, 1, 0, 5}, {0, 1, 10, 0}, {0, 0, 10, 5}};
  for (const auto& c : cases)
    EXPECT_TRUE(KEPBuildSampleAxis(c[0], c[1], int(c[2]), 1, int(c[3])).Empty())
        << c[0] << " " << c[1];
}

TEST(SampleAxis, ZoomOutSpreadsSamplesOverTheFootprint) {
  EXPECT_EQ(KEPSamplesForZoom(0.5), 2);
  EXPECT_EQ(KEPSamplesForZoom(0.25), 3);  // capped
  KEPSampleAxis axis = KEPBuildSampleAxis(0.0, 4.0, 2, 2, 8);
  EXPECT_EQ(axis.end, 2);
  EXPECT_EQ(axis.index, (std::vector<int>{1, 3, 5, 7}));
}

// Opaque drawing, its rows and the anaglyph are the viewer's display tests.
TEST(Resample, AlphaPremultipliesAndClearsTransparentPixels) {
  const unsigned char pixels[] = {200, 100, 50, 128, 255, 255, 255, 0};
  KEPSampleAxis cols = KEPBuildSampleAxis(0.0, 1.0, 2, 1, 2);
  KEPSampleAxis rows = KEPBuildSampleAxis(1.0, -1.0, 1, 1, 1);
  std::uint32_t target[2] = {1, 1};
  KEPResamplePixels(pixels, 2, cols, rows, KEPPixelBlend::kAlpha, target, 2);
  EXPECT_EQ(target[0], 0x80643219u);  // 200*128/255 = 100, 100 -> 50, 50 -> 25
  EXPECT_EQ(target[1], 0u);
}

TEST(Resample, ZoomOutAveragesTheSamples) {
  // 2 x 2 source, shown as one pixel with 2 x 2 samples.
  const unsigned char pixels[] = {0, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};
  KEPSampleAxis cols = KEPBuildSampleAxis(0.0, 2.0, 1, 2, 2);
  KEPSampleAxis rows = KEPBuildSampleAxis(2.0, -2.0, 1, 2, 2);
  std::uint32_t target = 0;
  KEPResamplePixels(pixels, 2, cols, rows, KEPPixelBlend::kOpaque, &target, 1);
  EXPECT_EQ(target, 0xFF404040u);  // each channel (255 + 2) / 4
}

TEST(HalvePixels, AveragesBlocksAndRepeatsTheLastRowAndColumnOfOddSizes) {
  // 3 x 3 source, one channel that matters: red = 10 * (c + 3 r).
  std::vector<unsigned char> source(3 * 3 * 4, 255);
  for (int i = 0; i < 9; ++i) source[i * 4] = static_cast<unsigned char>(10 * i);
  std::vector<unsigned char> half(2 * 2 * 4, 0);
  KEPHalvePixels(source.data(), 3, 3, half.data(), 0, 0, 2, 2);
  EXPECT_EQ(half[0], (0 + 10 + 30 + 40 + 2) / 4);
  EXPECT_EQ(half[4], (20 + 20 + 50 + 50 + 2) / 4);  // last column repeated
  EXPECT_EQ(half[8], (60 + 70 + 60 + 70 + 2) / 4);  // last row repeated
  EXPECT_EQ(half[12], 80);
  EXPECT_EQ(half[3], 255);
  // Only the asked rectangle is written.
  std::vector<unsigned char> part(2 * 2 * 4, 7);
  KEPHalvePixels(source.data(), 3, 3, part.data(), 1, 1, 5, 5);
  EXPECT_EQ(part[0], 7);
  EXPECT_EQ(part[12], 80);
}

}  // namespace
