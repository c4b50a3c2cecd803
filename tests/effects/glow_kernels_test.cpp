// The glow's pixel work on plain buffers: sizes, rays, profiles and kernels
// against values worked out here from their definitions, the splat at the
// area's edges, the combination's overflow rules, and the convolution path
// against the splat on random selections.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "effects/GlowSetup.h"
#include "effects/KEPGlowColour.h"
#include "effects/KEPGlowKernels.h"
#include "effects/KEPGlowParallel.h"
#include "effects/KEPGlowProfiles.h"

namespace {

// The glare integrated over a pixel, by the corner rule, in double.
double Bloom(double x0, double x1, int n, double s) {
  auto g = [s](double x, double y) {
    const double u = static_cast<float>(s * std::hypot(x, y)) + 0.02;
    return 0.698 / (9662.35 * u * u * u) + 0.302 / (2025.11 * u * u);
  };
  const double dx = (x1 - x0) / n, dy = 1.0 / n;
  double sum = 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const double xa = x0 + i * dx, ya = -0.5 + j * dy;
      sum += 0.25 * (g(xa, ya) + g(xa + dx, ya) + g(xa, ya + dy) + g(xa + dx, ya + dy)) * dx * dy;
    }
  return sum;
}

double Compress(double t) {
  return std::min((std::sqrt(t * 0.999 + 0.001) - std::sqrt(0.001)) / (1 - std::sqrt(0.001)), 1.0);
}

// A glow of the given halo size and light colour, with its kernels.
struct Glow : GlowSetup {
  explicit Glow(int size, float hue = 30.0f, float saturation = 0.6f) {
    light.hue = hue;
    light.saturation = saturation;
    halo.size = size;
    halo.flareProportion = 80.0f;
    Build();
  }
};

const int kLight[3] = {250, 240, 200};

// A random w x h picture with `count` pixels of the light's colour.
std::vector<unsigned char> Picture(int w, int h, int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> pixels(4 * w * h);
  for (auto& byte : pixels) byte = static_cast<unsigned char>(random() % 200);
  for (int i = 0; i < count; ++i) {
    unsigned char* p = &pixels[4 * (random() % (w * h))];
    std::copy(kLight, kLight + 3, p);
  }
  return pixels;
}

struct Result {
  std::vector<unsigned char> pixels;
  std::vector<float> bloom, flare;
};

Result GlowOf(const Glow& glow, const std::vector<unsigned char>& src, int w, int h,
              KEPGlowPath path, KEPGlowProgress* progress = nullptr,
              const unsigned char* interrupt = nullptr) {
  Result r{src, std::vector<float>(3 * w * h), std::vector<float>(3 * w * h)};
  CalculateGlowedImage(src.data(), r.pixels.data(), w, h, glow.bloom.data(), glow.flare.data(),
                       glow.sizes.N, glow.light, glow.halo, kLight, r.bloom.data(), r.flare.data(),
                       1, 1, progress, interrupt, path);
  return r;
}

TEST(GlowKernels, SizesFollowTheHaloSize) {
  const KEPGlowSizes s50 = GlowSizesForWidth(GlowKernelWidth(50));
  EXPECT_EQ(std::vector<int>({s50.N, s50.ctr, s50.M}), std::vector<int>({51, 25, 37}));
  EXPECT_FLOAT_EQ(s50.s, 6.0f / 26);
  EXPECT_EQ(GlowKernelWidth(51), 51);
  const KEPGlowSizes s500 = GlowSizesForWidth(GlowKernelWidth(500));
  // M = (int)(251 * 1.41421356) + 1
  EXPECT_EQ(std::vector<int>({s500.N, s500.M}), std::vector<int>({501, 355}));
}

TEST(GlowKernels, LineValuesComeFromTheSeededGenerator) {
  KEPGlowLineValues values;
  std::srand(1);
  DrawNewRadLineValues(values);
  std::srand(1);
  for (int i = 0; i < kGlowLineCount; ++i) {
    const float a = static_cast<float>(1.0 - (std::rand() % 32768) / 32767.0);
    const float b = static_cast<float>((std::rand() % 32768) / 32767.0);
    ASSERT_FLOAT_EQ(values.value1[i], std::pow(double{a}, 6.0)) << i;
    ASSERT_FLOAT_EQ(values.value2[i], 1.0 - std::pow(double{b}, double{0.06f})) << i;
  }
}

