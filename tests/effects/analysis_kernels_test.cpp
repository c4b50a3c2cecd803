// The colour and luminosity analyses on buffers, without a window.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "colour/KEPColourBuffers.h"
#include "effects/KEPAnalysisArea.h"
#include "effects/KEPLightAnalysis.h"
#include "effects/KEPLuminosityAnalysis.h"
#include "effects/KEPLuminosityShading.h"

namespace {

using Pixels = std::vector<unsigned char>;

Pixels Flat(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
  Pixels p(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < p.size(); i += 4) {
    p[i] = r;
    p[i + 1] = g;
    p[i + 2] = b;
    p[i + 3] = 200;
  }
  return p;
}

const unsigned char* At(const Pixels& p, int width, int x, int y) {
  return &p[(static_cast<std::size_t>(y) * width + x) * 4];
}

bool Matches(const KEPLightSettings& settings, unsigned char r, unsigned char g, unsigned char b) {
  const unsigned char rgba[4] = {r, g, b, 255};
  float hls[3];
  KEPColourBuffers::RgbaToHls(rgba, 1, hls);
  return KEPLightAnalysis::Matches(settings, hls[0], hls[1], hls[2]);
}

TEST(LightAnalysis, TolerancesAroundTheSelectedColour) {
  const KEPLightSettings red;  // red, +/- 18 degrees, +/- 10 %
  EXPECT_TRUE(Matches(red, 255, 0, 0));
  EXPECT_TRUE(Matches(red, 255, 20, 20));
  EXPECT_FALSE(Matches(red, 255, 128, 0));  // orange, hue 30
  EXPECT_FALSE(Matches(red, 128, 0, 0));    // too dark
  EXPECT_FALSE(Matches(red, 128, 128, 128));

  KEPLightSettings s = red;
  s.selected.SetHue(350.0f);
  EXPECT_FLOAT_EQ(KEPLightAnalysis::HueDistance(350.0f, 5.0f), 15.0f);
  EXPECT_FLOAT_EQ(KEPLightAnalysis::HueDistance(10.0f, 190.0f), 180.0f);
  EXPECT_FLOAT_EQ(KEPLightAnalysis::HueDistance(179.0f, 181.0f), 2.0f);
  EXPECT_TRUE(KEPLightAnalysis::Matches(s, 5.0f, 0.5f, 1.0f));
  EXPECT_FALSE(KEPLightAnalysis::Matches(s, 10.0f, 0.5f, 1.0f));

  // A grey has no hue: it fails the hue test of a colour, passes without it,
  // and matches a grey selected colour.
  s = red;
  s.selected.Set(0.0f, 0.5f, 0.0f);
  EXPECT_FALSE(Matches(s, 128, 128, 128));
  s.hueTest = 0;
  EXPECT_TRUE(Matches(s, 128, 128, 128));
  s.hueTest = 1;
  s.selected.SetHue(-1.0f);
  EXPECT_TRUE(Matches(s, 128, 128, 128));
  EXPECT_FALSE(Matches(s, 128, 120, 120));
}

TEST(LightAnalysis, PaintsOnlyTheExaminedMatchingPixels) {
  // Left half red, right half blue, with a selection mask of two columns.
  const int w = 6, h = 3;
  Pixels src = Flat(w, h, 255, 0, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 3; x < w; ++x) std::memcpy(&src[(y * w + x) * 4], "\0\0\xff", 3);
  const unsigned char mask[] = {0, 1, 0, 1, 0, 1};  // 2 x 3, shape in the first column
  KEPLightSettings s;
  s.control.Set(120.0f, 0.5f, 1.0f);  // green
  Pixels dst(src.size());
  for (int side : {0, 1}) {
    const KEPAnalysisArea area = KEPAnalysisArea::FromSelection(w, h, mask, 2, 0, 2, 3, side);
    KEPLightAnalysis::AnalyseImage(src.data(), dst.data(), w, h, area, s);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool examined = side == 0 ? x == 2 : x != 2;
        const bool green = examined && x < 3;
        EXPECT_EQ(At(dst, w, x, y)[1], green ? 255 : 0) << side << " " << x << "," << y;
        EXPECT_EQ(At(dst, w, x, y)[3], 200);
      }
    }
  }
}

