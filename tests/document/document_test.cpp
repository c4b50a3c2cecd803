#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <climits>
#include <filesystem>

#include "document/DocumentFixture.h"
#include "document/KEPAteloMessage.h"
#include "link/KEPAteloBridge.h"
#include "platform/KEPClock.h"
#include "platform/settings/KEPSettingsFile.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloSeries.h"

namespace {

// A width x height picture whose pixel (c, r) is (c, r, seed, 255).
void WriteImage(const std::string& path, int width, int height, int seed = 0) {
  WritePicture(path, width, height, Gradient(seed));
}

class DocumentTest : public DocumentFixture {
 protected:
  void TearDown() override {
    DocumentFixture::TearDown();
    KEPClock::SetSourceForTesting(nullptr);
  }
  void WriteDefaults(const std::string& text) {
    WriteWholeFile(dir.File(".virda_atelo.env"), text);
  }
  KEPAteloDocument& Make(std::vector<std::string> files = {}, int style = 0) {
    DocumentFixture::Make(files, style).SetQuitHandler([this] { ++quits; });
    return *doc;
  }
  std::string File(const std::string& name) const { return dir.File(name); }

  int quits = 0;
};

TEST_F(DocumentTest, StartsWithTheFilesOfTheCommandLineShownAndListed) {
  WriteImage(File("a.tif"), 64, 32, 200);
  WriteImage(File("b.png"), 20, 10);
  KEPAteloDocument& doc = Make({File("a.tif"), File("b.png")});
  EXPECT_EQ(doc.GetNbrImage(), 2);
  EXPECT_EQ(doc.GetPosImage(0), doc.GetPosImage(1));
  EXPECT_STREQ(doc.GetPosImage(1)->GetName(), File("a.tif").c_str());
  EXPECT_EQ(doc.GetStatusText().toStdString(), File("a.tif"));
  EXPECT_EQ(doc.GetModeAff(), KEPAteloDocument::MODE_PICTURE);
  QApplication::processEvents();
  QImage shot = doc.GetViewer()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2).blue(), 200);

  // Selecting a line in the series window makes its image the one shown.
  doc.FindAction("seriesItem")->trigger();
  EXPECT_TRUE(doc.GetSeries()->isVisible());
  EXPECT_EQ(doc.GetSeries()->GetLabel(2), File("b.png"));
  doc.GetSeries()->SelectImage(2);
  EXPECT_EQ(doc.GetStatusText().toStdString(), File("b.png"));
}

TEST_F(DocumentTest, OpenSkipsUnknownTypesAndReportsOnlyTheFirstName) {
  WriteImage(File("a.tif"), 8, 8);
  KEPAteloDocument& doc = Make();
  std::vector<std::string> names{File("a.tif"), File("c.xyz")};
  EXPECT_EQ(doc.OpenFile(names, 1), 0);
  EXPECT_EQ(doc.GetNbrImage(), 1);
  EXPECT_EQ(doc.GetLastFiles().Get(1), File("a.tif"));
  EXPECT_EQ(doc.GetLastFiles().Get(2), "");

  names = {File("c.xyz"), File("a.tif")};
  EXPECT_EQ(doc.OpenFile(names, 1), 1);
  EXPECT_STREQ(errmsg, "Image type 'xyz' not supported on open");
  EXPECT_EQ(doc.GetLastFiles().Get(1), File("a.tif"));
  EXPECT_EQ(doc.GetLastFiles().Get(2), "");
}

TEST_F(DocumentTest, OpenFromTheFileBoxWritesItsDefaultsOnlyOnSuccess) {
  WriteImage(File("shot.png"), 8, 8);
  KEPAteloDocument& doc = Make();
  // A name without extension takes the filter's.
  Prompt().QueueFiles({true, {File("shot")}, "*.png"});
  doc.OpenAction();
  ASSERT_EQ(Prompt().fileBoxes.size(), 1u);
  EXPECT_TRUE(Prompt().fileBoxes[0].multiple);
  EXPECT_EQ(doc.GetNbrImage(), 1);
  char value[512];
  ASSERT_EQ(litfic("DEF_FILT", value, sizeof value), 0);
  EXPECT_STREQ(value, "*.png");
  ASSERT_EQ(litfic("DEF_READ", value, sizeof value), 0);
  EXPECT_EQ(std::string(value), dir.Path() + "/");

  Prompt().QueueFiles({true, {File("missing.bmp")}, "*.bmp"});
  doc.OpenAction();
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].name, "warnDlg");
  ASSERT_EQ(litfic("DEF_FILT", value, sizeof value), 0);
  EXPECT_STREQ(value, "*.png");
}

