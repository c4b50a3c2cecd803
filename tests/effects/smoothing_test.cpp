// The diffusion step and blur on component arrays, the arrays' round trip to
// pixels, and a run under a selection. An interrupted run is checked through
// the smoothing window, over the same run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "effects/KEPComponentArrays.h"
#include "effects/KEPSmoothing.h"
#include "effects/KEPSmoothingRun.h"

namespace {

std::vector<unsigned char> Noise(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (auto& byte : pixels) byte = static_cast<unsigned char>(random() & 0xff);
  return pixels;
}

// The step written plainly, one pixel and four fluxes at a time.
std::vector<float> PlainStep(const std::vector<float>& in, int w, int h,
                             const KEPSmoothing::Params& p, const KEPSelectionMask& mask) {
  std::vector<float> out = in;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        if (!p.components[c] || !mask.TakesPart(x, y)) continue;
        auto at = [&](int xx, int yy) { return in[(yy * w + xx) * 3 + c]; };
        const float v = at(x, y);
        auto flux = [&](int xx, int yy) -> double {
          if (xx < 0 || yy < 0 || xx >= w || yy >= h) return 0.0;
          const float d = at(xx, yy) - v;
          return static_cast<float>(d * std::exp(-std::pow(std::fabs(d) / double{p.k}, 2)));
        };
        out[(y * w + x) * 3 + c] = static_cast<float>(
            v + 0.25 * (flux(x, y - 1) + flux(x, y + 1) + flux(x + 1, y) + flux(x - 1, y)));
      }
  return out;
}

TEST(Smoothing, StepGivesBitForBitThePlainFormulaInBandsAndUnderAMask) {
  const int w = 37, h = 23;
  std::vector<float> in(w * h * 3);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(0.0f, 1.0f);
  for (float& v : in) v = value(random);
  std::vector<unsigned char> maskBytes(10 * 6);
  for (auto& b : maskBytes) b = random() & 1;
  for (float k : {0.05f, 0.3f, 1.0f}) {
    for (const KEPSelectionMask& mask :
         {KEPSelectionMask{}, KEPSelectionMask{maskBytes.data(), 5, 4, 10, 6, 1}}) {
      KEPSmoothing::Params p{k, {1, 0, 1}, false};
      const std::vector<float> expected = PlainStep(in, w, h, p, mask);
      EXPECT_EQ(KEPSmoothing::Gauss(in.data(), w, h, p, {0, 0, &mask}), expected) << k;
      // Bands that start anywhere give the same rows.
      std::vector<float> pieces(in.size());
      for (int y = 0; y < h; y += 5)
        KEPSmoothing::GaussRows(in.data(), pieces.data(), w, h, y, y + 5, p, {0, 0, &mask});
      EXPECT_EQ(pieces, expected);
    }
  }
}

TEST(Smoothing, FluxesOfARowAreTheLibraryExponentialsFloats) {
  std::mt19937 random(1);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  std::vector<float> d(1 << 20), fast(d.size());
  for (float& v : d) v = value(random) * (random() % 2 ? 1.0f : 1e-3f);
  d[0] = 0.0f;
  d[1] = -1e-40f;
  for (float k : {0.0067f, 0.05f, 1.0f}) {
    KEPSmoothing::FluxRow(d.data(), fast.data(), static_cast<int>(d.size()), k);
    int differ = 0;
    for (std::size_t i = 0; i < d.size(); ++i) {
      const float expected = KEPSmoothing::Flux(d[i], k);
      differ += std::memcmp(&fast[i], &expected, sizeof expected) != 0;
    }
    EXPECT_EQ(differ, 0) << k;
  }
}

TEST(Smoothing, UniformStaysAndBordersUseTheirInsideNeighboursOnly) {
  KEPSmoothing::Params p{1.0f, {1, 1, 1}, false};
  std::vector<float> uniform(4 * 3 * 3, 0.4f), out = uniform;
  for (int i = 0; i < 5; ++i) out = KEPSmoothing::Gauss(out.data(), 4, 3, p, {});
  EXPECT_EQ(out, uniform);
  // A 2 x 1 row: each end has one neighbour.
  const float row[6] = {0.2f, 0.2f, 0.2f, 0.6f, 0.6f, 0.6f};
  out = KEPSmoothing::Gauss(row, 2, 1, p, {});
  const double f = static_cast<float>(0.4f * std::exp(-std::pow(0.4f / 1.0, 2)));
  EXPECT_FLOAT_EQ(out[0], static_cast<float>(0.2f + 0.25 * f));
  EXPECT_FLOAT_EQ(out[3], static_cast<float>(0.6f - 0.25 * f));
  // Differences far above K stay.
  p.k = 0.01f;
  out = KEPSmoothing::Gauss(row, 2, 1, p, {});
  EXPECT_EQ(std::vector<float>(out.begin(), out.end()), std::vector<float>(row, row + 6));
  unsigned char stop = 1;
  EXPECT_TRUE(KEPSmoothing::Gauss(row, 2, 1, p, {}, &stop).empty());
}