TEST(AnalysisArea, SelectionSidesClippingAndControlSizes) {
  const unsigned char mask[] = {0, 1, 1, 0};  // 2 x 2 at (-1, 1): only x = 0 lies on the image
  KEPAnalysisArea in = KEPAnalysisArea::FromSelection(4, 4, mask, -1, 1, 2, 2, 0);
  EXPECT_EQ(std::vector<int>({in.GetX(), in.GetY(), in.GetWidth(), in.GetHeight()}),
            std::vector<int>({0, 1, 1, 2}));
  EXPECT_FALSE(in.IsExamined(0, 0));  // mask byte 1
  EXPECT_TRUE(in.IsExamined(0, 1));
  KEPAnalysisArea out = KEPAnalysisArea::FromSelection(4, 4, mask, -1, 1, 2, 2, 1);
  EXPECT_EQ(out.GetWidth(), 4);
  EXPECT_TRUE(out.IsExamined(0, 1) && out.IsExamined(3, 3));
  EXPECT_FALSE(out.IsExamined(0, 2));
  EXPECT_TRUE(KEPAnalysisArea::FromSelection(4, 4, mask, 9, 9, 2, 2, 0).IsEmpty());
  EXPECT_EQ(KEPAnalysisArea::FromSelection(4, 4, nullptr, 0, 0, 4, 4, 0).GetMask(), nullptr);

  struct {
    int w, h, cw, ch;
  } sizes[] = {{400, 300, 200, 150}, {100, 300, 50, 150}, {800, 300, 200, 75}, {150, 150, 150, 150},
               {100000, 1, 200, 1},  {1, 100000, 1, 150}, {40, 30, 200, 150}};
  for (const auto& s : sizes) {
    int cw = 0, ch = 0;
    KEPAnalysisArea::ControlSize(s.w, s.h, cw, ch);
    EXPECT_EQ(std::vector<int>({cw, ch}), std::vector<int>({s.cw, s.ch})) << s.w << "x" << s.h;
  }
}

TEST(AnalysisArea, ControlCopyAveragesAndKeepsTheMask) {
  // A 4 x 2 area of a 5-wide picture, halved: each control pixel the mean
  // of a 2 x 2 block; the mask follows the pixel under each cell's centre.
  Pixels image(5 * 2 * 4, 0);
  for (int x = 0; x < 5; ++x) image[(5 + x) * 4] = static_cast<unsigned char>(x * 10);
  const unsigned char mask[] = {0, 0, 1, 1, 0, 0, 1, 1};
  const KEPAnalysisArea area = KEPAnalysisArea::FromSelection(5, 2, mask, 1, 0, 4, 2, 0);
  const Pixels control = area.MakeControlPixels(image.data(), 5, 2, 1);
  EXPECT_EQ(control[0], 8);   // (0 + 0 + 10 + 20) / 4, rounded
  EXPECT_EQ(control[4], 18);  // (0 + 0 + 30 + 40) / 4, rounded
  const KEPAnalysisArea controlArea = area.MakeControlArea(2, 1);
  EXPECT_TRUE(controlArea.IsExamined(0, 0));
  EXPECT_FALSE(controlArea.IsExamined(1, 0));
}

class Shading : public ::testing::Test {
 protected:
  void SetUp() override { Sort(); }
  void Sort() { shading.InitSortedShadingStep(&s.levels[0], &s.levels[1], &s.levels[2]); }
  std::vector<float> Levels() const {
    std::vector<float> levels;
    for (int i = 1; i <= shading.GetSortedSteps().Size(); ++i)
      levels.push_back(shading.GetSortedSteps()[i]->GetLevel());
    return levels;
  }
  KEPLuminositySettings s;
  KEPLuminosityShading shading;
};

