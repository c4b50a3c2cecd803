#include <gtest/gtest.h>

#include "colour/KEPHLSColor.h"
#include "colour/KEPListPtrKEPShadingStep.h"
#include "colour/KEPRGBColor.h"
#include "colour/KEPYIQColor.h"

namespace {

struct Hls {
  float h, l, s;
};

Hls ToHls(float r, float g, float b) {
  KEPHLSColor out(-1.0f, 0.0f, 0.0f);
  KEPRGBColor(r, g, b).ConvertToHLSColor(out);
  return {out.GetHue(), out.GetLightness(), out.GetSaturation()};
}

void ExpectRgb(const KEPHLSColor& hls, float r, float g, float b) {
  KEPRGBColor out(-9.0f, -9.0f, -9.0f);
  hls.ConvertToRGBColor(out);
  EXPECT_FLOAT_EQ(out.GetRed(), r);
  EXPECT_FLOAT_EQ(out.GetGreen(), g);
  EXPECT_FLOAT_EQ(out.GetBlue(), b);
}

TEST(RgbToHls, AchromaticColoursHaveNoHue) {
  for (float v : {0.0f, 0.5f, 1.0f}) {
    const Hls c = ToHls(v, v, v);
    EXPECT_EQ(c.h, -1.0f);
    EXPECT_EQ(c.l, v);
    EXPECT_EQ(c.s, 0.0f);
  }
}

TEST(RgbToHls, PrimariesAndTies) {
  const Hls red = ToHls(1, 0, 0);
  EXPECT_EQ(red.h, 0.0f);
  EXPECT_EQ(red.l, 0.5f);
  EXPECT_EQ(red.s, 1.0f);  // L = 0.5 takes delta / (max + min)
  EXPECT_EQ(ToHls(0, 1, 0).h, 120.0f);
  EXPECT_EQ(ToHls(0, 0, 1).h, 240.0f);
  // Red wins the tie with blue: h = (0 - 1) / 1 = -1, i.e. -60, wrapped.
  EXPECT_EQ(ToHls(1, 0, 1).h, 300.0f);
  // Green wins the tie with blue: 2 + (1 - 0) / 1.
  EXPECT_EQ(ToHls(0, 1, 1).h, 180.0f);
  EXPECT_EQ(ToHls(1, 1, 0).h, 60.0f);
  // Light colours use delta / (2 - max - min): 0.5 / (2 - 1 - 0.5).
  const Hls pink = ToHls(1.0f, 0.5f, 0.5f);
  EXPECT_EQ(pink.l, 0.75f);
  EXPECT_EQ(pink.s, 1.0f);
  // Dark: 0.25 / (0.25 + 0) with L = 0.125.
  const Hls maroon = ToHls(0.25f, 0.0f, 0.0f);
  EXPECT_EQ(maroon.l, 0.125f);
  EXPECT_EQ(maroon.s, 1.0f);
}

TEST(HlsToRgb, HueEndsGreysAndRoundTrips) {
  ExpectRgb(KEPHLSColor(0.0f, 0.5f, 1.0f), 1, 0, 0);
  ExpectRgb(KEPHLSColor(360.0f, 0.5f, 1.0f), 1, 0, 0);
  ExpectRgb(KEPHLSColor(-1.0f, 0.3f, 0.0f), 0.3f, 0.3f, 0.3f);
  ExpectRgb(KEPHLSColor(200.0f, 0.8f, 0.0f), 0.8f, 0.8f, 0.8f);
  ExpectRgb(KEPHLSColor(300.0f, 0.5f, 1.0f), 1, 0, 1);
  // m2 = 0.75 + 0.5 - 0.375, m1 = 0.625 for a light, half-saturated green.
  ExpectRgb(KEPHLSColor(120.0f, 0.75f, 0.5f), 0.625f, 0.875f, 0.625f);
  for (int r = 0; r <= 255; r += 15) {
    for (int g = 0; g <= 255; g += 17) {
      for (int b = 0; b <= 255; b += 51) {
        KEPHLSColor hls(-1.0f, 0.0f, 0.0f);
        KEPRGBColor(r / 255.0f, g / 255.0f, b / 255.0f).ConvertToHLSColor(hls);
        ASSERT_GE(hls.GetHue(), -1.0f);
        ASSERT_LT(hls.GetHue(), 360.0f);
        KEPRGBColor back(0, 0, 0);
        hls.ConvertToRGBColor(back);
        EXPECT_NEAR(back.GetRed() * 255.0f, r, 1e-3f);
        EXPECT_NEAR(back.GetGreen() * 255.0f, g, 1e-3f);
        EXPECT_NEAR(back.GetBlue() * 255.0f, b, 1e-3f);
      }
    }
  }
}

TEST(HlsToRgb, ComputeRGBPrimaryBandsAndSingleWrap) {
  const float m1 = 0.2f, m2 = 0.8f;
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 30.0f), 0.5f);
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 60.0f), m2);
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 179.9f), m2);
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 180.0f), m1 + (m2 - m1) * 60.0f / 60.0f);
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 210.0f), 0.5f);
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 240.0f), m1);
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 359.0f), m1);
  // One turn each way: 420 is 60, -330 is 30; 730 becomes 370 and stays
  // in the last band, -400 becomes -40 and extrapolates the first.
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 420.0f), m2);
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, -330.0f), 0.5f);
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 730.0f), m1);
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(0.0f, 1.0f, -400.0f), -40.0f / 60.0f);
  // 360 itself is not wrapped: it is the last band.
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 360.0f), m1);
}

