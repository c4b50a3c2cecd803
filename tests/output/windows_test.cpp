// Printing through the print dialog, and the information, formats and help
// windows.
#include <gtest/gtest.h>

#include <QTextBrowser>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "document/DocumentFixture.h"
#include "image/KEPImageFile.h"
#include "output/KEPAteloFormats.h"
#include "output/KEPAteloHelp.h"
#include "output/KEPAteloInfo.h"
#include "output/KEPPrintPixelImage.h"

namespace {

class OutputWindows : public DocumentFixture {
 protected:
  void TearDown() override {
    DocumentFixture::TearDown();
    unsetenv("KEPFRAME");
  }

  // A 6 x 4 image whose bottom row is red and the rest blue, saved.
  std::string Image(const char* name) {
    WritePicture(dir.File(name), 6, 4,
                 [](int, int y, unsigned char* p) { p[y ? 2 : 0] = p[3] = 255; });
    return dir.File(name);
  }
  KEPAteloDocument& Make(std::vector<std::string> files) {
    return DocumentFixture::Make(files, 0, 400, 300);
  }
};

TEST_F(OutputWindows, PrintingToAPdfFileGivesAPageWithThePicture) {
  KEPAteloDocument& d = Make({Image("a.tif")});
  KEPPrintPixelImage picture(*d.GetPosImage(0), errmsg);
  ASSERT_FALSE(picture.IsNull());
  // The bottom row is printed at the bottom.
  EXPECT_EQ(picture.GetPicture().pixel(0, 3) & 0xffffff, 0xff0000u);
  EXPECT_EQ(picture.GetPicture().pixel(0, 0) & 0xffffff, 0x0000ffu);

  Prompt().QueuePrintToFile(dir.File("page.pdf"));
  d.FindAction("printItem")->trigger();
  EXPECT_EQ(Prompt().printRequests.at(0).name, "printDialog");
  EXPECT_TRUE(Prompt().asked.empty());
  std::string pdf = ReadWholeFile(dir.File("page.pdf"));
  EXPECT_NE(pdf.find("/Subtype /Image"), std::string::npos);
  EXPECT_NE(pdf.find("/Width 6"), std::string::npos);

  d.PrintAction();  // cancelled: nothing said
  EXPECT_TRUE(Prompt().asked.empty());
  Prompt().QueuePrintToFile(dir.File("no/such/dir/page.pdf"));
  d.PrintAction();
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_NE(Prompt().asked[0].text.find("cannot be written"), std::string::npos);
}

TEST_F(OutputWindows, InformationTellsTheImagesState) {
  std::string saved = Image("b.tif");
  KEPAteloDocument& d = Make({saved});
  d.InfoAction();
  KEPAteloInfo* info = d.GetInfoDialog();
  ASSERT_TRUE(info && info->isVisible());
  const std::string size = std::to_string(std::filesystem::file_size(saved));
  EXPECT_EQ(info->GetText().toStdString(),
            "File Name            : " + saved +
                "\nImage Size           : Width  = 6\n                              Height = 4\n"
                "Memory Used       : 96 bytes\nFile Format           : Tagged Image File Format\n"
                "Image Status        : Saved     (File size: " +
                size + " bytes)");
  std::filesystem::remove(saved);
  d.UpdateImage();
  EXPECT_TRUE(info->GetText().endsWith("Image Status        : Saved"));
  d.GetPosImage(0)->ClearSaved();
  d.UpdateImage();
  EXPECT_TRUE(info->GetText().endsWith("Image Status        : Not Saved"));
  d.CloseAllAction();
  EXPECT_TRUE(info->GetText().isEmpty());
}

TEST_F(OutputWindows, FormatsListEveryTypeOfTheImageServices) {
  KEPAteloFormats formats(nullptr);
  QTreeWidget* list = formats.GetList();
  const auto& types = KEPImageFile::Types();
  ASSERT_EQ(static_cast<std::size_t>(list->topLevelItemCount()), types.size());
  for (std::size_t i = 0; i < types.size(); ++i)
    EXPECT_EQ(list->topLevelItem(i)->text(0) + list->topLevelItem(i)->text(3),
              QString::fromStdString(types[i].extension) +
                  (types[i].flags & KEPAtelImaFormat::WRITABLE ? " X " : " "));
}

TEST_F(OutputWindows, ManualsAreFoundUnderHomeThenKepframeThenInstalled) {
  KEPAteloHelp help(nullptr, "helpContents", "Help Contents");
  help.SetManual("atvug", 8);
  const std::string installed = help.GetPath();
  EXPECT_EQ(std::filesystem::path(installed).filename(), "user-guide.md");
  EXPECT_EQ(help.DisplayDocumentation(), 0);
  EXPECT_TRUE(help.GetWindow()->isVisible() &&
              help.GetBrowser()->toPlainText().contains("Using atelo"));

  TempDir site;
  setenv("KEPFRAME", site.Path().c_str(), 1);
  std::filesystem::create_directories(site.File("atvug"));
  WriteWholeFile(site.File("atvug/atvug008.frm"), "# Site guide\n");
  help.SetManual("atvug", 8);
  EXPECT_EQ(help.GetPath(), site.File("atvug/atvug008.frm"));
  std::filesystem::create_directories(dir.File("atvug"));
  WriteWholeFile(dir.File("atvug/atvug008.frm"), "# Home guide\n");
  help.SetManual("atvug", 8);
  EXPECT_EQ(help.GetPath(), dir.File("atvug/atvug008.frm"));
  EXPECT_EQ(help.DisplayDocumentation(), 0);
  EXPECT_EQ(help.GetBrowser()->toPlainText().trimmed(), "Home guide");

  // No page anywhere: the window says where it looked.
  help.SetManual("atvxx", 3);
  EXPECT_EQ(help.DisplayDocumentation(), 2);  // the site's page, missing
  unsetenv("KEPFRAME");
  help.SetManual("atvxx", 3);
  EXPECT_EQ(help.GetPath(), "");
  EXPECT_EQ(help.DisplayDocumentation(), 1);
  EXPECT_TRUE(help.GetBrowser()->toPlainText().contains("$KEPFRAME/atvxx/atvxx003.frm"));
}

}  // namespace
