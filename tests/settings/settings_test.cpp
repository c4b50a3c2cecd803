#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/settings/KEPSettingsFile.h"
#include "settings/KEPAteloSettings.h"
#include "settings/SettingsText.h"
#include "support/TempDir.h"

namespace {

using S = KEPAteloSettings;

class DefaultsFile : public ::testing::Test {
 protected:
  DefaultsFile() : home(dir.Path()), file(dir.File(".virda_atelo.env")) {}

  S Read(const std::string& contents) {
    WriteWholeFile(file, contents);
    S settings;
    EXPECT_EQ(settings.ReadDefaults(), 0);
    return settings;
  }

  TempDir dir;
  ScopedHome home;
  std::string file;
};

TEST_F(DefaultsFile, MissingFileGivesEveryDefaultAndIsNotCreated) {
  S settings;
  ASSERT_EQ(settings.ReadDefaults(), 0);
  EXPECT_EQ(settings.GetEnvFileName(), file);
  EXPECT_FALSE(settings.DefaultsFileExisted());
  EXPECT_FALSE(std::filesystem::exists(file));

  EXPECT_EQ(SettingsText(settings),
            "wait=100 save=2 min=30 msg=1 inc=0 prompt=0 write=0 keep=1 loop=1 split=1/4000000 "
            "print=30 docks=TOP,BOTTOM,RIGHT last=||");
  EXPECT_EQ(settings.GetMergeLogoMode(), 1);

  std::string directory, name, type;
  S::ReadNamingDefaults(directory, name, type);
  EXPECT_EQ(directory, "/tmp/");
  EXPECT_EQ(name, "Untitled");
  EXPECT_EQ(type, "tif");
}

TEST_F(DefaultsFile, ValuesTakeTheirInMemoryForms) {
  S settings = Read(
      "# written by hand\n"
      "DEF_WAITMAX=250\n"
      "DEF_AUTOSAVE=yes\n"  // only an upper-case Y means yes
      "DEF_MINTIME=45 seconds\n"
      "DEF_MESSAGES=CONDENSED\n"
      "DEF_INCREMENT=Yes please\n"
      "DEF_PROMPT=y\n"
      "DEF_OVERWRITE=YES\n"
      "DEF_KEEP=NO\n"
      "DEF_LOOP=NO\n"
      "DEF_SPLIT=no\n"
      "DEF_SPLITSIZE=1\n"
      "DEF_PRTTIMEOUT=90\r\n"
      "EDIT_TOOLBAR=LEFT\n"
      "PLAYBACK_TOOLBAR=UNDOCK\n"
      "DRAW_TOOLBAR=BOTTOM\n"
      "LAST_FILE1=/pics/a b.tif\n"
      "LAST_FILE3=/pics/c.tif\n");
  EXPECT_TRUE(settings.DefaultsFileExisted());
  EXPECT_EQ(SettingsText(settings),
            "wait=250 save=2 min=45 msg=2 inc=1 prompt=0 write=1 keep=0 loop=0 split=0/1000 "
            "print=90 docks=LEFT,OFF,BOTTOM last=/pics/a b.tif||/pics/c.tif");
  EXPECT_EQ(settings.GetLastFile(4), "");
}

TEST_F(DefaultsFile, SaveAndMessageModesLookAtAnUpperCaseFirstLetter) {
  struct Case {
    const char* value;
    int mode;
  } cases[] = {{"YES", 0}, {"Y", 0},  {"NO", 1}, {"NEVER", 1}, {"SMART", 2},
               {"yes", 2}, {"no", 2}, {"", 2},   {" YES", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    S settings = Read(std::string("DEF_AUTOSAVE=") + c.value + "\nDEF_MESSAGES=" + c.value + "\n");
    EXPECT_EQ(settings.GetSaveMode(), c.mode);
    EXPECT_EQ(settings.GetMsgMode(), c.mode);
  }
}

TEST_F(DefaultsFile, GarbledNumbersGiveTheirDefaults) {
  S settings = Read(
      "DEF_WAITMAX=0\n"  // a control needs at least one step
      "DEF_MINTIME=soon\n"
      "DEF_SPLITSIZE=99999999999999999999999\n"
      "DEF_PRTTIMEOUT=-5\n"
      "\x01\x02 binary junk without equals\n");
  EXPECT_EQ(settings.GetWaitMax(), 100);
  EXPECT_EQ(settings.GetMinTime(), 30);
  EXPECT_EQ(settings.GetSplitSize(), 4000000);
  EXPECT_EQ(settings.GetPrintTimeout(), 30);

  // The largest split size the file can say stays within range.
  settings = Read("DEF_SPLITSIZE=9000000000000000000\n");
  EXPECT_GT(settings.GetSplitSize(), 0);
  EXPECT_EQ(settings.GetSplitSize() % 1000, 0);
}

TEST_F(DefaultsFile, NamingKeysAreReadEachTimeWithATrailingSlash) {
  WriteWholeFile(file, "DEF_PATH=/data/renders\nDEF_NAME=shot\nDEF_TYPE=jpg\n");
  S settings;
  ASSERT_EQ(settings.ReadDefaults(), 0);
  std::string directory, name, type;
  S::ReadNamingDefaults(directory, name, type);
  EXPECT_EQ(directory, "/data/renders/");
  EXPECT_EQ(name, "shot");
  EXPECT_EQ(type, "jpg");

  ASSERT_EQ(ecritfic("DEF_PATH", "/already/"), 0);
  ASSERT_EQ(ecritfic("DEF_NAME", ""), 0);  // an empty name would name no file
  S::ReadNamingDefaults(directory, name, type);
  EXPECT_EQ(directory, "/already/");
  EXPECT_EQ(name, "Untitled");
}

TEST_F(DefaultsFile, SaveDefaultsWritesTheToolbarsAndKeepsTheRest) {
  const std::string before = "# mine\nDEF_KEEP=NO\nEDIT_TOOLBAR=TOP\nFUTURE_KEY=1\n";
  S settings = Read(before);
  settings.SetDockState(S::TOOLBAR_EDIT, S::DOCK_LEFT);
  settings.SetDockState(S::TOOLBAR_PLAYBACK, S::DOCK_NONE);
  settings.SetDockState(S::TOOLBAR_DRAW, S::DOCK_TOP);
  ASSERT_EQ(settings.SaveDefaults(), 0);
  EXPECT_EQ(ReadWholeFile(file),
            "# mine\nDEF_KEEP=NO\nEDIT_TOOLBAR=LEFT\nFUTURE_KEY=1\n"
            "PLAYBACK_TOOLBAR=OFF\nDRAW_TOOLBAR=TOP\n");

  S again;
  ASSERT_EQ(again.ReadDefaults(), 0);
  EXPECT_EQ(SettingsText(again), SettingsText(settings));
}

TEST(DefaultsWithoutHome, EveryDefaultAndAFailure) {
  const char* saved = std::getenv("HOME");
  std::string keep = saved ? saved : "";
  unsetenv("HOME");
  S settings;
  EXPECT_NE(settings.ReadDefaults(), 0);
  if (saved) setenv("HOME", keep.c_str(), 1);
  EXPECT_FALSE(settings.DefaultsFileExisted());
  EXPECT_EQ(SettingsText(settings),
            "wait=100 save=2 min=30 msg=1 inc=0 prompt=0 write=0 keep=1 loop=1 split=1/4000000 "
            "print=30 docks=TOP,BOTTOM,RIGHT last=||");
}

}  // namespace