TEST(GlowKernels, StarWeights) {
  for (int i = 0; i < kGlowLineCount; ++i) EXPECT_EQ(GetStarEffectValue(i, 0.0f), 1.0f) << i;
  // Line, star effect, weight.
  const struct {
    int line;
    float star, weight;
  } cases[] = {{64, 1.0f, 1.0f},  {16, 0.5f, 0.7f},  {24, 0.5f, 0.6f},
               {12, 0.5f, 0.55f}, {6, 0.5f, 0.525f}, {7, 1.0f, 0.0f}};
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(GetStarEffectValue(c.line, c.star), c.weight) << c.line;
}

TEST(GlowKernels, AntiAliasedLines) {
  const int N = 9;
  std::vector<float> map(N * N, 0.0f);
  TraceAntiAlLine(1, 4, 7, 4, 0.5f, map.data(), N);
  for (int x = 1; x <= 7; ++x) {
    EXPECT_FLOAT_EQ(map[4 * N + x], 0.5f) << x;
    // The rows beside lie one pixel away: filter value 0.244.
    EXPECT_NEAR(map[5 * N + x], 0.244f * 0.5f, 1e-6) << x;
    EXPECT_NEAR(map[3 * N + x], 0.244f * 0.5f, 1e-6) << x;
  }
  EXPECT_EQ(map[4 * N + 0], 0.0f);
  std::vector<float> vertical(N * N, 0.0f);
  TraceAntiAlLine(4, 7, 4, 1, 0.5f, vertical.data(), N);
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) EXPECT_EQ(vertical[y * N + x], map[x * N + y]);
  std::vector<float> dot(N * N, 0.0f);
  TraceAntiAlLine(2, 3, 2, 3, 0.5f, dot.data(), N);
  EXPECT_EQ(dot[3 * N + 2], 1.0f);
  // Rays run off the grid; what lies outside is skipped.
  TraceAntiAlLine(4, 4, 40, -25, 1.0f, dot.data(), N);
  TraceAntiAlLine(4, 4, -30, 33, 1.0f, dot.data(), N);
}

TEST(GlowKernels, RaysFollowSymmetryAndExtent) {
  Glow symmetric(50);
  symmetric.halo.symmetry = 1.0f;
  const int N = symmetric.sizes.N, ctr = N / 2;
  CreateRadLines(symmetric.map1.data(), symmetric.map2.data(), N, symmetric.lines, 1.0f);
  // The rays at 0, 90, 180, 270 degrees weigh 1, the diagonals 0.4.
  for (int d = 1; d <= ctr; ++d) {
    EXPECT_EQ(symmetric.map1[ctr * N + ctr + d], 1.0f) << d;
    EXPECT_EQ(symmetric.map1[(ctr + d) * N + ctr], 1.0f) << d;
    EXPECT_LE(symmetric.map1[(ctr + d) * N + ctr + d], 0.4f + 1e-6f) << d;
  }
  // Without radial lines the bloom is a function of the distance alone.
  Glow round(50);
  CalculateGlowKernels(round.map1.data(), round.map2.data(), N, round.bloomProfile.data(),
                       round.flareProfile.data(), 0.0f, round.bloom.data(), round.flare.data());
  auto at = [&](int x, int y) { return round.bloom[3 * ((ctr + y) * N + ctr + x)]; };
  for (int a = 0; a <= ctr; a += 3)
    for (int b = 0; b <= ctr; b += 4) {
      EXPECT_EQ(at(a, b), at(b, a));
      EXPECT_EQ(at(a, b), at(-a, -b));
      EXPECT_EQ(at(a, b), at(-b, a));
    }
}

