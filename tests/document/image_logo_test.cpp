#include <gtest/gtest.h>

#include <vector>

#include "image/KEPAtelIma.h"
#include "image/KEPImageLogo.h"
#include "platform/KEPErrmsg.h"
#include "support/TempDir.h"

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
  Pixels single = Flat(1, 1, {1, 2, 3, 4});
  KEPKeyLogoBackground(single.data(), 1, 1, 0);
  EXPECT_EQ(single[3], 0);
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

TEST(ImageLogo, SavingMergesIntoTheFileOnlyWhenAsked) {
  TempDir dir;
  KEPAtelIma image(dir.File("shot.png").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  ASSERT_EQ(image.AllocatePixels(6, 4), 0);
  image.SetOrigin(-3, -2);
  EXPECT_FALSE(image.HasLogo());
  KEPImageLogo logo{Flat(2, 1, {9, 8, 7, 255}), 2, 1, -1, -1, 0, 5};
  image.SetLogo(logo);
  EXPECT_TRUE(image.HasLogo());
  image.SetLogoPlace(0, 0);  // image pixel (3, 2)
  char error[KEP_ERRMSG_SIZE] = {0};
  for (int merge : {0, 1}) {
    ASSERT_EQ(image.SaveImage(0, error, merge), 0) << error;
    KEPAtelIma back(dir.File("shot.png").c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
    int width = 0, height = 0;
    ASSERT_EQ(back.LoadPixels(width, height, error), 0) << error;
    Pixels pixels(back.GetPixels(), back.GetPixels() + back.GetMemorySize());
    EXPECT_EQ(At(pixels, 6, 3, 2), merge ? Pixels({9, 8, 7, 255}) : Pixels({0, 0, 0, 0}));
    EXPECT_EQ(At(pixels, 6, 5, 2), Pixels({0, 0, 0, 0}));
  }
  EXPECT_EQ(image.GetPixels()[(2 * 6 + 3) * 4], 0);  // memory untouched
  image.ClearLogo();
  EXPECT_FALSE(image.HasLogo());
}

}  // namespace
