// Contact-sheet arithmetic and the split proposals.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include "effects/KEPCompose.h"
#include "effects/KEPComposeLayout.h"
#include "effects/KEPSplit.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"

namespace {

TEST(Compose, GapsAndPositions) {
  struct Case {
    int total, count, patch, gap, margin;
  } cases[] = {{100, 3, 30, 2, 3}, {100, 4, 20, 4, 4}, {10, 1, 10, 0, 0}, {11, 1, 10, 0, 0}};
  for (const Case& c : cases) {
    int gap = -1, margin = -1;
    KEPCompose::Gaps(c.total, c.count, c.patch, gap, margin);
    EXPECT_EQ(std::vector<int>({gap, margin}), std::vector<int>({c.gap, c.margin}))
        << c.total << " " << c.count << " " << c.patch;
  }
  KEPCompose::Grid grid{100, 60, 3, 2, 30, 20};
  KEPCompose::ComputeGaps(grid);
  int x = 0, y = 0;
  std::vector<int> xs(3);
  for (int k = 0; k < 3; ++k) KEPCompose::PatchPosition(grid, k, 30, 20, xs[k], y);
  EXPECT_EQ(xs, std::vector<int>({3, 35, 67}));
  // Down: gap (60 - 40) / 3 rounds to 7, margin 6; row 0 is the top one.
  EXPECT_EQ(y, 60 - 6 - 20);
  KEPCompose::PatchPosition(grid, 4, 10, 10, x, y);
  EXPECT_EQ(x, 35 + 10);
  EXPECT_EQ(y, 60 - 6 - 27 - 20 + 5);
}

TEST(Compose, ZoomCutAndGradient) {
  int w = 0, h = 0;
  KEPCompose::ZoomSize(1920, 1080, 480, 270, w, h);
  EXPECT_EQ(w * 1000 + h, 480270);
  KEPCompose::ZoomSize(100, 400, 50, 50, w, h);
  EXPECT_EQ(w * 1000 + h, 12050);
  KEPCompose::ZoomSize(5000, 1, 50, 50, w, h);
  EXPECT_EQ(w * 1000 + h, 50001);
  int offset = 0, length = 0;
  KEPCompose::CutAxis(100, 30, offset, length);
  EXPECT_EQ(offset * 1000 + length, 35030);
  KEPCompose::CutAxis(20, 30, offset, length);
  EXPECT_EQ(offset * 1000 + length, 20);

  unsigned char pixels[2 * 4];
  const int top[3] = {0, 10, 200}, bottom[3] = {255, 10, 0};
  KEPCompose::FillGradient(pixels, 1, 2, top, bottom);
  // Pixel row 1 is the picture's top row.
  EXPECT_EQ(std::vector<int>({pixels[4], pixels[0], pixels[2], pixels[3]}),
            std::vector<int>({0, 127, 100, 255}));
}

TEST(Compose, EditsKeepTheSixValuesConsistent) {
  KEPComposeLayout layout;
  layout.Init(640, 480, 5);
  EXPECT_EQ(layout.countX * 10 + layout.countY, 33);
  EXPECT_EQ(layout.patchWidth * 1000 + layout.patchHeight, 213160);
  EXPECT_FALSE(layout.SetImageSize(0, 100));
  EXPECT_EQ(layout.width, 640);
  layout.SetPatchSize(100, 100);  // the sheet follows
  EXPECT_EQ(layout.width * 1000 + layout.height, 300300);
  layout.imageSizeFixed = true;
  layout.SetPatchSize(200, 50);  // fewer patches across
  EXPECT_EQ(layout.countX * 10 + layout.countY, 13);
  layout.patchSizeFixed = true;
  layout.SetImageSize(1000, 100);  // fewer patches down
  EXPECT_EQ(layout.countX * 10 + layout.countY, 12);
  layout.SetPatchCount(8, 2);  // both fixed: the count is cut back
  EXPECT_EQ(layout.countX * 10 + layout.countY, 52);
  layout.imageSizeFixed = layout.patchSizeFixed = false;
  layout.SetPatchCount(4, 4);
  EXPECT_EQ(layout.patchWidth * 1000 + layout.patchHeight, 250025);
}

TEST(Split, Proposals) {
  const std::vector<KEPSplit::Proposal> wide = KEPSplit::Proposals(400, 200);
  ASSERT_EQ(wide.size(), 4u);
  const int expected[4] = {200, 100, 50, 40};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(std::vector<int>({wide[i].width, wide[i].height}), std::vector<int>(2, expected[i]));
  // A prime height: one row of tiles only.
  const std::vector<KEPSplit::Proposal> prime = KEPSplit::Proposals(400, 101);
  ASSERT_FALSE(prime.empty());
  for (const auto& p : prime) EXPECT_EQ(p.height, 101);
  EXPECT_TRUE(KEPSplit::Proposals(40, 40).empty());
  EXPECT_TRUE(KEPSplit::Proposals(0, 40).empty());
}

TEST(Split, TilesAreCutRowByRowFromTheBottomAndMustDivideTheImage) {
  KEPAtelIma image("/pictures/shot.tif", KEPAtelIma::STATE_IN_MEMORY, 0u);
  ASSERT_EQ(image.AllocatePixels(6, 4), 0);
  for (int i = 0; i < 24; ++i) image.GetPixels()[4 * i] = static_cast<unsigned char>(i);
  std::vector<std::string> names;
  std::vector<int> corners;
  auto keep = [&](std::unique_ptr<KEPAtelIma> tile, int, int) {
    names.push_back(tile->GetName());
    corners.push_back(tile->GetPixels()[0]);
    return tile->IsDone();
  };
  EXPECT_NE(KEPSplit::CutTiles(image, {4, 4}, keep), 0);
  EXPECT_STREQ(errmsg, "Tiles of 4 x 4 do not divide the image (6 x 4).");
  EXPECT_TRUE(names.empty());
  ASSERT_EQ(KEPSplit::CutTiles(image, {3, 2}, keep), 0);
  EXPECT_EQ(names, (std::vector<std::string>{"/pictures/shot_0_0.tif", "/pictures/shot_0_1.tif",
                                             "/pictures/shot_1_0.tif", "/pictures/shot_1_1.tif"}));
  EXPECT_EQ(corners, (std::vector<int>{0, 3, 12, 15}));
}

TEST(Split, ThumbnailAndReleasedRows) {
  int tw = 0, th = 0;
  std::vector<unsigned char> image(1000 * 10 * 4, 200);
  EXPECT_EQ(KEPSplit::Thumbnail(image.data(), 1000, 10, 100, tw, th).size(), 100u * 1 * 4);
  EXPECT_EQ(tw * 1000 + th, 100001);

  const std::size_t page = 4096, rowBytes = page * 2;
  void* memory =
      mmap(nullptr, rowBytes * 4, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(memory, MAP_FAILED);
  auto* rows = static_cast<unsigned char*>(memory);
  std::fill(rows, rows + rowBytes * 4, 7);
  KEPSplit::ReleaseRows(rows, rowBytes, 2);
  EXPECT_EQ(std::vector<int>({rows[0], rows[rowBytes * 2 - 1], rows[rowBytes * 2]}),
            std::vector<int>({0, 0, 7}));
  munmap(memory, rowBytes * 4);
}

}  // namespace