TEST(GlowKernels, BloomProfileMatchesTheGlare) {
  for (int size : {50, 300}) {
    Glow grey(size, 0.0f, 0.0f);
    const KEPGlowSizes& z = grey.sizes;
    for (int k = 0; k < z.M; ++k) {
      const double t = k == 0 ? Bloom(-0.5, 0.5, 10, z.s) * 0.2 + 0.8
                              : Bloom(k - 0.5, k + 0.5, k * z.s < 2.0f ? 4 : 2, z.s) * 0.2;
      for (int c = 0; c < 3; ++c)
        ASSERT_NEAR(grey.bloomProfile[3 * k + c], Compress(t), 2e-5) << size << " " << k;
    }
  }
  // A saturated red: lightness in HLS with white saturation, value in HSV
  // without.
  KEPGlowLightSource red{30000.0f, 0.0f, 1.0f, 1};
  const KEPGlowSizes z = GlowSizesForWidth(51);
  std::vector<float> hls(3 * z.M), hsv(3 * z.M);
  CalculateBloomFilterData(hls.data(), z.M, z.s, red);
  red.whiteSaturation = 0;
  CalculateBloomFilterData(hsv.data(), z.M, z.s, red);
  for (int k = 1; k < z.M; ++k) {
    const double w = Compress(Bloom(k - 0.5, k + 0.5, k * z.s < 2.0f ? 4 : 2, z.s) * 0.2);
    EXPECT_NEAR(hsv[3 * k], w, 2e-5);
    EXPECT_EQ(hsv[3 * k + 1], 0.0f);
    EXPECT_NEAR(hls[3 * k], std::min(2 * w, 1.0), 4e-5);
    EXPECT_NEAR(hls[3 * k + 1], std::max(2 * w - 1, 0.0), 4e-5);
  }
}

TEST(GlowKernels, FlareIsARingOfTheSpectralResponse) {
  Glow white(50, 0.0f, 0.0f);
  const KEPGlowSizes& z = white.sizes;
  auto response = [](double l, int c) {
    return c == 0 ? Lambda_R_Conv(l) : c == 1 ? Lambda_G_Conv(l) : Lambda_B_Conv(l);
  };
  for (int k = 0; k < z.M; ++k) {
    double expected[3] = {0, 0, 0};
    if (k >= 6 && k <= 18) {
      const double theta = k * static_cast<double>(z.s);
      for (int i = 0; i < 15; ++i)
        for (double l : {400.0 + 20 * i, 420.0 + 20 * i}) {
          const double e = (response(l, 0) + response(l, 1) + response(l, 2)) * (568.0 / l) *
                           std::exp(-19.75 * std::pow(theta - 3.0 * l / 568.0, 2));
          for (int c = 0; c < 3; ++c) expected[c] += 20 * e * response(l, c) * 0.5 / 100;
        }
    }
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(white.flareProfile[3 * k + c], std::max(expected[c], 0.0), 1e-4) << k;
  }
  EXPECT_FLOAT_EQ(Lambda_G_Conv(505.0f), (0.87359f + 1.24302f) / 2);
  EXPECT_EQ(Lambda_R_Conv(700.0f), 0.0f);
}

TEST(GlowKernels, KernelsInterpolateTheProfiles) {
  Glow glow(50);
  const int N = glow.sizes.N, ctr = N / 2;
  const double factor = glow.halo.radialLines * N / 101.0;
  for (int y = 0; y < N; y += 5)
    for (int x = 0; x < N; x += 3) {
      const int cell = y * N + x;
      const double r = std::hypot(x - ctr, y - ctr);
      const double rb = r / (factor * std::pow(glow.map1[cell], 1.2) + 1.0);
      const int jb = static_cast<int>(rb), jf = static_cast<int>(r);
      for (int c = 0; c < 3; ++c) {
        const double bloom = (1 - (rb - jb)) * glow.bloomProfile[3 * jb + c] +
                             (rb - jb) * glow.bloomProfile[3 * jb + 3 + c];
        const double flare = ((1 - (r - jf)) * glow.flareProfile[3 * jf + c] +
                              (r - jf) * glow.flareProfile[3 * jf + 3 + c]) *
                             glow.map2[cell];
        ASSERT_NEAR(glow.bloom[3 * cell + c], bloom, 1e-5) << x << "," << y;
        ASSERT_NEAR(glow.flare[3 * cell + c], flare, 1e-5) << x << "," << y;
      }
    }
}

