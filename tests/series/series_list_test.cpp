#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <cstdio>
#include <memory>

#include "SeriesFixture.h"
#include "series/KEPAteloSeries.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

TEST_F(SeriesTest, RepeatedNamesGetNumberedLabels) {
  Add("/t/name.tif");
  Add("/t/name.tif");
  Add("/t/name.tif");
  EXPECT_EQ(Labels(),
            (std::vector<std::string>{"/t/name.tif", "/t/name.tif <1>", "/t/name.tif <2>"}));
  Add("");
  EXPECT_EQ(series->GetLabel(4), "Untitled");
  // Names in a legacy 8-bit encoding label by their bytes.
  Add("/t/caf\xe9.tif");
  Add("/t/caf\xe9.tif");
  EXPECT_EQ(series->GetLabel(6), "/t/caf\xe9.tif <1>");
  EXPECT_EQ(series->GetCurLabel(), "/t/caf\xe9.tif <1>");

  // A renamed image gets its own name back; the selection stays put.
  Select({2, 3});
  series->GetPosImage(2)->SetName("/t/other.tif");
  series->UpdateLine(2);
  EXPECT_EQ(series->GetLabel(2), "/t/other.tif");
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{2, 3}));
  series->GetPosImage(3)->SetName("/t/other.tif");
  series->UpdateLine(3);
  EXPECT_EQ(series->GetLabel(3), "/t/other.tif <1>");
}

TEST_F(SeriesTest, AppendAndInsertKeepTheCurrentImage) {
  KEPAtelIma* a = Add("/t/a.tif");
  KEPAtelIma* b = Add("/t/b.tif");
  EXPECT_EQ(series->GetCurImage(), b);  // an appended image is shown at once
  series->SelectImage(1);
  KEPAtelIma* c = MakeImage("/t/c.tif");
  ASSERT_EQ(series->InsertOneImageAfter(c, 0), 0);
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, c, b}));
  EXPECT_EQ(series->GetCurImage(), a);
  KEPAtelIma* d = MakeImage("/t/d.tif");
  ASSERT_EQ(series->InsertOneImageAfter(d, 1), 0);
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, d, c, b}));
  EXPECT_EQ(series->GetCurImage(), d);
  EXPECT_EQ(series->LocateImage(b), 4);
  EXPECT_EQ(series->LocateImage(nullptr), 0);
}

TEST_F(SeriesTest, MovingTheEndsWrapsAround) {
  auto v = AddFour();
  KEPAtelIma *a = v[0], *b = v[1], *c = v[2], *d = v[3];
  ASSERT_EQ(series->UpSingle(1), 0);
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{b, c, d, a}));
  EXPECT_EQ(series->GetCurValue(), 4);  // the current image moved with its line
  EXPECT_EQ(Labels(), (std::vector<std::string>{"/t/b.tif", "/t/c.tif", "/t/d.tif", "/t/a.tif"}));
  ASSERT_EQ(series->DownSingle(4), 0);
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, b, c, d}));
  ASSERT_EQ(series->DownSingle(2), 0);
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, c, b, d}));
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{3}));
  ASSERT_EQ(series->UpSingle(3), 0);
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, b, c, d}));
  EXPECT_NE(series->UpSingle(9), 0);
}

TEST_F(SeriesTest, SeveralLinesMoveAsABlockAndKeepTheirSelection) {
  auto v = AddFour();
  KEPAtelIma *a = v[0], *b = v[1], *c = v[2], *d = v[3];
  Select({2, 3});
  series->UpAction();
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{b, c, a, d}));
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{1, 2}));
  EXPECT_EQ(series->GetCurImage(), a);
  series->DownAction();
  series->DownAction();
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, d, b, c}));
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{3, 4}));
  // A block at the bottom going down wraps to the front, still a block.
  series->DownAction();
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{b, c, a, d}));
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{1, 2}));
}

TEST_F(SeriesTest, EveryLineSelectedRotatesTheSeries) {
  auto v = AddFour();
  KEPAtelIma *a = v[0], *b = v[1], *c = v[2], *d = v[3];
  Select({1, 2, 3, 4});
  series->UpAction();
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{b, c, d, a}));
  EXPECT_EQ(series->GetCurValue(), 4);
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{1, 2, 3, 4}));
  series->DownAction();
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, b, c, d}));
  EXPECT_EQ(series->GetCurValue(), 1);
  // Pairs stay pairs while stereo viewing is on.
  host.stereo = true;
  series->UpMulti(std::vector<int>{1, 2, 3, 4});
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{c, d, a, b}));
}

