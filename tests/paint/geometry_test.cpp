#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "paint/KEPGeometry.h"

namespace {

// A w x h buffer whose pixel (x, y) holds the id y * w + x + 1 in its four
// bytes, so that every pixel is told apart and none is all zero.
std::vector<unsigned char> Numbered(int w, int h) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    const std::uint32_t id = static_cast<std::uint32_t>(i) + 1;
    std::memcpy(&pixels[static_cast<std::size_t>(i) * 4], &id, 4);
  }
  return pixels;
}

std::uint32_t Id(const std::vector<unsigned char>& pixels, int w, int x, int y) {
  std::uint32_t id;
  std::memcpy(&id, &pixels[(static_cast<std::size_t>(y) * w + x) * 4], 4);
  return id;
}

TEST(Rotate, EveryPixelLandsWhereTheQuarterTurnPutsItAndTheOtherTurnRestoresIt) {
  // Sizes across the tile edges (64) and the degenerate ones.
  const std::pair<int, int> sizes[] = {{3, 2}, {1, 1}, {1, 5}, {5, 1}, {70, 130}, {129, 64}};
  for (auto [w, h] : sizes) {
    const std::vector<unsigned char> source = Numbered(w, h);
    for (int code : {KEP_ROTATE_LEFT, KEP_ROTATE_RIGHT}) {
      int tw = w, th = h;
      std::vector<unsigned char> turned = RotateBitmap(source, tw, th, code);
      ASSERT_EQ(tw, h);
      ASSERT_EQ(th, w);
      int mismatches = 0;
      for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) {
          // Clockwise: output (x, y) is source (w - 1 - y, x); else (y, h - 1 - x).
          const std::uint32_t want =
              code == KEP_ROTATE_RIGHT ? Id(source, w, w - 1 - y, x) : Id(source, w, y, h - 1 - x);
          mismatches += Id(turned, tw, x, y) != want;
        }
      EXPECT_EQ(mismatches, 0) << w << " x " << h << " code " << code;
      const int back = code == KEP_ROTATE_RIGHT ? KEP_ROTATE_LEFT : KEP_ROTATE_RIGHT;
      EXPECT_EQ(RotateBitmap(turned, tw, th, back), source) << w << " x " << h;
      EXPECT_EQ(tw, w);
    }
  }
}

TEST(Flip, MirrorsRowsOrColumnsAndTwiceRestores) {
  const std::pair<int, int> sizes[] = {{4, 3}, {5, 4}, {1, 6}, {7, 1}, {13, 2}, {16, 1}};
  for (auto [w, h] : sizes) {
    const std::vector<unsigned char> source = Numbered(w, h);
    for (int code : {KEP_FLIP_VERTICAL, KEP_FLIP_HORIZONTAL}) {
      std::vector<unsigned char> flipped = FlipBitmap(source, w, h, code);
      int mismatches = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const std::uint32_t want =
              code == KEP_FLIP_VERTICAL ? Id(source, w, x, h - 1 - y) : Id(source, w, w - 1 - x, y);
          mismatches += Id(flipped, w, x, y) != want;
        }
      EXPECT_EQ(mismatches, 0) << w << " x " << h;
      FlipBitmapInPlace(flipped, w, h, code);
      EXPECT_EQ(flipped, source);
    }
  }
}

TEST(Geometry, BuffersThatDoNotMatchTheirSizeGiveNothing) {
  const std::vector<unsigned char> small = Numbered(2, 2);
  int w = 3, h = 2;
  EXPECT_TRUE(RotateBitmap(small, w, h, KEP_ROTATE_LEFT).empty());
  EXPECT_EQ(w, 3);
  w = 0;
  EXPECT_TRUE(RotateBitmap(small, w, h, KEP_ROTATE_LEFT).empty());
  EXPECT_TRUE(FlipBitmap(small, 2, -1, KEP_FLIP_VERTICAL).empty());
  std::vector<unsigned char> out(8);
  EXPECT_FALSE(RotateBitmapInto(small, 2, 2, KEP_ROTATE_LEFT, out));
}

// A 6 x 5 image and a 3 x 2 mask at (2, 1) whose shape leaves out its
// top-right pixel.
class Extract : public ::testing::Test {
 protected:
  std::vector<unsigned char> image = Numbered(6, 5);
  const std::vector<unsigned char> maskBytes = {0, 0, 0, 0, 0, 1};
  KEPSelectionMask mask{maskBytes, 2, 1, 3, 2};
  bool InShape(int x, int y) const {
    return x >= 2 && x < 5 && y >= 1 && y < 3 && !(x == 4 && y == 2);
  }
};

