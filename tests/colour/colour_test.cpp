#include <gtest/gtest.h>

#include "colour/KEPHLSColor.h"
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
  EXPECT_EQ(ToHls(0, 0, 1).h, 240.0f);
  // Red wins the tie with blue: h = (0 - 1) / 1 = -1, i.e. -60, wrapped;
  // green wins the tie with blue: 2 + (1 - 0) / 1.
  EXPECT_EQ(ToHls(1, 0, 1).h, 300.0f);
  EXPECT_EQ(ToHls(0, 1, 1).h, 180.0f);
  // Light: 0.5 / (2 - 1 - 0.5); dark: 0.25 / (0.25 + 0).
  EXPECT_EQ(ToHls(1.0f, 0.5f, 0.5f).s, 1.0f);
  EXPECT_EQ(ToHls(0.25f, 0.0f, 0.0f).s, 1.0f);
}

TEST(HlsToRgb, HueEndsGreysAndRoundTrips) {
  ExpectRgb(KEPHLSColor(0.0f, 0.5f, 1.0f), 1, 0, 0);
  ExpectRgb(KEPHLSColor(360.0f, 0.5f, 1.0f), 1, 0, 0);
  ExpectRgb(KEPHLSColor(-1.0f, 0.3f, 0.0f), 0.3f, 0.3f, 0.3f);
  // m2 = 0.75 + 0.5 - 0.375, m1 = 0.625 for a light, half-saturated green.
  ExpectRgb(KEPHLSColor(120.0f, 0.75f, 0.5f), 0.625f, 0.875f, 0.625f);
}

TEST(HlsToRgb, ComputeRGBPrimaryBandsAndSingleWrap) {
  const float m1 = 0.2f, m2 = 0.8f;
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 30.0f), 0.5f);
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 60.0f), m2);
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 180.0f), m1 + (m2 - m1) * 60.0f / 60.0f);
  EXPECT_FLOAT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 210.0f), 0.5f);
  EXPECT_EQ(KEPHLSColor::ComputeRGBPrimary(m1, m2, 240.0f), m1);
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

}  // namespace