TEST_F(SeriesTest, CopyTakesSelectedImagesOrNothing) {
  auto v = AddFour();
  Select({});
  series->CopyAction();
  EXPECT_EQ(series->GetPasteList().Size(), 0);
  EXPECT_FALSE(series->findChild<QPushButton*>("pasteBtn")->isEnabled());

  Select({1, 2, 3, 4});
  series->CopyAction();
  ASSERT_EQ(series->GetPasteList().Size(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(series->GetPasteList()[i + 1], v[i]);
  EXPECT_EQ(series->GetNbrImage(), 4);  // copying leaves the series alone
  EXPECT_TRUE(series->findChild<QPushButton*>("pasteBtn")->isEnabled());

  Select({3, 1});
  series->CopyAction();
  ASSERT_EQ(series->GetPasteList().Size(), 2);
  EXPECT_EQ(series->GetPasteList()[1], v[0]);
  EXPECT_EQ(series->GetPasteList()[2], v[2]);
}

TEST_F(SeriesTest, CutThenPasteMovesImagesAndPasteAgainCopies) {
  auto v = AddFour();
  KEPAtelIma *a = v[0], *b = v[1], *c = v[2], *d = v[3];
  Select({2, 3});
  series->CutAction();
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, d}));
  ASSERT_EQ(series->GetPasteList().Size(), 2);
  EXPECT_EQ(host.removedReps, (std::vector<KEPAtelIma*>{b, c}));

  series->SelectImage(2);
  series->PasteAction();
  EXPECT_EQ(Order(), (std::vector<KEPAtelIma*>{a, d, b, c}));
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{3, 4}));
  EXPECT_EQ(series->GetCurImage(), b);

  // The pasted images are in the series now: pasting again inserts copies,
  // which count as done and saved.
  host.linked.clear();
  series->SelectImage(1);
  series->PasteAction();
  ASSERT_EQ(series->GetNbrImage(), 6);
  KEPAtelIma* copy = series->GetPosImage(2);
  EXPECT_NE(copy, b);
  EXPECT_STREQ(copy->GetName(), "/t/b.tif");
  EXPECT_TRUE(copy->IsDone());
  EXPECT_TRUE(copy->IsSaved());
  EXPECT_EQ(host.linked.size(), 2u);
  EXPECT_EQ(series->GetLabel(2), "/t/b.tif <1>");

  // Closing empties the paste list.
  series->SelectImage(1);
  EXPECT_EQ(series->CloseSelectedImage(), 0);
  EXPECT_EQ(series->GetNbrImage(), 5);
  EXPECT_EQ(series->GetPasteList().Size(), 0);
}

TEST_F(SeriesTest, CloseAsksForUnsavedImagesAndStopsOnCancel) {
  host.prompt = 1;
  Add("/t/a.tif");
  Add("/t/b.tif");
  Prompt().QueueAnswer(3);  // Cancel
  EXPECT_NE(series->CloseAllImages(), 0);
  EXPECT_EQ(series->GetNbrImage(), 2);
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].text, "Image '/t/a.tif' not saved.\nSave image ?");
  EXPECT_EQ(Prompt().asked[0].buttons, (std::vector<std::string>{" Yes  ", "  No  ", "Cancel"}));
  EXPECT_EQ(Prompt().asked[0].name, "warnDlg");
  EXPECT_EQ(Prompt().asked[0].title, "Atelo Test");

  Prompt().QueueAnswer(2);  // No: closed unsaved
  Prompt().QueueAnswer(2);
  EXPECT_EQ(series->CloseAllImages(), 0);
  EXPECT_EQ(series->GetNbrImage(), 0);
  EXPECT_EQ(series->GetCurImage(), nullptr);
  EXPECT_EQ(series->GetCurValue(), 0);
  EXPECT_FALSE(series->findChild<QPushButton*>("cutBtn")->isEnabled());
}

