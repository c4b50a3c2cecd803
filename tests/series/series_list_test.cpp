#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>

#include "SeriesFixture.h"

namespace {

TEST_F(SeriesTest, RepeatedNamesGetNumberedLabels) {
  for (int i = 0; i < 3; ++i) Add("/t/name.tif");
  EXPECT_EQ(Labels(), (Names{"/t/name.tif", "/t/name.tif <1>", "/t/name.tif <2>"}));
  // Names in a legacy 8-bit encoding label by their bytes.
  Add("/t/caf\xe9.tif");
  Add("/t/caf\xe9.tif");
  EXPECT_EQ(series->GetCurLabel(), "/t/caf\xe9.tif <1>");

  // A renamed image gets its own name back; the selection stays put.
  Select({2, 3});
  series->GetPosImage(2)->SetName("/t/other.tif");
  series->UpdateLine(2);
  series->GetPosImage(3)->SetName("/t/other.tif");
  series->UpdateLine(3);
  EXPECT_EQ(Labels(), (Names{"/t/name.tif", "/t/other.tif", "/t/other.tif <1>", "/t/caf\xe9.tif",
                             "/t/caf\xe9.tif <1>"}));
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3}));
}

TEST_F(SeriesTest, AppendAndInsertKeepTheCurrentImage) {
  KEPAtelIma* a = Add("/t/a.tif");
  KEPAtelIma* b = Add("/t/b.tif");
  EXPECT_EQ(series->GetCurImage(), b);  // an appended image is shown at once
  series->SelectImage(1);
  KEPAtelIma *c = MakeImage("/t/c.tif"), *d = MakeImage("/t/d.tif");
  ASSERT_EQ(series->InsertOneImageAfter(c, 0), 0);
  EXPECT_EQ(Order(), (Images{a, c, b}));
  EXPECT_EQ(series->GetCurImage(), a);
  ASSERT_EQ(series->InsertOneImageAfter(d, 1), 0);
  EXPECT_EQ(Order(), (Images{a, d, c, b}));
  EXPECT_EQ(series->GetCurImage(), d);
  EXPECT_EQ(series->LocateImage(b), 4);
}

TEST_F(SeriesTest, MovingOneLineWrapsAtTheEnds) {
  auto v = AddFour();
  KEPAtelIma *a = v[0], *b = v[1], *c = v[2], *d = v[3];
  ASSERT_EQ(series->UpSingle(1), 0);
  EXPECT_EQ(Order(), (Images{b, c, d, a}));
  EXPECT_EQ(series->GetCurValue(), 4);  // the current image moved with its line
  EXPECT_EQ(Labels(), (Names{"/t/b.tif", "/t/c.tif", "/t/d.tif", "/t/a.tif"}));
  ASSERT_EQ(series->DownSingle(4), 0);
  EXPECT_EQ(Order(), (Images{a, b, c, d}));
  ASSERT_EQ(series->DownSingle(2), 0);
  EXPECT_EQ(Order(), (Images{a, c, b, d}));
  EXPECT_EQ(Selected(), (std::vector<int>{3}));
  EXPECT_NE(series->UpSingle(9), 0);
}

TEST_F(SeriesTest, SeveralLinesMoveAsABlockAndEveryLineRotates) {
  auto v = AddFour();
  KEPAtelIma *a = v[0], *b = v[1], *c = v[2], *d = v[3];
  Select({2, 3});
  series->UpAction();
  EXPECT_EQ(Order(), (Images{b, c, a, d}));
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
  EXPECT_EQ(series->GetCurImage(), a);
  series->DownAction();
  series->DownAction();
  EXPECT_EQ(Order(), (Images{a, d, b, c}));
  EXPECT_EQ(Selected(), (std::vector<int>{3, 4}));
  series->DownAction();  // a block at the bottom wraps to the front, still a block
  EXPECT_EQ(Order(), (Images{b, c, a, d}));
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));

  series->SelectImage(3);
  Select({1, 2, 3, 4});
  series->DownAction();
  EXPECT_EQ(Order(), (Images{d, b, c, a}));
  EXPECT_EQ(series->GetCurValue(), 4);
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4}));
  host.stereo = true;  // pairs stay pairs while stereo viewing is on
  series->UpMulti(std::vector<int>{1, 2, 3, 4});
  EXPECT_EQ(Order(), (Images{c, a, d, b}));
}

TEST_F(SeriesTest, CopyCutAndPaste) {
  auto v = AddFour();
  KEPAtelIma *a = v[0], *b = v[1], *c = v[2], *d = v[3];
  auto* pasteBtn = series->findChild<QPushButton*>("pasteBtn");
  Select({});
  series->CopyAction();
  EXPECT_EQ(Pasted(), Images{});
  EXPECT_FALSE(pasteBtn->isEnabled());
  Select({3, 1});
  series->CopyAction();
  EXPECT_EQ(Pasted(), (Images{a, c}));  // in list order, the series left alone
  EXPECT_EQ(series->GetNbrImage(), 4);
  EXPECT_TRUE(pasteBtn->isEnabled());

  Select({2, 3});
  series->CutAction();
  EXPECT_EQ(Order(), (Images{a, d}));
  EXPECT_EQ(Pasted(), (Images{b, c}));
  EXPECT_EQ(host.removedReps, (Images{b, c}));
  series->SelectImage(2);
  series->PasteAction();
  EXPECT_EQ(Order(), (Images{a, d, b, c}));
  EXPECT_EQ(Selected(), (std::vector<int>{3, 4}));
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
  EXPECT_TRUE(copy->IsDone() && copy->IsSaved());
  EXPECT_EQ(host.linked.size(), 2u);
  EXPECT_EQ(series->GetLabel(2), "/t/b.tif <1>");

  series->SelectImage(1);  // closing empties the paste list
  EXPECT_EQ(series->CloseSelectedImage(), 0);
  EXPECT_EQ(series->GetNbrImage(), 5);
  EXPECT_EQ(Pasted(), Images{});
}

