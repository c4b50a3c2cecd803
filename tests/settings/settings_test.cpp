#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/settings/KEPSettingsFile.h"
#include "settings/KEPAteloSettings.h"
#include "settings/SettingsText.h"
#include "support/Damaged.h"
#include "support/TempDir.h"

namespace {

using S = KEPAteloSettings;

const char* const kDefaults =
    "wait=100 save=2 min=30 msg=1 inc=0 prompt=0 write=0 keep=1 loop=1 split=1/4000000 print=30 "
    "docks=TOP,BOTTOM,RIGHT last=||";

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

TEST_F(DefaultsFile, MissingFileOrHomeGivesEveryDefaultAndCreatesNothing) {
  S settings;
  ASSERT_EQ(settings.ReadDefaults(), 0);
  EXPECT_FALSE(settings.DefaultsFileExisted());
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(SettingsText(settings), kDefaults);
  EXPECT_EQ(settings.GetMergeLogoMode(), 1);

  unsetenv("HOME");  // the fixture puts it back
  S homeless;
  EXPECT_NE(homeless.ReadDefaults(), 0);
  EXPECT_FALSE(homeless.DefaultsFileExisted());
  EXPECT_EQ(SettingsText(homeless), kDefaults);
}

TEST_F(DefaultsFile, ValuesTakeTheirInMemoryForms) {
  S settings = Read(
      "# written by hand\nDEF_WAITMAX=250\n"
      "DEF_MINTIME=45 seconds\nDEF_MESSAGES=CONDENSED\nDEF_INCREMENT=Yes please\nDEF_PROMPT=y\n"
      "DEF_OVERWRITE=YES\nDEF_KEEP=NO\nDEF_LOOP=NO\nDEF_SPLIT=no\nDEF_SPLITSIZE=1\n"
      "DEF_PRTTIMEOUT=90\r\nEDIT_TOOLBAR=LEFT\nPLAYBACK_TOOLBAR=UNDOCK\nDRAW_TOOLBAR=BOTTOM\n"
      "LAST_FILE1=/pics/a b.tif\nLAST_FILE3=/pics/c.tif\n");
  EXPECT_TRUE(settings.DefaultsFileExisted());
  EXPECT_EQ(SettingsText(settings),
            "wait=250 save=2 min=45 msg=2 inc=1 prompt=0 write=1 keep=0 loop=0 split=0/1000 "
            "print=90 docks=LEFT,OFF,BOTTOM last=/pics/a b.tif||/pics/c.tif");
  EXPECT_EQ(settings.GetLastFile(4), "");
}

TEST_F(DefaultsFile, SaveAndMessageModesLookAtAnUpperCaseFirstLetter) {
  const std::pair<const char*, int> cases[] = {{"YES", 0},   {"Y", 0},     {"NO", 1},
                                               {"NEVER", 1}, {"SMART", 2}, {"yes", 2},
                                               {"no", 2},    {"", 2},      {" YES", 2}};
  for (const auto& [value, mode] : cases) {
    SCOPED_TRACE(value);
    S settings = Read(std::string("DEF_AUTOSAVE=") + value + "\nDEF_MESSAGES=" + value + "\n");
    EXPECT_EQ(settings.GetSaveMode(), mode);
    EXPECT_EQ(settings.GetMsgMode(), mode);
  }
}

TEST_F(DefaultsFile, GarbledNumbersGiveTheirDefaults) {
  S settings = Read(
      "DEF_WAITMAX=0\n"  // a control needs at least one step
      "DEF_MINTIME=soon\nDEF_SPLITSIZE=99999999999999999999999\nDEF_PRTTIMEOUT=-5\n"
      "\x01\x02 binary junk without equals\n");
  EXPECT_EQ(SettingsText(settings), kDefaults);
  // The largest split size the file can say stays within range.
  settings = Read("DEF_SPLITSIZE=9000000000000000000\n");
  EXPECT_GT(settings.GetSplitSize(), 0);
  EXPECT_EQ(settings.GetSplitSize() % 1000, 0);
}

TEST_F(DefaultsFile, NamingKeysAreReadEachTimeWithATrailingSlash) {
  S settings;
  ASSERT_EQ(settings.ReadDefaults(), 0);
  std::string directory, name, type;
  S::ReadNamingDefaults(directory, name, type);
  EXPECT_EQ(directory + "|" + name + "|" + type, "/tmp/|Untitled|tif");
  WriteWholeFile(file, "DEF_PATH=/data/renders\nDEF_NAME=shot\nDEF_TYPE=jpg\n");
  S::ReadNamingDefaults(directory, name, type);
  EXPECT_EQ(directory + "|" + name + "|" + type, "/data/renders/|shot|jpg");
  ASSERT_EQ(ecritfic("DEF_PATH", "/already/"), 0);
  ASSERT_EQ(ecritfic("DEF_NAME", ""), 0);  // an empty name would name no file
  S::ReadNamingDefaults(directory, name, type);
  EXPECT_EQ(directory + "|" + name + "|" + type, "/already/|Untitled|jpg");
}

TEST_F(DefaultsFile, SaveDefaultsWritesTheToolbarsAndKeepsTheRest) {
  S settings = Read("# mine\nDEF_KEEP=NO\nEDIT_TOOLBAR=TOP\nFUTURE_KEY=1\n");
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

TEST_F(DefaultsFile, ADamagedFileGivesValuesInTheirRangesAndSavingKeepsThem) {
  const std::string good =
      "# written by hand\nDEF_WAITMAX=250\nDEF_AUTOSAVE=YES\nDEF_MINTIME=45\n"
      "DEF_MESSAGES=CONDENSED\nDEF_INCREMENT=Y\nDEF_PROMPT=N\nDEF_OVERWRITE=YES\nDEF_KEEP=NO\n"
      "DEF_LOOP=NO\nDEF_SPLIT=YES\nDEF_SPLITSIZE=2000\nDEF_PRTTIMEOUT=90\nEDIT_TOOLBAR=LEFT\n"
      "PLAYBACK_TOOLBAR=UNDOCK\nDRAW_TOOLBAR=BOTTOM\nLAST_FILE1=/pics/a.tif\n"
      "LAST_FILE2=/pics/b.tif\nDEF_PATH=/data\nDEF_NAME=shot\nDEF_TYPE=jpg\n";
  std::mt19937 random(20261206);
  for (int round = 0; round < 300; ++round) {
    const std::string text = Damaged(good, random);
    SCOPED_TRACE(::testing::PrintToString(text));
    WriteWholeFile(file, text);
    S settings;
    settings.ReadDefaults();
    EXPECT_GE(settings.GetWaitMax(), 1);
    for (int mode : {settings.GetSaveMode(), settings.GetMsgMode()}) {
      EXPECT_GE(mode, 0);
      EXPECT_LE(mode, 2);
    }
    for (int flag : {settings.GetIncrementMode(), settings.GetPromptMode(), settings.GetWriteMode(),
                     settings.GetKeepMode(), settings.GetLoopMode(), settings.GetSplitMode()})
      EXPECT_TRUE(flag == 0 || flag == 1) << flag;
    EXPECT_GT(settings.GetSplitSize(), 0);
    EXPECT_GE(settings.GetMinTime(), 0);
    EXPECT_GE(settings.GetPrintTimeout(), 0);
    for (int slot = 1; slot <= 3; ++slot)
      EXPECT_EQ(settings.GetLastFile(slot).find_first_of(std::string("\n\0", 2)),
                std::string::npos);
    std::string directory, name, type;
    S::ReadNamingDefaults(directory, name, type);
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(directory.back(), '/');

    // Writing the toolbars back must not change what the file says.
    ASSERT_EQ(settings.SaveDefaults(), 0);
    S again;
    again.ReadDefaults();
    ASSERT_EQ(SettingsText(again), SettingsText(settings));
  }
}

}  // namespace