TEST_F(Shading, BandsAndColoursOfTheDefaultLevels) {
  for (auto [in, out] : {std::pair{0.5f, 0.475f}, {1.0f, 0.975f}, {0.0f, 0.025f}})
    EXPECT_FLOAT_EQ(KEPLuminosityAnalysis::GetSampledLuminosity(in, 20), out) << in;
  EXPECT_EQ(Levels(), (std::vector<float>{0.0f, 0.33f, 0.66f, 1.0f, 1.0f}));
  KEPRGBColor c = shading.GetColorShadeFromLuminosity(0.025f);
  EXPECT_NEAR(c.GetBlue(), 0.0758f, 1e-4f);
  EXPECT_EQ(c.GetRed() + c.GetGreen(), 0.0f);
  c = shading.GetColorShadeFromLuminosity(0.5f);  // between blue and green
  EXPECT_NEAR(c.GetGreen(), 0.17f / 0.33f, 1e-5f);
  EXPECT_NEAR(c.GetBlue(), 1.0f - 0.17f / 0.33f, 1e-5f);
  EXPECT_EQ(shading.GetColorShadeFromLuminosity(1.0f).GetRed(), 1.0f);
  EXPECT_EQ(shading.GetColorShadeFromLuminosity(1.5f).GetRed(), 0.0f);  // no pair holds it
}

TEST_F(Shading, EqualLevelsKeepTheirOrderAndInactiveOnesLeave) {
  s.levels[0].SetLevel(0.5f);
  s.levels[1].SetLevel(0.5f);
  s.levels[2].SetActive(0);
  shading.SortShadingStep();
  EXPECT_EQ(Levels(), (std::vector<float>{0.0f, 0.5f, 0.5f, 1.0f}));
  EXPECT_EQ(shading.GetSortedSteps()[2], &s.levels[0]);
  // The lower-numbered level's colour at the shared position.
  EXPECT_EQ(shading.GetColorShadeFromLuminosity(0.5f).GetRed(), 1.0f);
  s.levels[0].SetActive(0);
  s.levels[1].SetActive(0);
  shading.SortShadingStep();
  EXPECT_EQ(Levels(), (std::vector<float>{0.0f, 1.0f}));
}

TEST_F(Shading, BarMarksTheActiveLevels) {
  const Pixels bar = KEPLuminosityAnalysis::ShadingBar(s, shading);
  ASSERT_EQ(bar.size(), 32u * 128 * 4);
  auto row = [&](int i) { return At(bar, 32, 31, i); };
  for (int marker : {127, 83, 41}) EXPECT_EQ(row(marker)[0] + row(marker)[1], 510) << marker;
  EXPECT_EQ(row(0)[2],
            static_cast<int>(shading.GetColorShadeFromLuminosity(0.025f).GetBlue() * 255.0));
  EXPECT_EQ(row(100)[3], 0);
  EXPECT_NE(row(100)[0] + row(100)[1] + row(100)[2], 765);
}

TEST_F(Shading, LuminosityBandsOutlinesAndRange) {
  const int w = 8, h = 6;
  Pixels src = Flat(w, h, 90, 90, 90);
  Pixels dst(src.size());
  float smallest = 0, largest = 0;
  s.outlines = 1;
  const KEPAnalysisArea all(w, h);
  KEPLuminosityAnalysis::AnalyseImage(src.data(), dst.data(), w, h, all, s, shading, smallest,
                                      largest);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      EXPECT_EQ(std::memcmp(At(dst, w, x, y), At(dst, w, 0, 0), 4), 0);  // one band, no outline
  EXPECT_FLOAT_EQ(smallest, 90.0f / 255.0f);
  EXPECT_FLOAT_EQ(largest, 90.0f / 255.0f);

  // A bright right half: the dark pixels left of it differ from their
  // right neighbour and are outlined, except on the area's border.
  for (int y = 0; y < h; ++y)
    for (int x = 4; x < w; ++x) std::memset(&src[(y * w + x) * 4], 250, 3);
  KEPLuminosityAnalysis::AnalyseImage(src.data(), dst.data(), w, h, all, s, shading, smallest,
                                      largest);
  const unsigned char grey = KEPLuminosityAnalysis::OutlineGrey(At(dst, w, 0, 2));
  EXPECT_EQ(At(dst, w, 3, 2)[0], grey);
  EXPECT_EQ(At(dst, w, 3, 2)[1], grey);
  EXPECT_NE(At(dst, w, 3, 0)[0], grey);  // bottom border
  EXPECT_NE(At(dst, w, 2, 2)[0], grey);
  EXPECT_GT(KEPLuminosityAnalysis::OutlineGrey(At(dst, w, 0, 2)), 128);  // dark band
}