TEST_F(DocumentTest, LastFileItemsFollowTheSlots) {
  for (const char* name : {"a.tif", "b.tif", "c.tif"}) WriteImage(File(name), 4, 4);
  KEPAteloDocument& doc = Make();
  std::vector<std::string> names{File("a.tif"), File("b.tif"), File("c.tif")};
  ASSERT_EQ(doc.OpenFile(names, 1), 0);
  ASSERT_NE(doc.FindAction("file3Item"), nullptr);
  EXPECT_EQ(doc.FindAction("file1Item")->text().toStdString(), "&1: " + File("a.tif"));
  EXPECT_EQ(doc.FindAction("file2Item")->shortcut(), QKeySequence("Ctrl+2"));
  char value[512];
  ASSERT_EQ(litfic("LAST_FILE3", value, sizeof value), 0);
  EXPECT_EQ(std::string(value), File("c.tif"));

  // A slot whose file went away is dropped and the others move up.
  std::filesystem::remove(File("a.tif"));
  doc.LastFileAction(1);
  EXPECT_EQ(doc.GetLastFiles().Get(1), File("b.tif"));
  EXPECT_EQ(doc.GetLastFiles().Get(2), File("c.tif"));
  EXPECT_EQ(doc.FindAction("file3Item"), nullptr);
  ASSERT_EQ(litfic("LAST_FILE3", value, sizeof value), 0);
  EXPECT_STREQ(value, "");
  ASSERT_EQ(Prompt().asked.size(), 1u);
}

TEST_F(DocumentTest, FitToWindowZoomsTheImageIntoTheViewer) {
  WriteImage(File("wide.tif"), 1000, 500);
  KEPAteloDocument& doc = Make({File("wide.tif")});
  doc.SetVisuSize(800, 600);
  ASSERT_TRUE(doc.DisplayImage(doc.GetPosImage(0), true));
  KEP2DViewer* viewer = doc.GetViewer();
  EXPECT_FLOAT_EQ(viewer->GetViewpoint().GetZoom() * viewer->GetMillimetersPerSupportUnit(), 0.8f);

  doc.ReframeAction();
  EXPECT_FLOAT_EQ(viewer->GetViewpoint().GetZoom() * viewer->GetMillimetersPerSupportUnit(), 1.0f);
  EXPECT_FALSE(doc.FindAction("fitItem")->isChecked());
}

TEST_F(DocumentTest, SaveAsAnotherTypeAndCloseTheLastImage) {
  WriteImage(File("a.tif"), 16, 8, 7);
  KEPAteloDocument& doc = Make({File("a.tif")});
  Prompt().QueueFiles({true, {File("copy")}, "*.bmp"});
  doc.SaveAsAction(2);
  ASSERT_EQ(Prompt().fileBoxes.size(), 1u);
  EXPECT_EQ(Prompt().fileBoxes[0].filter, "*");
  EXPECT_TRUE(Prompt().asked.empty()) << Prompt().asked[0].text;
  EXPECT_STREQ(doc.GetPosImage(0)->GetName(), File("copy.bmp").c_str());
  EXPECT_EQ(doc.GetStatusText().toStdString(), File("copy.bmp"));
  EXPECT_EQ(ReadPicture(File("copy.bmp")).pixels, Pixels());

  doc.CloseAction();
  EXPECT_EQ(doc.GetNbrImage(), 0);
  EXPECT_EQ(doc.GetStatusText(), " ");
}