TEST(GlowKernels, ColourConversionsOfTheGlow) {
  float h, l, s, r, g, b;
  RGBtoHLS(0.5f, 0.5f, 0.5f, &h, &l, &s);
  EXPECT_EQ(h, 0.0f);
  EXPECT_EQ(s, 0.0f);
  RGBtoHSV(1.0f, 0.0f, 1.0f, &h, &s, &l);
  EXPECT_FLOAT_EQ(h, 300.0f);
  for (float hue : {0.0f, 360.0f, 720.0f, -360.0f}) {
    HLStoRGB(hue, 0.5f, 1.0f, &r, &g, &b);
    EXPECT_EQ(r, 1.0f) << hue;
    EXPECT_EQ(g, 0.0f) << hue;
    HSVtoRGB(hue, 1.0f, 1.0f, &r, &g, &b);
    EXPECT_EQ(r, 1.0f) << hue;
    EXPECT_EQ(b, 0.0f) << hue;
  }
  HLStoRGB(120.0f, 1.7f, 0.4f, &r, &g, &b);  // lightness clamped
  EXPECT_EQ(g, 1.0f);
  HSVtoRGB(200.0f, 0.0f, 0.3f, &r, &g, &b);
  EXPECT_EQ(b, 0.3f);
}

TEST(GlowKernels, CornerSplatsStayInsideTheArea) {
  Glow glow(50);
  const int N = glow.sizes.N, ctr = N / 2, w = 30, h = 20;
  for (int corner : {0, w - 1, (h - 1) * w, h * w - 1}) {
    const int px = corner % w, py = corner / w;
    std::vector<float> acc(3 * w * h + 64, -7.0f);  // a guard past the end
    std::fill(acc.begin(), acc.begin() + 3 * w * h, 0.0f);
    ASSERT_TRUE(SplatGlow({corner}, w, h, glow.bloom.data(), nullptr, N, acc.data(), nullptr,
                          nullptr, nullptr));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int kx = x - px + ctr, ky = y - py + ctr;
        const float expected =
            kx < N && ky < N && kx >= 0 && ky >= 0 ? glow.bloom[3 * (ky * N + kx) + 1] : 0.0f;
        ASSERT_EQ(acc[3 * (y * w + x) + 1], expected) << corner << ": " << x << "," << y;
      }
    EXPECT_TRUE(std::all_of(acc.end() - 64, acc.end(), [](float v) { return v == -7.0f; }));
  }
}

TEST(GlowKernels, CombinationOverflowAndHeadroom) {
  KEPGlowLightSource light{1000000.0f, 0.0f, 0.0f, 0};  // a glow value = 255 x accumulator
  const KEPGlowHalo halo;
  const int selection[3] = {9, 9, 9};
  // Glow, source, expected output without and with white saturation.
  struct Case {
    float glow[3];
    unsigned char src[3];
    unsigned char hueKept[3], whitened[3];
  } cases[] = {
      {{2.0f, 1.0f, 0.0f}, {0, 0, 0}, {255, 127, 0}, {255, 255, 0}},
      {{2.0f, 1.0f, 0.0f}, {9, 9, 9}, {255, 127, 0}, {255, 255, 0}},
      {{1.0f, 0.2f, 0.0f}, {255, 255, 255}, {255, 51, 0}, {255, 51, 0}},
      {{100 / 255.0f, 0.0f, 0.0f}, {200, 200, 200}, {221, 121, 121}, {221, 121, 121}},
      {{0.0f, 0.0f, 0.0f}, {9, 9, 9}, {0, 0, 0}, {0, 0, 0}},
  };
  for (short white : {0, 1}) {
    light.whiteSaturation = white;
    for (const Case& c : cases) {
      const float flare[3] = {0, 0, 0};
      unsigned char src[4] = {c.src[0], c.src[1], c.src[2], 77}, dst[4] = {1, 1, 1, 33};
      CombineGlow(src, dst, 1, 1, c.glow, flare, light, halo, selection);
      const unsigned char* expected = white ? c.whitened : c.hueKept;
      EXPECT_EQ(std::vector<int>(dst, dst + 3), std::vector<int>(expected, expected + 3))
          << "white " << white << " glow " << c.glow[0];
      EXPECT_EQ(dst[3], 33);
    }
  }
}

// Counts steps and pulls the interrupt after a given number of updates.
struct Recorder : KEPGlowProgress {
  void Init(int, int maximum, int) override { this->maximum = maximum, value = 0; }
  void StepIt() override { ++value; }
  void UpdateDisplay() override {
    if (++updates == interruptAfter) *flag = 1;
  }
  int maximum = -1, value = 0, updates = 0, interruptAfter = -1;
  unsigned char* flag = nullptr;
};