TEST_F(SeriesTest, UnfinishedImageAsksToInterruptTheRendering) {
  Add("/t/a.tif", false);
  Prompt().QueueAnswer(2);
  series->CloseAllImages();
  EXPECT_EQ(series->GetNbrImage(), 1);
  EXPECT_EQ(host.renderEnds, 0);
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].text, "Image '/t/a.tif' not finished.\nInterrupt rendering ?");
  series->CloseAllImages();  // unscripted: " Yes  "
  EXPECT_EQ(host.renderEnds, 1);
  EXPECT_EQ(series->GetNbrImage(), 0);
}

TEST_F(SeriesTest, SelectingReloadsDroppedPixelsOrDropsAVanishedFile) {
  std::string kept = WriteTif("kept.tif");
  std::string gone = WriteTif("gone.tif");
  Add("/t/a.tif");
  ASSERT_EQ(series->InsertOneImageAfter(kept.c_str(), 0), 0);
  ASSERT_EQ(series->InsertOneImageAfter(gone.c_str(), 0), 0);
  ASSERT_EQ(series->GetNbrImage(), 3);
  EXPECT_EQ(series->GetPosImage(2)->GetPixels(), nullptr);

  std::remove(gone.c_str());
  series->SelectImage(2);
  EXPECT_EQ(series->GetNbrImage(), 2);
  EXPECT_EQ(series->GetPosImage(2)->GetName(), kept);
  EXPECT_NE(series->GetCurImage()->GetPixels(), nullptr);  // the next one, read back
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("gone.tif"), std::string::npos) << host.errors[0];
}

TEST_F(SeriesTest, CutWithoutKeepModeDropsPixelsOfSavedImages) {
  host.keep = 0;
  std::string path = WriteTif("a.tif");
  ASSERT_EQ(series->InsertOneImageAfter(path.c_str(), 1), 0);
  Add("/t/b.tif");
  KEPAtelIma* saved = series->GetPosImage(1);
  ASSERT_NE(saved->GetPixels(), nullptr);
  Select({1, 2});
  series->CutAction();
  EXPECT_EQ(saved->GetPixels(), nullptr);
  EXPECT_NE(series->GetPasteList()[2]->GetPixels(), nullptr);  // unsaved: kept
  // Pasting back and selecting brings the pixels back from the file.
  series->PasteAction();
  series->SelectImage(2);
  series->SelectImage(1);
  EXPECT_NE(saved->GetPixels(), nullptr);
}

TEST_F(SeriesTest, InsertingAFileResolvesItAndReportsAMissingOne) {
  std::string path = WriteTif("a.tif");
  ScopedHome home(dir.Path());
  ASSERT_EQ(series->InsertOneImageAfter("a.tif", 1), 0);
  EXPECT_EQ(series->GetCurImage()->GetName(), path);
  EXPECT_TRUE(series->GetCurImage()->IsSaved());
  EXPECT_EQ(host.linked.size(), 1u);
  EXPECT_EQ(series->InsertSingleAfter("missing.tif", 0), 1);
  EXPECT_EQ(std::string(errmsg), "File '" + dir.File("missing.tif") + "' not found");
  EXPECT_EQ(series->GetNbrImage(), 1);
}

TEST_F(SeriesTest, LargeFilesAreOfferedToTheSplitDialog) {
  std::string path = WriteTif("big.tif");
  Add("/t/a.tif");
  host.split = 1;
  host.splitSize = 1;
  host.takeSplit = true;
  ASSERT_EQ(series->InsertSingleAfter(path.c_str(), 0), 0);
  EXPECT_EQ(series->GetNbrImage(), 1);
  EXPECT_EQ(host.splitOffers, (std::vector<int>{1}));
  // Without a split dialog the file opens whole.
  host.takeSplit = false;
  ASSERT_EQ(series->InsertSingleAfter(path.c_str(), 0), 0);
  EXPECT_EQ(series->GetNbrImage(), 2);
  host.split = 0;
  host.splitOffers.clear();
  ASSERT_EQ(series->InsertSingleAfter(path.c_str(), 0), 0);
  EXPECT_TRUE(host.splitOffers.empty());
}