TEST_F(DocumentTest, ExitWithAnUnsavedImageWhosePromptIsCancelledKeepsRunning) {
  WriteDefaults("DEF_PROMPT=YES\n");
  KEPAteloDocument& doc = Make();
  auto* image = new KEPAtelIma(File("new.tif").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  ASSERT_EQ(image->AllocatePixels(4, 4), 0);
  image->SetDone();
  ASSERT_EQ(doc.GetSeries()->AppendOneImage(image), 0);
  Prompt().QueueAnswer(3);  // Cancel
  doc.QuitAction();
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(doc.GetNbrImage(), 1);
  ASSERT_FALSE(Prompt().asked.empty());
  EXPECT_EQ(Prompt().asked[0].text, "Image '" + File("new.tif") + "' not saved.\nSave image ?");

  Prompt().QueueAnswer(2);  // No
  doc.QuitAction();
  EXPECT_EQ(quits, 1);
}

TEST_F(DocumentTest, ExitDuringARenderingMayBeCancelledOrWaitsForItsEnd) {
  KEPAteloDocument& doc = Make();
  doc.RenderNew("", 1, 0, 4, 4);
  Prompt().QueueAnswer(2);
  doc.QuitAction();
  EXPECT_TRUE(doc.isVisible());
  doc.QuitAction();
  EXPECT_FALSE(doc.isVisible());
  EXPECT_EQ(quits, 0);
  doc.RenderEnd();
  EXPECT_EQ(quits, 1);
}

// --- render reception ----------------------------------------------------------------

std::vector<unsigned char> Patch(int nx, int ny, unsigned char value) {
  return std::vector<unsigned char>(std::size_t(nx) * ny * 4, value);
}

TEST_F(DocumentTest, RenderedImagesAreNamedFromTheDefaults) {
  KEPAteloDocument& doc = Make();
  doc.RenderNew("", 1, 0, 8, 4);
  ASSERT_NE(doc.GetRenderImage(), nullptr);
  EXPECT_STREQ(doc.GetRenderImage()->GetName(), "/tmp/Untitled.tif");
  WriteDefaults("DEF_PATH=" + dir.Path() + "\nDEF_NAME=shot\nDEF_TYPE=png\n");
  doc.RenderNew("", 1, 7, 8, 4);
  EXPECT_EQ(std::string(doc.GetRenderImage()->GetName()), dir.Path() + "/shot.0007.png");
  doc.RenderNew(File("given.tif").c_str(), 1, 7, 8, 4);
  EXPECT_EQ(std::string(doc.GetRenderImage()->GetName()), File("given.tif"));
  EXPECT_EQ(doc.GetNbrImage(), 3);
  EXPECT_EQ(doc.GetPosImage(0), doc.GetRenderImage());
}

TEST_F(DocumentTest, AutoSaveFollowsTheMinimumRenderingTime) {
  WriteDefaults("DEF_PATH=" + dir.Path() + "\nDEF_AUTOSAVE=SMART\nDEF_MINTIME=30\n");
  double now = 1000.0;
  KEPClock::SetSourceForTesting([&now] { return now; });
  KEPAteloDocument& doc = Make();

  doc.RenderNew("", 1, 1, 4, 2);
  now += 29.0;
  auto pixels = Patch(4, 2, 9);
  doc.RenderDisp(0, 0, 4, 2, 32, pixels.data());
  KEPAtelIma* quick = doc.GetPosImage(0);
  EXPECT_TRUE(quick->IsDone());
  EXPECT_FALSE(quick->IsSaved());

  doc.RenderNew("", 1, 2, 4, 2);
  now += 30.0;
  doc.RenderDisp(0, 0, 4, 1, 16, pixels.data());
  doc.RenderDisp(0, 1, 4, 1, 16, pixels.data());
  KEPAtelIma* slow = doc.GetPosImage(0);
  EXPECT_TRUE(slow->IsSaved());
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/Untitled.0002.tif"));

  QString text = doc.GetMessageDialog()->GetText();
  EXPECT_TRUE(text.contains(QString::fromStdString("IMG  0.0 warning : Image '" + dir.Path() +
                                                   "/Untitled.0001.tif' NOT saved !")));
  EXPECT_TRUE(text.contains(QString::fromStdString("IMG  0.0 info : Image '" + dir.Path() +
                                                   "/Untitled.0002.tif' saved")));

  // A late patch changes nothing and says so.
  auto late = Patch(4, 2, 200);
  doc.RenderDisp(0, 0, 4, 2, 32, late.data());
  EXPECT_EQ(slow->GetPixels()[0], 9);
  EXPECT_TRUE(doc.GetMessageDialog()->GetText().contains(
      "WARNING: Patch received after image computation is done !!"));
}

TEST_F(DocumentTest, PatchesLandWhereTheyBelongInTheWholeFrameOrItsPart) {
  WriteDefaults("DEF_PATH=" + dir.Path() + "\nDEF_AUTOSAVE=NO\n");
  KEPAteloDocument& doc = Make();
  doc.RenderNew("", 1, 0, 4, 4);
  KEPAtelIma* image = doc.GetRenderImage();
  auto top = Patch(4, 2, 50);
  // Announced as 4 x 2 but one row short: one row is copied, two counted.
  doc.RenderDisp(0, 2, 4, 2, 16, top.data());
  EXPECT_EQ(image->GetPixels()[(2 * 4) * 4], 50);
  EXPECT_EQ(image->GetPixels()[(3 * 4) * 4], 0);
  auto bottom = Patch(4, 2, 60);
  doc.RenderDisp(0, 0, 4, 2, 1000, bottom.data());
  EXPECT_TRUE(image->IsDone());
  EXPECT_FALSE(image->IsSaved());

  // Part 16 of a 10 x 7 frame: 4 x 4 pixels whose first lies at (6, 3);
  // patches anywhere are counted, never written outside.
  doc.RenderNew("", (16 << 24) | 1, 0, 10, 7);
  image = doc.GetRenderImage();
  int width = 0, height = 0;
  image->GetSize(width, height);
  EXPECT_EQ(std::vector<int>({width, height, image->GetFramePart()}), std::vector<int>({4, 4, 16}));
  auto pixels = Patch(4, 3, 9);
  for (auto [x, y] : {std::pair{INT_MIN, INT_MIN}, {INT_MAX, 0}, {0, INT_MIN + 1}, {5, 3}})
    EXPECT_EQ(doc.RenderDisp(x, y, 1, 1, 4, pixels.data()), 0) << x << ", " << y;
  EXPECT_EQ(std::count(image->GetPixels(), image->GetPixels() + 64, 9), 0);
  EXPECT_EQ(doc.RenderDisp(0, 0, INT_MAX, INT_MAX, 48, pixels.data()), -1);  // not counted
  EXPECT_EQ(doc.RenderDisp(6, 3, 4, 3, 48, pixels.data()), 0);  // 4 x 4 + 48 = 64 bytes
  EXPECT_TRUE(image->IsDone());
  EXPECT_EQ(image->GetPixels()[0], 9);
  EXPECT_EQ(std::count(image->GetPixels(), image->GetPixels() + 64, 9), 48);
}

TEST_F(DocumentTest, BackgroundImageComesAndGoesWithItsItemUnderTransparentPixels) {
  WriteImage(File("back.png"), 32, 32, 50);
  WriteImage(File("front.tif"), 16, 16, 90);
  KEPAteloDocument& doc = Make({File("front.tif")});
  QAction* item = doc.FindAction("BackgroundItem");
  // Transparent pixels show over a checkerboard, or over the background
  // laid from the image's own origin.
  auto* rep = dynamic_cast<KEPCatalog2DImagePixelRep*>(doc.GetViewer()->GetReps().front());
  ASSERT_NE(rep, nullptr);
  EXPECT_EQ(rep->GetDrawMode(), KEPCatalog2DImagePixelRep::kOverCheckerboard);
  Prompt().QueueFiles({true, {File("back")}, "*.png"});
  item->trigger();
  EXPECT_TRUE(doc.HasBackground());
  EXPECT_TRUE(item->isChecked());
  EXPECT_EQ(rep->GetDrawMode(), KEPCatalog2DImagePixelRep::kAboveBackground);
  auto* background = dynamic_cast<KEPCatalog2DImagePixelRep*>(doc.GetViewer()->GetBackgroundRep());
  ASSERT_NE(background, nullptr);
  float bx = 0, by = 0, ix = 0, iy = 0;
  background->GetOrigin(bx, by);
  rep->GetOrigin(ix, iy);
  EXPECT_EQ(std::vector<float>({bx, by, ix}), std::vector<float>({ix, iy, -8.0f}));

  item->trigger();
  EXPECT_FALSE(doc.HasBackground());
  EXPECT_FALSE(item->isChecked());

  // A type nobody reads: the item falls back and says why.
  Prompt().QueueFiles({true, {File("back.xyz")}, "*.png"});
  item->trigger();
  EXPECT_FALSE(doc.HasBackground());
  EXPECT_FALSE(item->isChecked());
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].text, "Image type 'xyz' not supported on open");

  // Cancel leaves it unchecked.
  item->trigger();
  EXPECT_FALSE(item->isChecked());
}