TEST(GlowKernels, ConvolutionAgreesWithTheSplat) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 6; ++trial) {
    const int size = trial < 3 ? 50 : 120;
    Glow glow(size, static_cast<float>(random() % 360), 0.7f);
    glow.light.intensity = trial % 2 ? 3.0e6f : 30000.0f;
    glow.light.whiteSaturation = static_cast<short>(trial % 3 != 0);
    const int w = 20 + random() % 180, h = 10 + random() % 120;
    const auto src = Picture(w, h, 1 + random() % 400, random());
    const Result splat = GlowOf(glow, src, w, h, KEPGlowPath::kSplat);
    const Result fft = GlowOf(glow, src, w, h, KEPGlowPath::kFFT);
    for (std::size_t i = 0; i < src.size(); ++i)
      ASSERT_LE(std::abs(splat.pixels[i] - fft.pixels[i]), 1) << trial << " at " << i / 4;
    for (std::size_t i = 0; i < splat.bloom.size(); ++i) {
      ASSERT_NEAR(splat.bloom[i], fft.bloom[i], 1e-4 * (1 + splat.bloom[i])) << trial;
      ASSERT_NEAR(splat.flare[i], fft.flare[i], 1e-4 * (1 + splat.flare[i])) << trial;
    }
  }
}

TEST(GlowKernels, ThreadsChangeNothing) {
  Glow glow(80);
  const int w = 150, h = 90;
  const auto src = Picture(w, h, 300, 5);
  for (KEPGlowPath path : {KEPGlowPath::kSplat, KEPGlowPath::kFFT}) {
    KEPGlowParallel::SetThreadCount(1);
    const Result one = GlowOf(glow, src, w, h, path);
    KEPGlowParallel::SetThreadCount(3);
    const Result three = GlowOf(glow, src, w, h, path);
    KEPGlowParallel::SetThreadCount(0);
    EXPECT_EQ(one.bloom, three.bloom);
    EXPECT_EQ(one.flare, three.flare);
    EXPECT_EQ(one.pixels, three.pixels);
  }
}

TEST(GlowKernels, ProgressAndInterruptionOnBothPaths) {
  Glow glow(100);
  const int w = 160, h = 120;
  const auto src = Picture(w, h, 2000, 9);
  for (KEPGlowPath path : {KEPGlowPath::kSplat, KEPGlowPath::kFFT}) {
    Recorder done;
    const Result full = GlowOf(glow, src, w, h, path, &done);
    const int count = static_cast<int>(SelectedPixels(src.data(), w, h, kLight).size());
    EXPECT_EQ(done.maximum, count + 1);
    EXPECT_EQ(done.value, done.maximum);
    EXPECT_NE(full.pixels, src);
    unsigned char flag = 0;
    Recorder stopper;
    stopper.flag = &flag;
    stopper.interruptAfter = 2;
    const Result stopped = GlowOf(glow, src, w, h, path, &stopper, &flag);
    EXPECT_EQ(stopped.pixels, src) << static_cast<int>(path);
    EXPECT_LT(stopper.value, stopper.maximum);
  }
}

TEST(GlowKernels, NothingSelectedLeavesTheSource) {
  Glow glow(50);
  const auto src = Picture(40, 30, 0, 3);
  const int none[3] = {-1, -1, -1};
  std::vector<unsigned char> dst(src.size(), 0);
  std::vector<float> bloom(3 * 40 * 30, 5.0f), flare(3 * 40 * 30, 5.0f);
  CalculateGlowedImage(src.data(), dst.data(), 40, 30, glow.bloom.data(), glow.flare.data(),
                       glow.sizes.N, glow.light, glow.halo, none, bloom.data(), flare.data(), 1, 1,
                       nullptr, nullptr);
  for (std::size_t i = 0; i < src.size(); ++i) ASSERT_TRUE(i % 4 == 3 || dst[i] == src[i]) << i;
}

TEST(GlowKernels, PathChoiceFollowsTheCost) {
  EXPECT_EQ(ChooseGlowPath(100.0 * 501 * 501, 1920, 1080, 501, 6), KEPGlowPath::kSplat);
  EXPECT_EQ(ChooseGlowPath(20000.0 * 501 * 501, 1920, 1080, 501, 6), KEPGlowPath::kFFT);
  EXPECT_EQ(ChooseGlowPath(50.0 * 51 * 51, 1920, 1080, 51, 6), KEPGlowPath::kSplat);
}

}  // namespace
