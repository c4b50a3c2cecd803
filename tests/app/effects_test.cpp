// Smoothing, blur, compose and split as a user runs them in the real
// program: a noisy render smoothed with a preview and applied, blurred,
// composed with the series into a sheet, and an oversized file split.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

// A render's colour ramp with grain, or plain noise.
void WriteImage(const std::string& path, int width, int height, bool grain) {
  std::mt19937 random(width + height);
  WritePicture(path, width, height, [&](int x, int y, unsigned char* p) {
    for (int c = 0; c < 3; ++c) {
      const int ramp = c == 0 ? x : c == 1 ? y : 128;
      const int base =
          grain ? ramp + static_cast<int>(random() % 17) - 8 : static_cast<int>(random() % 256);
      p[c] = static_cast<unsigned char>(std::clamp(base, 0, 255));
    }
    p[3] = 255;
  });
}

// Sum of the differences of lightness (max + min of a pixel's channels)
// between horizontal neighbours: grain makes it large, the effects smaller.
long Roughness(const Picture& picture) {
  auto lightness = [&](int x, int y) {
    const std::vector<int> p = picture.At(x, y);
    return std::max({p[0], p[1], p[2]}) + std::min({p[0], p[1], p[2]});
  };
  long sum = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 1; x < picture.width; ++x) sum += std::abs(lightness(x, y) - lightness(x - 1, y));
  return sum;
}

TEST(Effects, SmoothBlurComposeAndSplitInTheRealWindow) {
  TempDir dir;
  WriteImage(dir.File("noisy.png"), 160, 120, true);
  WriteImage(dir.File("second.png"), 80, 60, true);
  WriteImage(dir.File("big.png"), 400, 200, false);
  WriteWholeFile(dir.File(".virda_atelo.env"),
                 "DEF_SPLIT=YES\nDEF_SPLITSIZE=200\nDEF_PATH=" + dir.Path() +
                     "/\nDEF_NAME=sheet\nDEF_TYPE=png\n");
  AteloProcess atelo(dir.Path());
  const std::vector<std::string> script = {
      // Smoothing: a preview area, two steps, then the image.
      "trigger lisseItem", "waitfor visible lisseDialog", "set lisseDialog/selectBtn 1",
      "view press -60 -40", "view move -58 -38", "view release -60 -40",
      "waitfor enabled lisseDialog/stepBtn", "click lisseDialog/stepBtn",
      "click lisseDialog/stepBtn", "click lisseDialog/okBtn", "waitfor enabled undoItem",
      "wait 300", "waitfor hidden interruptDialog", "click lisseDialog/cancelBtn",
      "files *.png " + dir.File("smooth.png"), "trigger saveAsItem",
      // Blur.
      "trigger blurItem", "files *.png " + dir.File("blur.png"), "trigger saveAsItem",
      // A contact sheet of the series.
      "trigger composeItem", "waitfor visible composeDialog", "click composeDialog/okBtn",
      "files *.png " + dir.File("composed.png"), "trigger saveAsItem",
      // The oversized file: the second proposal, then the top-left tile.
      "files *.png " + dir.File("big.png"), "trigger openItem", "waitfor visible splitImageDialog",
      "click splitImageDialog/nextBtn", "click splitImageDialog/okBtn",
      "waitfor hidden splitImageDialog", "files *.png " + dir.File("tile.png"),
      "trigger saveAsItem", "log done"};
  ASSERT_TRUE(atelo.Start({"noisy.png", "second.png"}, script));
  ASSERT_TRUE(atelo.Process().waitForStarted());
  for (int i = 0; i < 600 && atelo.LogLines("done").empty(); ++i) {
    atelo.Process().waitForFinished(100);
  }
  const std::string log = atelo.Log();
  atelo.Process().kill();
  atelo.WaitForEnd(10000);
  ASSERT_FALSE(atelo.LogLines("done").empty()) << log << atelo.Err();
  EXPECT_TRUE(atelo.LogLines("error").empty()) << log;
  EXPECT_TRUE(atelo.LogLines("ask").empty()) << log;

  const Picture noisy = ReadPicture(dir.File("noisy.png")),
                smooth = ReadPicture(dir.File("smooth.png")),
                blurred = ReadPicture(dir.File("blur.png")),
                tile = ReadPicture(dir.File("tile.png"));
  ASSERT_EQ(smooth.Size(), (std::vector<int>{160, 120}));
  EXPECT_LT(Roughness(smooth), Roughness(noisy));
  ASSERT_EQ(blurred.Size(), (std::vector<int>{160, 120}));
  EXPECT_LT(Roughness(blurred), Roughness(smooth));
  EXPECT_EQ(ReadPicture(dir.File("composed.png")).Size(), (std::vector<int>{160, 120}))
      << "the current image's size";
  // The top-left tile: the big picture's top 100 rows, left 100 columns.
  ASSERT_EQ(tile.Size(), (std::vector<int>{100, 100}));
  KEPAtelIma big(dir.File("big.png").c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
  int bw = 0, bh = 0;
  char error[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(big.LoadPixels(bw, bh, error), 0) << error;
  EXPECT_EQ(big.CopyRect(0, 100, 100, 100), tile.pixels);
}

}  // namespace