TEST_F(DocumentTest, InterruptLeavesTheFileTheRendererWatchesAndTheEndReturnsToPictures) {
  KEPAteloDocument& doc = Make();
  InitKEPAtelo(&doc);  // as the application does: the message goes the renderer's way
  doc.RenderNew("", 1, 0, 4, 4);
  QAction* item = doc.findChild<QAction*>("interruptItem");
  ASSERT_TRUE(item->isEnabled());
  item->trigger();
  EXPECT_TRUE(std::filesystem::exists(File(".virda_atelo.int")));
  InitKEPAtelo(nullptr);
  ASSERT_NE(doc.GetMessageDialog(), nullptr);
  EXPECT_TRUE(doc.GetMessageDialog()->GetText().contains("KEP 0.0 Int  : Interrupt performed "));
  // Its end marks the image whole and greys Interrupt again.
  doc.RenderEnd();
  EXPECT_EQ(doc.GetModeAff(), KEPAteloDocument::MODE_PICTURE);
  EXPECT_TRUE(doc.GetPosImage(0)->IsDone());
  EXPECT_FALSE(item->isEnabled());
}

TEST_F(DocumentTest, AStartFileThatFailsIsReportedOnceTheWindowIsUp) {
  KEPAteloDocument& doc = Make({File("missing.tif")});
  EXPECT_EQ(doc.GetNbrImage(), 0);
  EXPECT_TRUE(Prompt().asked.empty());
  QApplication::processEvents();
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].text, "File '" + File("missing.tif") + "' not found");
}

