// Editing in the real program, as the user does it: a rectangle selection
// copied, pasted, dragged and dropped, undone and redone, a crop, a turn, a
// resize and a new blank image, each result saved and read back.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

TEST(EditProgram, SelectCopyPasteDropUndoCropTurnResizeAndNew) {
  TempDir dir;
  WritePicture(dir.File("in.png"), 40, 30, Gradient(7));  // pixel (c, r) = (c, r, 7, 255)
  auto save = [&](const char* name) {
    return std::vector<std::string>{"files *.png " + dir.File(name), "trigger saveAsItem"};
  };
  // View points: the image's origin is (-20, -15), so pixel (c, r) has its
  // centre at (c - 19.5, r - 14.5).
  std::vector<std::string> script = {"waitfor visible drawToolBar",
                                     "trigger selRecButton",
                                     "view press -9.5 -4.5",
                                     "view move -5 -2",
                                     "view release -0.5 -0.5",  // (10, 10)-(19, 14)
                                     "trigger copyItem",
                                     "trigger pasteItem",  // centred: at pixel (15, 13)
                                     "view press -2.5 0.5",
                                     "view move 4.8 -3.7",
                                     "view release 4.8 -3.7",  // to (22, 9)
                                     "view press -18.5 -13.5",
                                     "view release -18.5 -13.5"};  // merged
  for (const auto& part :
       {save("merged.png"),
        {"trigger undoItem"},
        save("undone.png"),
        {"trigger redoItem"},
        {"trigger selRecButton", "view press -9.5 -4.5", "view release -0.5 -0.5",
         "trigger cropButton"},
        save("cropped.png"),
        {"trigger leftButton"},
        save("turned.png"),
        {"trigger sizeButton", "set imageSetWidthValue 0", "set imageSetWidthValue 20",
         "set imageSetHeightValue 40", "click setSizeOkBtn"},
        save("resized.png"),
        {"trigger newItem", "set imageSetWidthValue 12", "set imageSetHeightValue 8",
         "click setSizeOkBtn"},
        save("new.png"),
        {"trigger exitItem"}})
    script.insert(script.end(), part.begin(), part.end());

  AteloProcess atelo(dir.Path());
  ASSERT_TRUE(atelo.Run({"in.png"}, script, 60000)) << atelo.Log();
  EXPECT_FALSE(atelo.Crashed()) << atelo.Err();
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  EXPECT_EQ(atelo.Log().find("error"), std::string::npos) << atelo.Log();

  Picture merged = ReadPicture(dir.File("merged.png")),
          undone = ReadPicture(dir.File("undone.png"));
  ASSERT_EQ(merged.width, 40);
  EXPECT_EQ(merged.At(22, 9), (std::vector<int>{10, 10, 7, 255}));
  EXPECT_EQ(merged.At(31, 13), (std::vector<int>{19, 14, 7, 255}));
  EXPECT_EQ(merged.At(21, 9), (std::vector<int>{21, 9, 7, 255}));
  ASSERT_EQ(undone.width, 40);
  EXPECT_EQ(undone.At(22, 9), (std::vector<int>{22, 9, 7, 255}));

  Picture cropped = ReadPicture(dir.File("cropped.png")),
          turned = ReadPicture(dir.File("turned.png"));
  EXPECT_EQ(cropped.Size(), std::vector<int>({10, 5}));
  EXPECT_EQ(cropped.At(0, 0), (std::vector<int>{10, 10, 7, 255}));
  ASSERT_EQ(turned.Size(), std::vector<int>({5, 10}));
  EXPECT_EQ(turned.At(4, 0), (std::vector<int>{10, 10, 7, 255}));

  Picture resized = ReadPicture(dir.File("resized.png")), blank = ReadPicture(dir.File("new.png"));
  EXPECT_EQ(resized.Size(), std::vector<int>({20, 40}));
  ASSERT_EQ(blank.Size(), std::vector<int>({12, 8}));
  EXPECT_EQ(blank.pixels, std::vector<unsigned char>(12 * 8 * 4, 255));
}

// What is not a picture where one is wanted says what it is, and asks
// nothing it cannot do.
TEST(EditProgram, ADirectoryOrAFifoWhereAPictureIsWantedIsNamed) {
  TempDir dir;
  WritePicture(dir.File("in.png"), 4, 4, Gradient(7));
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("folder.png")));
  ASSERT_EQ(mkfifo(dir.File("pipe.tif").c_str(), 0600), 0);
  AteloProcess atelo(dir.Path());
  ASSERT_TRUE(
      atelo.Run({"in.png"},
                {"files *.png " + dir.File("folder.png"), "trigger saveAsItem",
                 "files *.tif " + dir.File("pipe.tif"), "trigger openItem", "trigger exitItem"},
                30000))
      << atelo.Log();
  const std::vector<std::string> asked = atelo.LogLines("ask");
  ASSERT_EQ(asked.size(), 2u) << atelo.Log();
  EXPECT_NE(asked[0].find("a directory has that name"), std::string::npos) << asked[0];
  EXPECT_NE(asked[1].find("is a FIFO, not an image file"), std::string::npos) << asked[1];
}

}  // namespace