TEST(Yiq, WhiteAndRoundTrip) {
  KEPYIQColor yiq(9, 9, 9);
  KEPRGBColor(1, 1, 1).ConvertToYIQColor(yiq);
  EXPECT_FLOAT_EQ(yiq.GetY(), 1.0f);
  EXPECT_NEAR(yiq.GetI(), 0.0f, 1e-6f);
  EXPECT_NEAR(yiq.GetQ(), 0.0f, 1e-6f);
  KEPRGBColor(1, 0, 0).ConvertToYIQColor(yiq);
  EXPECT_FLOAT_EQ(yiq.GetY(), 0.3f);
  EXPECT_FLOAT_EQ(yiq.GetI(), 0.6f);
  EXPECT_FLOAT_EQ(yiq.GetQ(), 0.21f);
  KEPRGBColor(0.2f, 0.7f, 0.4f).ConvertToYIQColor(yiq);
  EXPECT_FLOAT_EQ(yiq.GetY(), 0.06f + 0.413f + 0.044f);
  KEPRGBColor back(0, 0, 0);
  yiq.ConvertToRGBColor(back);
  EXPECT_NEAR(back.GetRed(), 0.2f, 1e-6f);
  EXPECT_NEAR(back.GetGreen(), 0.7f, 1e-6f);
  EXPECT_NEAR(back.GetBlue(), 0.4f, 1e-6f);
}

TEST(Conversions, MissingOnesSayItAndChangeNothing) {
  KEPYIQColor yiq(0.1f, 0.2f, 0.3f);
  testing::internal::CaptureStdout();
  KEPHLSColor(120.0f, 0.5f, 1.0f).ConvertToYIQColor(yiq);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "HLS to YIQ to implement\n");
  EXPECT_EQ(yiq.GetQ(), 0.3f);
  KEPHLSColor hls(10.0f, 0.4f, 0.6f);
  testing::internal::CaptureStdout();
  yiq.ConvertToHLSColor(hls);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "yiq to hls to implement\n");
  EXPECT_EQ(hls.GetHue(), 10.0f);
  EXPECT_EQ(hls.GetSaturation(), 0.6f);
}

int ByLevel(const KEPShadingStep* a, const KEPShadingStep* b) {
  return a->GetLevel() < b->GetLevel() ? -1 : a->GetLevel() > b->GetLevel() ? 1 : 0;
}

TEST(ShadingSteps, ListHoldsPointersItDoesNotOwn) {
  KEPRGBColor red(1, 0, 0);
  KEPShadingStep low(0.0f, red, 1), mid(0.5f, KEPRGBColor(0, 1, 0), 0), high(1.0f, red, 1);
  red.SetRed(0.0f);  // the step keeps its own copy
  EXPECT_EQ(low.GetColor().GetRed(), 1.0f);
  EXPECT_EQ(mid.GetActive(), 0);

  KEPShadingStep* steps[] = {&low, &mid, &high};
  KEPListPtrKEPShadingStep list(steps, 3), copy(list), empty(0);
  ASSERT_EQ(list.Size(), 3);
  EXPECT_EQ(list[2], &mid);
  EXPECT_EQ(KEPListPtrKEPShadingStep::Compare(list, copy, ByLevel), 0);
  EXPECT_NE(KEPListPtrKEPShadingStep::Compare(list, empty, ByLevel), 0);
  list.Append(&low);
  list.RemoveDuplicates(nullptr);
  EXPECT_EQ(list.Size(), 3);
  list.RemoveDuplicates(&copy);
  EXPECT_EQ(list.Size(), 0);
  KEPShadingStep* out[3] = {};
  copy.FillArray(out, 3);
  EXPECT_EQ(out[2], &high);
  copy = copy;
  EXPECT_EQ(copy.Size(), 3);
  copy.RemoveAll();
  EXPECT_EQ(copy.Size(), 0);
  EXPECT_EQ(high.GetLevel(), 1.0f);  // the steps outlive the list's emptying
}

}  // namespace