TEST(Smoothing, HueGoesTheShortWayRoundAndGreyPixelsStayOutOfIt) {
  KEPSmoothing::Params p{1.0f, {1, 0, 0}, true};
  // Hues 0.98 and 0.02 meet across 0, not across 0.5; a grey third pixel
  // neither moves nor pulls.
  const float in[9] = {0.98f, 0.5f, 0.5f, 0.02f, 0.5f, 0.5f, -1.0f, 0.5f, 0.0f};
  const std::vector<float> out = KEPSmoothing::Gauss(in, 3, 1, p, {});
  EXPECT_GT(out[0], 0.98f);
  EXPECT_LT(out[3], 0.02f);
  EXPECT_GE(out[3], 0.0f);
  EXPECT_NEAR(out[0] - 0.98f, 0.02f - out[3], 1e-6);
  EXPECT_EQ(out[6], -1.0f);
}

TEST(Smoothing, ComponentsComeBackExactlyAndOnlyChangedPixelsMove) {
  const int w = 64, h = 16;
  for (int space : {KEPComponentArrays::kRGB, KEPComponentArrays::kHLS}) {
    std::vector<unsigned char> pixels = Noise(w, h, 3), before = pixels;
    std::vector<float> c = KEPComponentArrays::Export(pixels.data(), w, 8, 2, 40, 10, space);
    EXPECT_EQ(KEPComponentArrays::Import(pixels.data(), w, 8, 2, 40, 10, space, c.data()), 0u);
    EXPECT_EQ(pixels, before);
    c[1] = 0.0f;  // the first pixel's green, or lightness: black
    EXPECT_EQ(KEPComponentArrays::Import(pixels.data(), w, 8, 2, 40, 10, space, c.data()), 1u);
    const unsigned char* changed = &pixels[(2 * w + 8) * 4];
    EXPECT_EQ(changed[1], 0);
    EXPECT_EQ(changed[3], before[(2 * w + 8) * 4 + 3]);
  }
}

TEST(Smoothing, BlurTakesTheMeanLightnessOfTheSelectedNeighbours) {
  // 3 x 1: lightness 0.1, 0.4, 0.7; the right pixel is outside the mask.
  const float hls[9] = {0.2f, 0.1f, 0.5f, 0.3f, 0.4f, 0.6f, 0.4f, 0.7f, 0.7f};
  const unsigned char maskBytes[3] = {0, 0, 1};
  const KEPSelectionMask mask{maskBytes, 0, 0, 3, 1, 0};
  std::vector<float> out = KEPSmoothing::BlurLightness(hls, 3, 1, 3, {0, 0, &mask});
  EXPECT_FLOAT_EQ(out[1], 0.25f);
  EXPECT_FLOAT_EQ(out[4], 0.25f);
  EXPECT_EQ(out[7], 0.7f);
  for (int i : {0, 2, 3, 5, 6, 8}) EXPECT_EQ(out[i], hls[i]);
  EXPECT_EQ(KEPSmoothing::BlurLightness(hls, 1, 1, 3, {})[1], 0.1f);
}

TEST(Smoothing, PixelsOutsideTheSelectionKeepTheirBytes) {
  const int w = 24, h = 16;
  const std::vector<unsigned char> noise = Noise(w, h, 5);
  std::vector<unsigned char> shape(8 * 6, 1);
  for (int i = 0; i < 8; ++i) shape[2 * 8 + i] = 0;  // one row of the mask rectangle
  for (int side : {0, 1}) {
    const KEPSelectionMask mask{shape.data(), 4, 3, 8, 6, side};
    std::vector<unsigned char> pixels = noise;
    KEPSmoothingRun run({1.0f, {1, 1, 1}, false}, KEPComponentArrays::kHLS, mask, 3);
    ASSERT_TRUE(run.AddImage(pixels.data(), w, h));
    while (run.Advance(h)) {
    }
    run.WriteBack();
    int changed = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool same = std::memcmp(&pixels[(y * w + x) * 4], &noise[(y * w + x) * 4], 4) == 0;
        if (!mask.TakesPart(x, y) || (side == 0 && (y < 3 || y >= 9 || x < 4 || x >= 12))) {
          EXPECT_TRUE(same) << side << " " << x << " " << y;
        }
        changed += !same;
      }
    EXPECT_GT(changed, side == 0 ? 4 : 300) << side;
  }
}

}  // namespace
