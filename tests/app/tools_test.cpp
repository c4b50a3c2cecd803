// Drawing in the real program: the thickness and the colour set in their
// windows, a free-hand stroke, the result saved, undone and saved again.
#include <gtest/gtest.h>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

TEST(ToolsProgram, SetThicknessAndColourDrawSaveUndoSave) {
  TempDir dir;
  WritePicture(dir.File("in.png"), 40, 30, Gradient(7));  // pixel (c, r) = (c, r, 7, 255)
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

  const Picture drawn = ReadPicture(dir.File("drawn.png"));
  ASSERT_EQ(drawn.Size(), (std::vector<int>{40, 30}));
  // Thickness 1 is a 3 x 3 brush: rows 9 to 11 from column 4 to 31, red and
  // blue painted, green (switched off) kept.
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 40; ++c) {
      const bool stroke = r >= 9 && r <= 11 && c >= 4 && c <= 31;
      ASSERT_EQ(drawn.At(c, r), (std::vector<int>{stroke ? 250 : c, r, stroke ? 0 : 7, 255}))
          << c << "," << r;
    }
  const Picture undone = ReadPicture(dir.File("undone.png"));
  ASSERT_EQ(undone.Size(), (std::vector<int>{40, 30}));
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 40; ++c) ASSERT_EQ(undone.At(c, r), (std::vector<int>{c, r, 7, 255}));
}

}  // namespace
