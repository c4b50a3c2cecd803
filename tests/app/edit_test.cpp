// Editing in the real program, as the user does it: a rectangle selection
// copied, pasted, dragged and dropped, undone and redone, a crop, a turn, a
// resize and a new blank image, each result saved and read back.
#include <gtest/gtest.h>

#include <cstring>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "support/AteloProcess.h"
#include "support/TempDir.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
  std::vector<int> At(int x, int y) const {
    const unsigned char* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

Picture Read(const std::string& path) {
  Picture picture;
  KEPAtelIma image(path.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
  char error[KEP_ERRMSG_SIZE] = {0};
  if (image.LoadPixels(picture.width, picture.height, error) == 0)
    picture.pixels.assign(image.GetPixels(), image.GetPixels() + image.GetMemorySize());
  return picture;
}

TEST(EditProgram, SelectCopyPasteDropUndoCropTurnResizeAndNew) {
  TempDir dir;
  {
    // 40 x 30, pixel (c, r) = (c, r, 7, 255).
    KEPAtelIma image(dir.File("in.png").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
    ASSERT_EQ(image.AllocatePixels(40, 30), 0);
    for (int k = 0; k < 40 * 30; ++k) {
      unsigned char* p = image.GetPixels() + 4 * k;
      p[0] = k % 40, p[1] = k / 40, p[2] = 7, p[3] = 255;
    }
    char error[KEP_ERRMSG_SIZE] = {0};
    ASSERT_EQ(image.SaveImage(0, error, 0), 0) << error;
  }
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

  Picture merged = Read(dir.File("merged.png")), undone = Read(dir.File("undone.png"));
  ASSERT_EQ(merged.width, 40);
  EXPECT_EQ(merged.At(22, 9), (std::vector<int>{10, 10, 7, 255}));
  EXPECT_EQ(merged.At(31, 13), (std::vector<int>{19, 14, 7, 255}));
  EXPECT_EQ(merged.At(21, 9), (std::vector<int>{21, 9, 7, 255}));
  ASSERT_EQ(undone.width, 40);
  EXPECT_EQ(undone.At(22, 9), (std::vector<int>{22, 9, 7, 255}));

  Picture cropped = Read(dir.File("cropped.png")), turned = Read(dir.File("turned.png"));
  EXPECT_EQ(std::vector<int>({cropped.width, cropped.height}), std::vector<int>({10, 5}));
  EXPECT_EQ(cropped.At(0, 0), (std::vector<int>{10, 10, 7, 255}));
  ASSERT_EQ(std::vector<int>({turned.width, turned.height}), std::vector<int>({5, 10}));
  EXPECT_EQ(turned.At(4, 0), (std::vector<int>{10, 10, 7, 255}));

  Picture resized = Read(dir.File("resized.png")), blank = Read(dir.File("new.png"));
  EXPECT_EQ(std::vector<int>({resized.width, resized.height}), std::vector<int>({20, 40}));
  ASSERT_EQ(std::vector<int>({blank.width, blank.height}), std::vector<int>({12, 8}));
  EXPECT_EQ(blank.pixels, std::vector<unsigned char>(12 * 8 * 4, 255));
}

}  // namespace
