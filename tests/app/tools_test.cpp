// Drawing in the real program: the thickness and the colour set in their
// windows, a free-hand stroke, the result saved, undone and saved again.
#include <gtest/gtest.h>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "support/AteloProcess.h"
#include "support/TempDir.h"

namespace {

std::vector<unsigned char> Read(const std::string& path, int& width, int& height) {
  KEPAtelIma image(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
  char error[KEP_ERRMSG_SIZE] = {0};
  if (image.LoadPixels(width, height, error) != 0) return {};
  return {image.GetPixels(), image.GetPixels() + image.GetMemorySize()};
}

TEST(ToolsProgram, SetThicknessAndColourDrawSaveUndoSave) {
  TempDir dir;
  std::vector<unsigned char> original;
  {
    // 40 x 30, pixel (c, r) = (c, r, 7, 255).
    KEPAtelIma image(dir.File("in.png").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
    ASSERT_EQ(image.AllocatePixels(40, 30), 0);
    for (int k = 0; k < 40 * 30; ++k) {
      unsigned char* p = image.GetPixels() + 4 * k;
      p[0] = k % 40, p[1] = k / 40, p[2] = 7, p[3] = 255;
    }
    original.assign(image.GetPixels(), image.GetPixels() + image.GetMemorySize());
    char error[KEP_ERRMSG_SIZE] = {0};
    ASSERT_EQ(image.SaveImage(0, error, 0), 0) << error;
  }
  // The image's origin is (-20, -15): pixel (c, r) has its centre at
  // (c - 19.5, r - 14.5). The stroke runs along row 10 from column 5 to 30.
  const std::vector<std::string> script = {"waitfor visible drawToolBar",
                                           "trigger handButton",
                                           "trigger toolsSetupItem",
                                           "set toolsSettingDialog/thicknessSlider 1",
                                           "click toolsSettingDialog/okBtn",
                                           "click toolsSettingDialog/cancelBtn",
                                           "trigger colorButton",
                                           "set colorDialog/redSpinner 250",
                                           "set colorDialog/greenChk 0",
                                           "set colorDialog/blueSpinner 0",
                                           "click colorDialog/okBtn",
                                           "click colorDialog/cancelBtn",
                                           "view press -14.5 -4.5",
                                           "view move -2 -4.5",
                                           "view move 10.5 -4.5",
                                           "view release 10.5 -4.5",
                                           "files *.png " + dir.File("drawn.png"),
                                           "trigger saveAsItem",
                                           "trigger undoItem",
                                           "files *.png " + dir.File("undone.png"),
                                           "trigger saveAsItem",
                                           "trigger exitItem"};
  AteloProcess atelo(dir.Path());
  ASSERT_TRUE(atelo.Run({"in.png"}, script, 60000)) << atelo.Log();
  EXPECT_FALSE(atelo.Crashed()) << atelo.Err();
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  EXPECT_EQ(atelo.Log().find("error"), std::string::npos) << atelo.Log();

  int width = 0, height = 0;
  const std::vector<unsigned char> drawn = Read(dir.File("drawn.png"), width, height);
  ASSERT_EQ(drawn.size(), original.size());
  // Thickness 1 is a 3 x 3 brush: rows 9 to 11 from column 4 to 31, red and
  // blue painted, green (switched off) kept.
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 40; ++c) {
      const unsigned char* p = &drawn[(r * 40 + c) * 4];
      const bool stroke = r >= 9 && r <= 11 && c >= 4 && c <= 31;
      const std::vector<int> want =
          stroke ? std::vector<int>{250, r, 0, 255} : std::vector<int>{c, r, 7, 255};
      ASSERT_EQ(std::vector<int>(p, p + 4), want) << c << "," << r;
    }
  EXPECT_EQ(Read(dir.File("undone.png"), width, height), original);
}

}  // namespace
