#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <string>

#include "SeriesFixture.h"
#include "support/Damaged.h"

namespace {

bool Exists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

class SeriesSaveTest : public SeriesTest {
 protected:
  // An image with pixels that is not saved yet.
  KEPAtelIma* AddUnsaved(const std::string& path) {
    KEPAtelIma* image = MakeImage(path);
    image->AllocatePixels(8, 8);
    series->AppendOneImage(image);
    return image;
  }
};

TEST_F(SeriesSaveTest, ExistingTargetAsksAndCancelKeepsTheOldName) {
  std::string old = WriteTif("old.tif"), target = WriteTif("target.tif");
  const std::string before = ReadWholeFile(target);
  KEPAtelIma* image = AddUnsaved(old);
  Prompt().QueueAnswer(2);  // Cancel
  EXPECT_EQ(series->SaveSingle(image, target.c_str()), 0);
  ASSERT_EQ(Asked(), (Names{"File '" + target + "' already exist.\nOverwrite file ?"}));
  EXPECT_EQ(image->GetName(), old);
  EXPECT_FALSE(image->IsSaved());
  EXPECT_EQ(ReadWholeFile(target), before);

  Prompt().QueueAnswer(1);  // Yes: written under the new name, and the line shows it
  EXPECT_EQ(series->SaveSingle(1, target.c_str()), 0) << errmsg;
  EXPECT_EQ(image->GetName(), target);
  EXPECT_TRUE(image->IsSaved());
  EXPECT_EQ(series->GetLabel(1), target);
  EXPECT_NE(ReadWholeFile(target), before);
  EXPECT_GE(host.updates, 1);
}

TEST_F(SeriesSaveTest, IncrementModeLetsTheImagePickAFreeName) {
  std::string taken = WriteTif("shot.tif");
  KEPAtelIma* image = AddUnsaved(dir.File("new.tif"));
  host.increment = 1;
  EXPECT_EQ(series->SaveOneImage(image, taken.c_str()), 0) << errmsg;
  EXPECT_TRUE(Prompt().asked.empty());
  EXPECT_EQ(image->GetName(), dir.File("shot_1.tif"));
}

TEST_F(SeriesSaveTest, FailedSaveKeepsNameFlagAndOldFile) {
  std::string old = WriteTif("keep.tif");
  const std::string before = ReadWholeFile(old);
  ASSERT_EQ(series->InsertOneImageAfter(old.c_str(), 1), 0);
  KEPAtelIma* image = series->GetCurImage();
  ASSERT_TRUE(image->IsSaved());
  image->AllocatePixels(64, 64);  // bigger pixels than the file holds, unsaved
  image->ClearSaved();
  std::string subdir = dir.File("locked"), target = subdir + "/keep.tif";
  ASSERT_EQ(mkdir(subdir.c_str(), 0755), 0);
  WriteWholeFile(target, before);

  int status = 0;
  Prompt().QueueAnswer(1);
  if (geteuid() != 0) {  // a directory nobody may write into
    chmod(subdir.c_str(), 0555);
    status = series->SaveSingle(image, target.c_str());
    chmod(subdir.c_str(), 0755);
  } else {
    // Permissions do not stop root: a full disk does, simulated by a file
    // size limit below what the image needs.
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = oldLimit;
    small.rlim_cur = 200;
    setrlimit(RLIMIT_FSIZE, &small);
    status = series->SaveSingle(image, target.c_str());
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
  }
  EXPECT_NE(status, 0);
  EXPECT_NE(std::string(errmsg), "");
  EXPECT_EQ(image->GetName(), old);
  EXPECT_FALSE(image->IsSaved());
  EXPECT_EQ(ReadWholeFile(target), before);
  EXPECT_EQ(ReadWholeFile(old), before);
}

TEST_F(SeriesSaveTest, SavingDropsPixelsItHadToLoad) {
  std::string path = WriteTif("lazy.tif"), copy = dir.File("copy.tif");
  Add("/t/a.tif");
  ASSERT_EQ(series->InsertOneImageAfter(path.c_str(), 0), 0);
  KEPAtelIma* image = series->GetPosImage(2);
  ASSERT_EQ(image->GetPixels(), nullptr);
  EXPECT_EQ(series->SaveSingle(2, copy.c_str()), 0) << errmsg;
  EXPECT_EQ(image->GetName(), copy);
  EXPECT_EQ(image->GetPixels(), nullptr);
  EXPECT_TRUE(Exists(copy));
}

TEST_F(SeriesSaveTest, SameNameInTheListAsksOnceAndOverwriteClosesTheOthers) {
  std::string name = WriteTif("same.tif");
  ASSERT_EQ(series->InsertOneImageAfter(name.c_str(), 1), 0);
  ASSERT_EQ(series->InsertOneImageAfter(name.c_str(), 1), 0);
  KEPAtelIma* third = AddUnsaved(name);
  host.keep = host.write = host.increment = 0;
  Prompt().QueueAnswer(3);
  EXPECT_EQ(series->SaveSingle(third, nullptr), 0) << errmsg;
  ASSERT_EQ(Asked(), (Names{"Image '" + name +
                            " <2>' allready in list.\nAccording to the current default settings "
                            "all images with the\nsame filename will be overwritten."}));
  EXPECT_EQ(host.write, 1);
  EXPECT_EQ(Order(), (Images{third}));
  EXPECT_EQ(series->GetCurImage(), third);
  EXPECT_TRUE(third->IsSaved());
  EXPECT_EQ(series->GetLabel(1), name);  // the line lost its number on saving
}

TEST_F(SeriesSaveTest, SameNameInTheListIncrementOrKeep) {
  std::string name = WriteTif("same.tif");
  host.keep = 0;
  ASSERT_EQ(series->InsertOneImageAfter(name.c_str(), 0), 0);
  KEPAtelIma* first = series->GetPosImage(1);
  KEPAtelIma* second = AddUnsaved(name);
  host.keep = host.write = host.increment = 0;
  ASSERT_EQ(first->GetPixels(), nullptr);
  Prompt().QueueAnswer(1);  // Increment Name
  EXPECT_EQ(series->SaveSingle(second, nullptr), 0) << errmsg;
  EXPECT_EQ(host.increment, 1);
  EXPECT_EQ(second->GetName(), dir.File("same_1.tif"));
  EXPECT_EQ(series->GetNbrImage(), 2);

  KEPAtelIma* third = AddUnsaved(name);
  host.increment = 0;
  Prompt().QueueAnswer(2);  // Keep Images In Memory
  EXPECT_EQ(series->SaveSingle(third, nullptr), 0) << errmsg;
  EXPECT_EQ(host.keep, 1);
  EXPECT_NE(first->GetPixels(), nullptr);  // read before its file changed
  EXPECT_EQ(series->GetNbrImage(), 3);
  EXPECT_EQ(Prompt().asked.size(), 2u);
}

TEST_F(SeriesSaveTest, OutsidePictureModeDefaultsAreTakenAndStated) {
  std::string target = WriteTif("there.tif"), late = dir.File("late.tif");
  KEPAtelIma* image = MakeImage(dir.File("render.tif"), false);
  image->AllocatePixels(4, 4);
  image->SetTiffVariant("LZW");
  series->AppendOneImage(image);
  host.mode = KEPAteloSeriesHost::MODE_RENDER;
  EXPECT_EQ(series->SaveSingle(image, target.c_str()), 0) << errmsg;
  EXPECT_TRUE(Prompt().asked.empty());
  EXPECT_EQ(host.messages,
            (Names{"Image '" + dir.File("render.tif") + "' not finished.\nRendering Interrupted.\n",
                   "File '" + target + "' already exist.\nFile Overwriten.\n",
                   "Tiff File Format.\nUse Standard Tiff Format.\n"}));
  EXPECT_EQ(host.renderEnds, 1);
  EXPECT_EQ(image->GetTiffVariant(), "TIFF");
  EXPECT_EQ(image->GetName(), target);

  host.messages.clear();
  host.mode = KEPAteloSeriesHost::MODE_RENDER_VISU_OFF;
  host.prompt = 1;
  AddUnsaved(late);
  EXPECT_EQ(series->CloseSelectedImage(), 0);
  EXPECT_EQ(host.messages, (Names{"Image '" + late + "' not saved.\nSave image.\n"}));
  EXPECT_TRUE(Exists(late));  // saved on the way out
}

TEST_F(SeriesSaveTest, SaveMultiStopsAtTheFirstFailure) {
  AddUnsaved(dir.File("one.tif"));
  AddUnsaved(dir.File("nowhere/two.tif"));
  AddUnsaved(dir.File("three.tif"));
  EXPECT_NE(series->SaveAllImages(), 0);
  EXPECT_TRUE(Exists(dir.File("one.tif")));
  EXPECT_FALSE(Exists(dir.File("three.tif")));
  Select({1, 3});
  series->GetPosImage(1)->ClearSaved();
  EXPECT_EQ(series->SaveSelectedImages(0, nullptr), 0) << errmsg;
  EXPECT_TRUE(Exists(dir.File("three.tif")));
}

TEST_F(SeriesSaveTest, SeriesFileGetsItsExtensionIncrementsAndErrors) {
  for (const char* name : {"/p/a.tif", "/p/b.tif", "/p/c.tif"}) AddUnsaved(name);
  const std::string list = dir.File("list.series"), names = "/p/a.tif\n/p/c.tif\n";
  Select({1, 3});
  ASSERT_EQ(series->SaveSeries(dir.File("list").c_str()), 0) << errmsg;
  EXPECT_EQ(ReadWholeFile(list), names);
  host.increment = 1;
  ASSERT_EQ(series->SaveSeries(list.c_str()), 0);
  ASSERT_EQ(series->SaveSeries(dir.File("list").c_str()), 0);
  EXPECT_EQ(ReadWholeFile(dir.File("list_1.series")), names);
  EXPECT_EQ(ReadWholeFile(dir.File("list_2.series")), names);

  // Without increment the user is asked; Cancel leaves the file alone.
  host.increment = 0;
  Select({2});
  Prompt().QueueAnswer(2);
  EXPECT_EQ(series->SaveSeries(list.c_str()), 0);
  EXPECT_EQ(Asked(), (Names{"File '" + list + "' already exist.\nOverwrite file ?"}));
  EXPECT_EQ(ReadWholeFile(list), names);
  Select({});
  ASSERT_EQ(series->SaveSeries(dir.File("empty.series").c_str()), 0);
  EXPECT_EQ(ReadWholeFile(dir.File("empty.series")), "");

  EXPECT_EQ(series->SaveSeries(dir.File("no/such/dir/x.series").c_str()), -1);
  EXPECT_EQ(std::string(errmsg), "Directory '" + dir.File("no/such/dir/") + "' not available");
  // A directory where the file should go cannot be replaced.
  ASSERT_EQ(mkdir(dir.File("taken.series").c_str(), 0755), 0);
  Prompt().QueueAnswer(1);
  EXPECT_EQ(series->SaveSeries(dir.File("taken.series").c_str()), 1);
  EXPECT_EQ(std::string(errmsg), "Unable to create file " + dir.File("taken.series"));
}

TEST_F(SeriesSaveTest, InsertSeriesSkipsCommentsKeepsOrderAndReportsBadLines) {
  std::string a = WriteTif("a.tif"), b = WriteTif("b.tif"), c = WriteTif("c.tif");
  WriteWholeFile(dir.File("in.series"), "# pictures\n" + a + "\n\n" + dir.File("gone.tif") + "\n" +
                                            b + "\n#" + c + "\n" + c + "\n");
  KEPAtelIma* first = Add("/t/first.tif");
  Add("/t/last.tif");
  series->SelectImage(1);
  ASSERT_EQ(series->InsertSeries(dir.File("in.series").c_str(), 1), 0);
  EXPECT_EQ(Labels(), (Names{"/t/first.tif", a, b, c, "/t/last.tif"}));
  EXPECT_EQ(series->GetPosImage(1), first);
  EXPECT_EQ(series->GetCurValue(), 4);
  EXPECT_EQ(host.errors, (Names{"File '" + dir.File("gone.tif") + "' not found"}));

  EXPECT_EQ(series->InsertSeries(dir.File("nothing.series").c_str(), 0), 1);
  // Binary data is refused whole, with one error and nothing inserted.
  WriteWholeFile(dir.File("junk.series"), a + std::string("\n\x01\0\x7f\n", 5) + b + "\n");
  host.errors.clear();
  EXPECT_EQ(series->InsertSeries(dir.File("junk.series").c_str(), 0), 1);
  EXPECT_EQ(std::string(errmsg), "File '" + dir.File("junk.series") + "' is not a series file");
  EXPECT_EQ(series->GetNbrImage(), 5);
  EXPECT_TRUE(host.errors.empty());
}

TEST_F(SeriesSaveTest, ADamagedSeriesFileInsertsOnlyFilesThatExistOrNothing) {
  const std::string a = WriteTif("a.tif"), b = WriteTif("b.tif"), c = WriteTif("c.tif");
  const std::string good = "# pictures\n" + a + "\n" + b + "\n\n#" + c + "\n" + c + "\n";
  const std::string path = dir.File("damaged.series");
  std::mt19937 random(6122026);
  for (int round = 0; round < 200; ++round) {
    const std::string text = Damaged(good, random);
    SCOPED_TRACE(::testing::PrintToString(text));
    WriteWholeFile(path, text);
    series->CloseAllImages();
    const int result = series->InsertSeries(path.c_str(), 0);
    ASSERT_TRUE(result == 0 || result == 1);
    for (const std::string& label : Labels()) {
      const bool known = label.rfind(a, 0) == 0 || label.rfind(b, 0) == 0 || label.rfind(c, 0) == 0;
      EXPECT_TRUE(known) << label;
    }
    EXPECT_LE(series->GetNbrImage(), std::count(text.begin(), text.end(), '\n') + 1);
  }
}

}  // namespace