TEST_F(SeriesTest, StereoPairsAndPartnerSelection) {
  auto v = AddFour();
  Add("/t/e.tif");
  EXPECT_EQ(series->GetCoupledImage(v[0]), v[1]);
  EXPECT_EQ(series->GetCoupledImage(v[1]), v[0]);
  EXPECT_EQ(series->GetCoupledImage(v[3]), v[2]);
  EXPECT_EQ(series->GetCoupledImage(series->GetPosImage(5)), nullptr);

  series->AssociateStereoImages();
  EXPECT_EQ(v[2]->GetCoupledImage(), v[3]);
  EXPECT_EQ(v[2]->GetStereoSide(), 1);
  EXPECT_EQ(v[3]->GetStereoSide(), 0);
  series->DissociateStereoImages();
  EXPECT_EQ(v[2]->GetCoupledImage(), nullptr);

  host.stereo = true;
  series->SelectImage(1);
  auto* list = series->findChild<QListWidget*>("list");
  list->clearSelection();
  list->item(2)->setSelected(true);  // the user picks line 3
  EXPECT_EQ(series->GetCurValue(), 4);
  EXPECT_EQ(series->GetSelectedPositions(), (std::vector<int>{4}));
}

TEST_F(SeriesTest, NextImageStepsThroughTheList) {
  AddFour();
  series->SelectImage(4);
  EXPECT_EQ(series->NextImage(2, 1), 2);
  EXPECT_EQ(series->GetCurValue(), 1);
  EXPECT_EQ(series->NextImage(1, 0), 2);
  EXPECT_EQ(series->GetCurValue(), 2);
}

TEST_F(SeriesTest, WindowControlsAndTheirStates) {
  EXPECT_EQ(series->objectName(), "seriesDialog");
  EXPECT_EQ(series->windowTitle(), "Series");
  ASSERT_NE(series->findChild<QWidget*>("mainFrame"), nullptr);
  ASSERT_NE(series->findChild<QWidget*>("cmdFrame"), nullptr);
  auto* list = series->findChild<QListWidget*>("list");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  struct Expected {
    const char *name, *label, *tip;
  };
  for (auto e : {Expected{"openBtn", "Open", "Open Image Files"},
                 Expected{"saveBtn", "Save", "Save Selected Names As"},
                 Expected{"cutBtn", "Cut", "Cut Selected Names"},
                 Expected{"copyBtn", "Copy", "Copy Selected Names"},
                 Expected{"pasteBtn", "Paste", "Paste Selection"},
                 Expected{"upBtn", "Up", "Move Selected Names Up"},
                 Expected{"downBtn", "Down", "Move Selected Names Down"}}) {
    auto* button = series->findChild<QPushButton*>(e.name);
    ASSERT_NE(button, nullptr) << e.name;
    EXPECT_EQ(button->text().toStdString(), e.label);
    EXPECT_EQ(button->toolTip().toStdString(), e.tip);
  }
  auto* menu = series->findChild<QMenu*>("listMenu");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), "Series");
  auto* pasteItem = series->findChild<QAction*>("pasteSeriesItem");
  ASSERT_NE(pasteItem, nullptr);
  ASSERT_NE(series->findChild<QAction*>("cutSeriesItem"), nullptr);
  ASSERT_NE(series->findChild<QAction*>("copySeriesItem"), nullptr);

  auto enabled = [&](const char* name) {
    return series->findChild<QPushButton*>(name)->isEnabled();
  };
  EXPECT_FALSE(enabled("cutBtn") || enabled("copyBtn") || enabled("saveBtn") || enabled("upBtn") ||
               enabled("downBtn") || enabled("pasteBtn"));
  EXPECT_TRUE(enabled("openBtn"));
  Add("/t/a.tif");
  EXPECT_TRUE(enabled("cutBtn") && enabled("copyBtn") && enabled("saveBtn"));
  EXPECT_FALSE(enabled("upBtn") || enabled("downBtn"));
  Add("/t/b.tif");
  EXPECT_TRUE(enabled("upBtn") && enabled("downBtn"));
  series->findChild<QAction*>("copySeriesItem")->trigger();
  EXPECT_TRUE(pasteItem->isEnabled());

  series->findChild<QPushButton*>("openBtn")->click();
  series->findChild<QPushButton*>("saveBtn")->click();
  EXPECT_EQ(host.opens, 1);
  EXPECT_EQ(host.saveAs, (std::vector<int>{1}));
  series->show();
  series->findChild<QPushButton*>("closeBtn")->click();
  EXPECT_FALSE(series->isVisible());
}

}  // namespace