TEST_F(Shading, RangeSkipsZeroAndNewMinimaForTheLargest) {
  // Values 0, 0.6, 0.4 in order: each of the last two lowers the smallest,
  // so neither counts as the largest.
  Pixels src = Flat(3, 1, 0, 0, 0);
  std::memset(&src[4], 153, 3);
  std::memset(&src[8], 102, 3);
  Pixels dst(src.size());
  float smallest = 0, largest = 0;
  KEPLuminosityAnalysis::AnalyseImage(src.data(), dst.data(), 3, 1, KEPAnalysisArea(3, 1), s,
                                      shading, smallest, largest);
  EXPECT_FLOAT_EQ(smallest, 0.4f);
  EXPECT_EQ(largest, 0.0f);
}

TEST_F(Shading, ContrastOfEachNeighbourhoodAndNoneOnTheBorder) {
  float nine[9] = {10, 10, 10, 10, 30, 10, 10, 10, 10};
  EXPECT_FLOAT_EQ(KEPLuminosityAnalysis::GetContrastFrom3x3YMatrix(nine), 0.5f);
  std::fill(nine, nine + 9, 0.0f);
  EXPECT_EQ(KEPLuminosityAnalysis::GetContrastFrom3x3YMatrix(nine), 0.0f);

  const int w = 23, h = 9;
  Pixels src(static_cast<std::size_t>(w) * h * 4);
  std::mt19937 rng(3);
  for (auto& b : src) b = static_cast<unsigned char>(rng());
  Pixels dst(src.size());
  s.type = KEPLuminositySettings::TYPE_CONTRAST;
  s.frequency = 255;
  float smallest = 0, largest = 0;
  KEPLuminosityAnalysis::AnalyseImage(src.data(), dst.data(), w, h, KEPAnalysisArea(w, h), s,
                                      shading, smallest, largest);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
        EXPECT_EQ(std::memcmp(At(dst, w, x, y), At(src, w, x, y), 4), 0);
        continue;
      }
      float nine[9];
      for (int k = 0; k < 9; ++k)
        KEPColourBuffers::RgbaToByteLuminance(At(src, w, x - 1 + k % 3, y - 1 + k / 3), 1,
                                              &nine[k]);
      const KEPRGBColor c =
          shading.GetColorShadeFromLuminosity(KEPLuminosityAnalysis::GetSampledLuminosity(
              KEPLuminosityAnalysis::GetContrastFrom3x3YMatrix(nine), 255));
      const unsigned char* got = At(dst, w, x, y);
      EXPECT_EQ(got[0], static_cast<int>(c.GetRed() * 255.0)) << x << "," << y;
      EXPECT_EQ(got[1], static_cast<int>(c.GetGreen() * 255.0)) << x << "," << y;
      EXPECT_EQ(got[2], static_cast<int>(c.GetBlue() * 255.0)) << x << "," << y;
    }
  }
  // One pixel wide: all border, nothing changes.
  Pixels strip = Flat(1, 5, 9, 99, 199), stripOut(strip.size());
  KEPLuminosityAnalysis::AnalyseImage(strip.data(), stripOut.data(), 1, 5, KEPAnalysisArea(1, 5), s,
                                      shading, smallest, largest);
  EXPECT_EQ(strip, stripOut);
}

}  // namespace
