#include <gtest/gtest.h>

#include <vector>

#include "image/KEPImageLogo.h"

namespace {

using Pixels = std::vector<unsigned char>;

Pixels Flat(int width, int height, std::vector<unsigned char> rgba) {
  Pixels pixels;
  for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), rgba.begin(), rgba.end());
  return pixels;
}

Pixels At(const Pixels& pixels, int width, int c, int r) {
  auto at = pixels.begin() + (r * width + c) * 4;
  return Pixels(at, at + 4);
}

TEST(ImageLogo, KeyingTakesPixelOneOneAsTheBackground) {
  // A 3 x 2 logo: pixel (1, 1) is the key; (0, 0) differs by 10 in blue.
  Pixels logo = Flat(3, 2, {50, 60, 70, 9});
  logo[2] = 80;
  logo[4 * 5 + 0] = 200;
  for (auto [threshold, keyedCorner] : {std::pair{0, false}, {9, false}, {10, true}}) {
    Pixels keyed = logo;
    KEPKeyLogoBackground(keyed.data(), 3, 2, threshold);
    EXPECT_EQ(keyed[3], keyedCorner ? 0 : 255) << threshold;
    EXPECT_EQ(At(keyed, 3, 1, 1)[3], 0) << threshold;
    EXPECT_EQ(At(keyed, 3, 2, 1)[3], 255) << threshold;
  }
}

TEST(ImageLogo, MergeClipsToTheImageAndLaysByAlpha) {
  const Pixels logo = [] {
    Pixels p = Flat(2, 2, {255, 0, 0, 255});
    p[4 * 1 + 3] = 0;    // (1, 0) transparent
    p[4 * 2 + 3] = 128;  // (0, 1) half
    return p;
  }();
  struct Case {
    int x, y;
    bool alpha;
    int column, row;  // image pixel checked
    Pixels expected;
  } cases[] = {
      {0, 0, false, 1, 0, {255, 0, 0, 255}},   // opaque copy ignores alpha
      {0, 0, true, 1, 0, {0, 0, 200, 100}},    // transparent: untouched
      {0, 0, true, 0, 1, {128, 0, 100, 178}},  // half over (0, 0, 200, 100)
      {-1, -1, true, 0, 0, {255, 0, 0, 255}},  // only logo pixel (1, 1) lands
      {3, 2, false, 3, 2, {255, 0, 0, 255}},   // the corner pixel, the rest clipped
      {4, 3, false, 3, 2, {0, 0, 200, 100}},   // wholly outside
      {-2000000000, 0, false, 0, 0, {0, 0, 200, 100}},
  };
  for (const Case& c : cases) {
    Pixels image = Flat(4, 3, {0, 0, 200, 100});
    KEPMergeLogo(image.data(), 4, 3, logo.data(), 2, 2, c.x, c.y, c.alpha);
    EXPECT_EQ(At(image, 4, c.column, c.row), c.expected) << c.x << "," << c.y << " " << c.alpha;
  }
}

}  // namespace
