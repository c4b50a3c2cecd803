// Viewing in the real program, as the user drives it: playback of a series,
// stepping keys, stereo and the grid, and a logo shown, moved and merged on
// save.
#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

class View : public ::testing::Test {
 protected:
  // An opaque width x height picture of one colour.
  void Write(const std::string& name, int width, int height, unsigned char blue) {
    WritePicture(dir.File(name), width, height,
                 [blue](int, int, unsigned char* p) { p[0] = p[1] = 0, p[2] = blue, p[3] = 255; });
  }
  bool Logged(const std::string& line) const {
    return atelo.Log().find("atelo-script: " + line + "\n") != std::string::npos;
  }

  TempDir dir;
  AteloProcess atelo{dir.Path()};
};

TEST_F(View, ASeriesIsSteppedPlayedAndSwungAtItsEnds) {
  for (int k = 1; k <= 4; ++k) Write(std::to_string(k) + ".png", 64, 48, 50 * k);
  WriteWholeFile(dir.File(".virda_atelo.env"), "DEF_LOOP=NO\n");
  atelo.Environment().insert("ATELO_TRACE", "6");
  ASSERT_TRUE(
      atelo.Run({"-T", "Frames", "1.png", "2.png", "3.png", "4.png"},
                {"show atelo", "click fwdBtn", "key atelo PgDown", "key atelo Left", "show atelo",
                 "set delaySpinner 100000", "show delaySlider", "set delaySpinner 0",
                 "click ffwdBtn", "waitfor disabled closeItem", "wait 500", "click stopBtn",
                 "waitfor enabled closeItem", "trigger exitItem"}))
      << atelo.Log();
  EXPECT_TRUE(atelo.LogLines("error").empty()) << atelo.Log();
  EXPECT_TRUE(Logged("show atelo Frames - 1.png")) << atelo.Log();
  EXPECT_TRUE(Logged("show atelo Frames - 2.png")) << atelo.Log();
  EXPECT_TRUE(Logged("show delaySlider 100")) << atelo.Log();

  // The steps of continuous playback, as traced: one image at a time,
  // turning back at either end.
  std::istringstream trace(atelo.Err());
  const std::string mark = "(KEPAteloDocument::ExecuteIdleWork) image ";
  int previous = 2, heading = 2, turns = 0, steps = 0, image = 0, direction = 0;
  for (std::string line; std::getline(trace, line);) {
    std::size_t at = line.find(mark);
    if (at == std::string::npos ||
        std::sscanf(line.c_str() + at + mark.size(), "%d direction %d", &image, &direction) != 2)
      continue;
    ++steps;
    ASSERT_EQ(std::abs(image - previous), 1) << previous << " then " << image;
    ASSERT_EQ(direction, image > previous ? 2 : 1) << previous << " then " << image;
    turns += direction != heading;
    heading = direction;
    previous = image;
  }
  EXPECT_GE(steps, 8) << atelo.Err();
  EXPECT_GE(turns, 2);
}

TEST_F(View, StereoNeedsPairsAndTheGridShowsWhenMagnified) {
  for (int k = 1; k <= 4; ++k) Write(std::to_string(k) + ".png", 8, 6, 200);
  ASSERT_TRUE(atelo.Run(
      {"1.png", "2.png", "3.png"},
      {"trigger stereoItem", "show stereoItem", "files *.png " + dir.File("4.png"),
       "trigger openItem", "trigger stereoItem", "show stereoItem",
       "grab 2DViewer " + dir.File("plain.png"), "trigger gridItem",
       "grab 2DViewer " + dir.File("grid.png"), "trigger fullScreenItem",
       // closed as a window manager closes it, it comes back
       "close 2DViewer", "waitfor visible 2DViewer", "trigger closeAllItem", "trigger exitItem"}))
      << atelo.Log();
  EXPECT_TRUE(atelo.LogLines("error").empty()) << atelo.Log();
  EXPECT_TRUE(Logged("ask warnDlg \"Odd image number.|Stereo view aborted.\" -> 1")) << atelo.Log();
  EXPECT_TRUE(Logged("show stereoItem off")) << atelo.Log();
  EXPECT_TRUE(Logged("show stereoItem on")) << atelo.Log();

  // Grid lines cross the magnified pixels.
  QImage plain(QString::fromStdString(dir.File("plain.png")));
  QImage grid(QString::fromStdString(dir.File("grid.png")));
  ASSERT_FALSE(plain.isNull());
  ASSERT_EQ(plain.size(), grid.size());
  int changed = 0;
  for (int y = 0; y < grid.height(); ++y)
    for (int x = 0; x < grid.width(); ++x) changed += grid.pixel(x, y) != plain.pixel(x, y);
  EXPECT_GT(changed, grid.height() * 8) << "vertical grid lines at least";
}

TEST_F(View, ALogoIsSetUpMovedAndMergedOnSave) {
  Write("base.png", 400, 300, 0);
  WriteWholeFile(dir.File("broken.png"), "no picture here");
  ASSERT_TRUE(atelo.Run(
      {"base.png"},
      {"trigger logoSetupItem", "set ratioSlider 50", "set bottomRightRad on", "set mergeCmb 1",
       "click okBtn", "click cancelBtn",
       // The logo lies on view x 58..190, y -140..-92: dragged by (-20, 20).
       "view press 100 -120", "view move 90 -110", "view release 80 -100", "answer 1",
       "trigger saveItem", "trigger logoSetupItem", "set fileVal " + dir.File("broken.png"),
       "click okBtn", "set fileVal " + dir.File("missing"), "trigger exitItem"}))
      << atelo.Log();
  EXPECT_TRUE(atelo.LogLines("error").empty()) << atelo.Log();
  EXPECT_TRUE(Logged("ask warnDlg \"Image '" + dir.File("base.png") +
                     "' has a logo.|Merge logo in image ?\" -> 1"))
      << atelo.Log();
  // And the broken file, and the missing one once, not again as the program ends.
  EXPECT_EQ(atelo.LogLines("ask warnDlg").size(), 3u) << atelo.Log();
  EXPECT_TRUE(Logged("ask warnDlg \"File '" + dir.File("missing.tif") + "' not found\" -> 1"))
      << atelo.Log();

  // 264 x 96 at half size, bottom right, then moved: columns 238..369, rows
  // 30..77 from the bottom (give or take the pixel a drag through screen
  // coordinates may round to).
  const Picture saved = ReadPicture(dir.File("base.png"));
  ASSERT_EQ(saved.Size(), (std::vector<int>{400, 300}));
  int inside = 0, outside = 0;
  for (int r = 0; r < saved.height; ++r)
    for (int c = 0; c < saved.width; ++c) {
      const std::vector<int> p = saved.At(c, r);
      const bool lit = p[0] || p[1] || p[2];
      (c >= 237 && c < 371 && r >= 29 && r < 79 ? inside : outside) += lit;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inside, 132 * 48 / 2);
}

}  // namespace