TEST_F(SeriesTest, CloseAsksForUnsavedOrUnfinishedImagesAndStopsOnCancel) {
  host.prompt = 1;
  Add("/t/a.tif");
  Add("/t/b.tif");
  Prompt().QueueAnswer(3);  // Cancel
  EXPECT_NE(series->CloseAllImages(), 0);
  EXPECT_EQ(series->GetNbrImage(), 2);
  ASSERT_EQ(Asked(), (Names{"Image '/t/a.tif' not saved.\nSave image ?"}));
  Prompt().QueueAnswer(2);  // No: closed unsaved
  Prompt().QueueAnswer(2);
  EXPECT_EQ(series->CloseAllImages(), 0);
  EXPECT_EQ(series->GetNbrImage(), 0);
  EXPECT_EQ(series->GetCurImage(), nullptr);
  EXPECT_EQ(series->GetCurValue(), 0);
  EXPECT_FALSE(series->findChild<QPushButton*>("cutBtn")->isEnabled());

  host.prompt = 0;
  Prompt().asked.clear();
  Add("/t/c.tif", false);
  Prompt().QueueAnswer(2);
  series->CloseAllImages();
  EXPECT_EQ(series->GetNbrImage(), 1);
  EXPECT_EQ(host.renderEnds, 0);
  EXPECT_EQ(Asked(), (Names{"Image '/t/c.tif' not finished.\nInterrupt rendering ?"}));
  series->CloseAllImages();  // unscripted: " Yes  "
  EXPECT_EQ(host.renderEnds, 1);
  EXPECT_EQ(series->GetNbrImage(), 0);
}

TEST_F(SeriesTest, SelectingReloadsDroppedPixelsOrDropsAVanishedFile) {
  std::string kept = WriteTif("kept.tif"), gone = WriteTif("gone.tif");
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
  series->PasteAction();  // pasted back and selected, it reads its file again
  series->SelectImage(2);
  series->SelectImage(1);
  EXPECT_NE(saved->GetPixels(), nullptr);
}

TEST_F(SeriesTest, InsertingAFileResolvesItReportsAMissingOneAndOffersTheSplit) {
  std::string path = WriteTif("a.tif");
  ScopedHome home(dir.Path());
  ASSERT_EQ(series->InsertOneImageAfter("a.tif", 1), 0);
  EXPECT_EQ(series->GetCurImage()->GetName(), path);
  EXPECT_TRUE(series->GetCurImage()->IsSaved());
  EXPECT_EQ(host.linked.size(), 1u);
  EXPECT_EQ(series->InsertSingleAfter("missing.tif", 0), 1);
  EXPECT_EQ(std::string(errmsg), "File '" + dir.File("missing.tif") + "' not found");
  EXPECT_EQ(series->GetNbrImage(), 1);

  // Above the split size the split dialog may take the file; without it
  // the file opens whole.
  host.split = 1;
  host.splitSize = 1;
  host.takeSplit = true;
  ASSERT_EQ(series->InsertSingleAfter(path.c_str(), 0), 0);
  EXPECT_EQ(series->GetNbrImage(), 1);
  EXPECT_EQ(host.splitOffers, (std::vector<int>{1}));
  host.takeSplit = false;
  ASSERT_EQ(series->InsertSingleAfter(path.c_str(), 0), 0);
  EXPECT_EQ(series->GetNbrImage(), 2);
  host.split = 0;
  ASSERT_EQ(series->InsertSingleAfter(path.c_str(), 0), 0);
  EXPECT_EQ(host.splitOffers.size(), 2u);
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
  EXPECT_EQ(Selected(), (std::vector<int>{4}));
}

TEST_F(SeriesTest, WindowControlsFollowTheListAndTheClipboard) {
  const char* buttons[] = {"openBtn",  "saveBtn", "cutBtn", "copyBtn",
                           "pasteBtn", "upBtn",   "downBtn"};
  auto states = [&] {
    std::string s;
    for (const char* name : buttons)
      s += series->findChild<QPushButton*>(name)->isEnabled() ? '1' : '0';
    return s;
  };
  auto* pasteItem = series->findChild<QAction*>("pasteSeriesItem");
  auto* copyItem = series->findChild<QAction*>("copySeriesItem");
  ASSERT_TRUE(pasteItem && copyItem);
  EXPECT_EQ(states(), "1000000");  // open save cut copy paste up down
  Add("/t/a.tif");
  EXPECT_EQ(states(), "1111000");
  Add("/t/b.tif");
  EXPECT_EQ(states(), "1111011");
  EXPECT_FALSE(pasteItem->isEnabled());
  copyItem->trigger();
  EXPECT_EQ(states(), "1111111");
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