TEST_F(Extract, InsideTakesTheShapesBoxWithZerosAroundTheShape) {
  int w = 6, h = 5;
  const std::vector<unsigned char> original = image;
  std::vector<unsigned char> out = ExtractMaskedPixels(image, w, h, mask, 0, false);
  ASSERT_EQ(w, 3);
  ASSERT_EQ(h, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Id(out, 3, x, y), InShape(x + 2, y + 1) ? Id(original, 6, x + 2, y + 1) : 0u);
  EXPECT_EQ(image, original);
}

TEST_F(Extract, OutsideTakesTheWholeImageAroundAHoleAndClearLeavesOnlyWhatWasNotTaken) {
  for (int side : {0, 1}) {
    std::vector<unsigned char> pixels = image;
    int w = 6, h = 5;
    std::vector<unsigned char> out = ExtractMaskedPixels(pixels, w, h, mask, side, true);
    const int ox = side ? 0 : 2, oy = side ? 0 : 1;
    ASSERT_EQ(w, side ? 6 : 3);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        const bool taken = InShape(x, y) == (side == 0);
        const bool inRegion = x >= ox && x < ox + w && y >= oy && y < oy + h;
        EXPECT_EQ(Id(pixels, 6, x, y), taken ? 0u : Id(image, 6, x, y)) << x << "," << y;
        if (inRegion) {
          EXPECT_EQ(Id(out, w, x - ox, y - oy), taken ? Id(image, 6, x, y) : 0u) << x << "," << y;
        }
      }
  }
}

TEST_F(Extract, AMaskBeyondTheImageOrTooShortGivesNothing) {
  const KEPSelectionMask bad[] = {{maskBytes, 4, 1, 3, 2},
                                  {maskBytes, -1, 0, 3, 2},
                                  {maskBytes, 0, 4, 3, 2},
                                  {std::span<const unsigned char>(maskBytes).first(5), 0, 0, 3, 2}};
  for (const KEPSelectionMask& m : bad) {
    int w = 6, h = 5;
    EXPECT_TRUE(ExtractMaskedPixels(image, w, h, m, 0, true).empty());
    EXPECT_EQ(w, 6);
  }
  EXPECT_EQ(image, Numbered(6, 5));
}

TEST(Incrust, ZeroPixelsKeepTheImageAndOthersReplaceItAlphaIncluded) {
  std::vector<unsigned char> image(4 * 4 * 4, 200);
  // 2 x 2 object: a hole, a colour with alpha 0, black opaque, white.
  const std::vector<unsigned char> object = {0, 0, 0, 0,   9,   8,   7,   0,
                                             0, 0, 0, 255, 255, 255, 255, 255};
  EXPECT_EQ(IncrustPixels(image, 4, 4, object, 2, 2, 1, 1), 4);
  auto at = [&](int x, int y) {
    const unsigned char* p = &image[(y * 4 + x) * 4];
    return std::vector<int>(p, p + 4);
  };
  EXPECT_EQ(at(1, 1), (std::vector<int>{200, 200, 200, 200}));
  EXPECT_EQ(at(2, 1), (std::vector<int>{9, 8, 7, 0}));
  EXPECT_EQ(at(1, 2), (std::vector<int>{0, 0, 0, 255}));
  EXPECT_EQ(at(2, 2), (std::vector<int>{255, 255, 255, 255}));

  // Cut at the borders; far away, nothing is touched.
  std::vector<unsigned char> copy(4 * 4 * 4, 200);
  EXPECT_EQ(IncrustPixels(copy, 4, 4, object, 2, 2, -1, 3), 1);
  EXPECT_EQ(copy[(3 * 4 + 0) * 4 + 3], 0);
  for (auto [x, y] : {std::pair{4, 0}, {-2, 0}, {0, 4}, {INT_MIN, INT_MIN}, {INT_MAX, 0}}) {
    std::vector<unsigned char> untouched(4 * 4 * 4, 200);
    EXPECT_EQ(IncrustPixels(untouched, 4, 4, object, 2, 2, x, y), 0) << x << "," << y;
    EXPECT_EQ(untouched, std::vector<unsigned char>(4 * 4 * 4, 200));
  }
  // The preview shows what the merge writes: holes clear, the rest opaque.
  EXPECT_EQ(IncrustPreview(object), (std::vector<unsigned char>{0, 0, 0, 0, 9, 8, 7, 255, 0, 0, 0,
                                                                255, 255, 255, 255, 255}));
}

}  // namespace