TEST_F(DocumentTest, WarnsOnStandardErrorWhenThereAreNoDefaults) {
  testing::internal::CaptureStderr();
  Make();
  std::string missing = testing::internal::GetCapturedStderr();
  EXPECT_NE(missing.find("Warning: Undefined default parameters.\n"
                         "         Predefined values will be used (See 'Defaults' panel in "
                         "'Settings' menu).\n"),
            std::string::npos);
  doc.reset();
  WriteDefaults("# mine\n");
  testing::internal::CaptureStderr();
  Make();
  EXPECT_EQ(testing::internal::GetCapturedStderr().find("Warning"), std::string::npos);
}

TEST_F(DocumentTest, ARenderingThatFailsOrLosesItsImageStillEnds) {
  KEPAteloDocument& doc = Make();
  doc.RenderNew("", 1, 0, 70000, 70000);
  EXPECT_EQ(doc.GetRenderImage(), nullptr);
  EXPECT_EQ(doc.GetModeAff(), KEPAteloDocument::MODE_PICTURE);
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].text,
            "Can't allocate image data structure: 70000 x 70000 is not a size an image can have "
            "(1 to 65535 pixels a side, 268435456 in all)");

  // The user closes the image being rendered; its end still returns to
  // picture mode and later patches go nowhere.
  doc.RenderNew("", 1, 0, 4, 4);
  doc.CloseAction();
  EXPECT_EQ(doc.GetRenderImage(), nullptr);
  auto pixels = Patch(4, 4, 1);
  EXPECT_EQ(doc.RenderDisp(0, 0, 4, 4, 64, pixels.data()), 0);
  doc.RenderEnd();
  EXPECT_EQ(doc.GetModeAff(), KEPAteloDocument::MODE_PICTURE);
}

TEST_F(DocumentTest, ABatchRunSavesEveryFrameGoesOnAfterOneThatCannotBeAndEndsWithTheRendering) {
  WriteDefaults("DEF_PATH=" + dir.Path() + "\nDEF_AUTOSAVE=NO\n");
  KEPAteloDocument& doc = Make({}, KEPAteloDocument::STYLE_HIDDEN);
  EXPECT_EQ(doc.GetModeAff(), KEPAteloDocument::MODE_RENDER_VISU_OFF);
  EXPECT_FALSE(doc.isVisible());
  testing::internal::CaptureStdout();
  auto pixels = Patch(2, 2, 5);
  doc.RenderNew((dir.Path() + "/missing/first.tif").c_str(), 1, 1, 2, 2);
  doc.RenderDisp(0, 0, 2, 2, 16, pixels.data());
  EXPECT_EQ(quits, 0);
  doc.RenderNew("", 1, 2, 2, 2);
  doc.RenderDisp(0, 0, 2, 2, 16, pixels.data());
  doc.RenderEnd();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("NOT saved !"), std::string::npos) << out;
  EXPECT_NE(out.find("IMG  0.0 info : Image '" + dir.Path() + "/Untitled.0002.tif' saved\n"),
            std::string::npos)
      << out;
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/Untitled.0002.tif")) << out;
  EXPECT_EQ(quits, 1);
}

}  // namespace
