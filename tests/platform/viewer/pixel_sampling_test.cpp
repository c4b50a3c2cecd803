#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/viewer/KEPPixelSampling.h"

namespace {

std::vector<int> Indices(const KEPSampleAxis& axis) {
  std::vector<int> out;
  for (int i = axis.begin; i < axis.end; ++i) out.push_back(axis.index[i * axis.samples]);
  return out;
}

TEST(SampleAxis, ZoomOneReadsEachSourcePixelOnceAndSkipsTargetsOffTheSource) {
  // Target pixel 0's leading edge at source coordinate -2: the first two
  // target pixels lie before the source.
  KEPSampleAxis axis = KEPBuildSampleAxis(-2.0, 1.0, 8, 1, 4);
  EXPECT_EQ(axis.begin, 2);
  EXPECT_EQ(axis.end, 6);
  EXPECT_EQ(Indices(axis), (std::vector<int>{0, 1, 2, 3}));
}

TEST(SampleAxis, MagnifiedPixelsRepeatNearestNeighbour) {
  KEPSampleAxis axis = KEPBuildSampleAxis(0.0, 1.0 / 8.0, 24, 1, 3);
  ASSERT_EQ(axis.end - axis.begin, 24);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(axis.index[i], i / 8) << i;
}

TEST(SampleAxis, RowsRunDownwardsFromTheTopOfTheSource) {
  // Source rows go up, target rows down: the first target row starts at
  // source height 3 (the top of a 3-row image) and steps down.
  KEPSampleAxis axis = KEPBuildSampleAxis(3.0, -1.0, 5, 1, 3);
  EXPECT_EQ(axis.begin, 0);
  EXPECT_EQ(axis.end, 3);
  EXPECT_EQ(Indices(axis), (std::vector<int>{2, 1, 0}));
}

TEST(SampleAxis, CentreDecidesOnFractionalEdges) {
  // Source starts 0.4 target pixel into pixel 0: its centre (0.5) is on.
  KEPSampleAxis on = KEPBuildSampleAxis(-0.4, 1.0, 3, 1, 10);
  EXPECT_EQ(on.begin, 0);
  // 0.6 in: the centre is still before the source.
  KEPSampleAxis off = KEPBuildSampleAxis(-0.6, 1.0, 3, 1, 10);
  EXPECT_EQ(off.begin, 1);
}

TEST(SampleAxis, NothingWhenTheSourceIsElsewhereOrSizesAreBad) {
  EXPECT_TRUE(KEPBuildSampleAxis(100.0, 1.0, 10, 1, 5).Empty());
  EXPECT_TRUE(KEPBuildSampleAxis(-100.0, 1.0, 10, 1, 5).Empty());
  EXPECT_TRUE(KEPBuildSampleAxis(0.0, 1.0, 0, 1, 5).Empty());
  EXPECT_TRUE(KEPBuildSampleAxis(0.0, 1.0, 10, 1, 0).Empty());
  EXPECT_TRUE(KEPBuildSampleAxis(0.0, 0.0, 10, 1, 5).Empty());
}

TEST(SampleAxis, ZoomOutSpreadsSamplesOverTheFootprint) {
  EXPECT_EQ(KEPSamplesForZoom(8.0), 1);
  EXPECT_EQ(KEPSamplesForZoom(1.0), 1);
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
