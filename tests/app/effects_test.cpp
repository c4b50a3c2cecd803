// Smoothing, blur, compose and split as a user runs them in the real
// program: a noisy render smoothed with a preview and applied, blurred,
// composed with the series into a sheet, and an oversized file split.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "support/AteloProcess.h"
#include "support/TempDir.h"

namespace {

// A render's colour ramp with grain, or plain noise.
void WriteImage(const std::string& path, int width, int height, bool grain) {
  KEPAtelIma image(path.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  ASSERT_EQ(image.AllocatePixels(width, height), 0);
  std::mt19937 random(width + height);
  unsigned char* p = image.GetPixels();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, p += 4) {
      for (int c = 0; c < 3; ++c) {
        const int base = grain ? (c == 0   ? x
                                  : c == 1 ? y
                                           : 128) +
                                     static_cast<int>(random() % 17) - 8
                               : static_cast<int>(random() % 256);
        p[c] = static_cast<unsigned char>(std::clamp(base, 0, 255));
      }
      p[3] = 255;
    }
  char error[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(image.SaveImage(0, error, 0), 0) << error;
}

std::unique_ptr<KEPAtelIma> Read(const std::string& path, int& width, int& height) {
  auto image = std::make_unique<KEPAtelIma>(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
  char error[KEP_ERRMSG_SIZE] = {0};
  EXPECT_EQ(image->LoadPixels(width, height, error), 0) << error;
  return image;
}

// Sum of the differences of lightness (max + min of a pixel's channels)
// between horizontal neighbours: grain makes it large, the effects smaller.
long Roughness(KEPAtelIma& image, int width, int height) {
  auto lightness = [&](int x, int y) {
    const unsigned char* p = image.GetPixels() + (y * width + x) * 4;
    return std::max({p[0], p[1], p[2]}) + std::min({p[0], p[1], p[2]});
  };
  long sum = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 1; x < width; ++x) sum += std::abs(lightness(x, y) - lightness(x - 1, y));
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

  int w = 0, h = 0;
  auto noisy = Read(dir.File("noisy.png"), w, h);
  auto smooth = Read(dir.File("smooth.png"), w, h);
  ASSERT_EQ(w * 1000 + h, 160120);
  EXPECT_LT(Roughness(*smooth, w, h), Roughness(*noisy, w, h));
  auto blurred = Read(dir.File("blur.png"), w, h);
  EXPECT_LT(Roughness(*blurred, w, h), Roughness(*smooth, w, h));
  Read(dir.File("composed.png"), w, h);
  EXPECT_EQ(w * 1000 + h, 160120);  // the current image's size
  auto tile = Read(dir.File("tile.png"), w, h);
  ASSERT_EQ(w * 1000 + h, 100100);
  int bw = 0, bh = 0;
  auto big = Read(dir.File("big.png"), bw, bh);
  // The top-left tile: the big picture's top 100 rows, left 100 columns.
  EXPECT_EQ(big->CopyRect(0, 100, 100, 100),
            std::vector<unsigned char>(tile->GetPixels(), tile->GetPixels() + 100 * 100 * 4));
}

}  // namespace
