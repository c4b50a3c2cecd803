#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <string>

#include "image/KEPAtelIma.h"
#include "platform/settings/KEPSettingsFile.h"
#include "settings/KEPAteloDefaults.h"
#include "settings/KEPAteloSettings.h"
#include "settings/SettingsText.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

using S = KEPAteloSettings;

// A writable type other than "tif", to see the combo follow a choice.
std::string OtherWritableType() {
  for (const char* candidate : {"jpg", "bmp", "png", "rgb"}) {
    if (KEPAtelIma::CanWriteFormat(candidate)) return candidate;
  }
  return "";
}

void ExpectOneWarning(const std::string& text) {
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].name, "warnDlg");
  EXPECT_EQ(Prompt().asked[0].text, text);
}

class DefaultsDialog : public ::testing::Test {
 protected:
  DefaultsDialog() : home(dir.Path()), file(dir.File(".virda_atelo.env")) {}

  void Open() {
    ASSERT_EQ(settings.ReadDefaults(), 0);
    dialog = std::make_unique<KEPAteloDefaults>(nullptr, settings);
  }
  template <class W>
  W* Child(const char* name) {
    W* widget = dialog->findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void PressOk() { Child<QPushButton>("okBtn")->click(); }
  QLineEdit* Field(const char* name) { return Child<QLineEdit>(name); }
  QComboBox* Combo(const char* name) { return Child<QComboBox>(name); }
  QCheckBox* Check(const char* name) { return Child<QCheckBox>(name); }
  QRadioButton* Radio(const char* name) { return Child<QRadioButton>(name); }

  TempDir dir;
  ScopedHome home;
  std::string file;
  S settings;
  std::unique_ptr<KEPAteloDefaults> dialog;
};

TEST_F(DefaultsDialog, ControlsShowTheDefaultsInForceAndOkKeepsTheRest) {
  const std::string mine = "# my notes\nCUSTOM=stay = here\nDEF_TRSTHRESHOLD=80\n";
  const std::string written =
      "DEF_PATH=/data/out/\nDEF_NAME=frame\nDEF_TYPE=tif\nDEF_AUTOSAVE=NO\nDEF_MINTIME=12\n"
      "DEF_MESSAGES=YES\nDEF_INCREMENT=YES\nDEF_PROMPT=NO\nDEF_OVERWRITE=YES\nDEF_KEEP=NO\n"
      "DEF_LOOP=NO\nDEF_SPLIT=NO\nDEF_SPLITSIZE=250\n";
  std::string asTyped = written;
  WriteWholeFile(file, mine + asTyped.replace(0, 20, "DEF_PATH=/data/out\n"));
  Open();
  EXPECT_EQ(Field("pathVal")->text(), "/data/out/");
  EXPECT_FALSE(Field("delayValue")->isEnabled());
  PressOk();  // OK without an edit writes back every value as it was read
  EXPECT_EQ(ReadWholeFile(file), mine + written);

  // Fields left invalid keep the values in force.
  dialog->show();
  Field("splitEdit")->setText("");
  Field("delayValue")->setText("-");
  PressOk();
  EXPECT_EQ(ReadWholeFile(file), mine + written);
  EXPECT_EQ(settings.GetMinTime(), 12);
  EXPECT_EQ(settings.GetSplitSize(), 250000);

  // Only the third choice uses the delay.
  Radio("smartRad")->click();
  EXPECT_TRUE(Field("delayValue")->isEnabled());
  Radio("alwaysRad")->click();
  EXPECT_FALSE(Field("delayValue")->isEnabled());

  // Showing again starts from the values in force, not from edits left over.
  Field("nameVal")->setText("edited");
  settings.SetIncrementMode(0);
  dialog->show();
  EXPECT_EQ(Field("nameVal")->text(), "frame");
  EXPECT_FALSE(Check("saveIncrementChk")->isChecked());
}

TEST_F(DefaultsDialog, OkWritesEveryKeyInOrderAndSetsEveryValue) {
  const std::string other = OtherWritableType();
  ASSERT_FALSE(other.empty());
  Open();
  dialog->show();
  Field("pathVal")->setText("/data/renders/");
  Field("nameVal")->setText("shot");
  Combo("formatCmb")->setCurrentIndex(Combo("formatCmb")->findData(QString::fromStdString(other)));
  Radio("smartRad")->click();
  Field("delayValue")->setText("45");
  Combo("messageCmb")->setCurrentIndex(2);
  Check("saveIncrementChk")->setChecked(true);
  Check("savePromptChk")->setChecked(false);
  Check("listMultiChk")->setChecked(false);
  Check("listMemChk")->setChecked(true);
  Combo("playCmb")->setCurrentIndex(1);
  Check("splitChk")->setChecked(true);
  Field("splitEdit")->setText("1");
  PressOk();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(ReadWholeFile(file),
            "DEF_PATH=/data/renders/\nDEF_NAME=shot\nDEF_TYPE=" + other +
                "\nDEF_AUTOSAVE=SMART\nDEF_MINTIME=45\nDEF_MESSAGES=CONDENSED\n"
                "DEF_INCREMENT=YES\nDEF_PROMPT=NO\nDEF_OVERWRITE=YES\nDEF_KEEP=YES\n"
                "DEF_LOOP=NO\nDEF_SPLIT=YES\nDEF_SPLITSIZE=1\n");
  EXPECT_EQ(SettingsText(settings),
            "wait=100 save=2 min=45 msg=2 inc=1 prompt=0 write=1 keep=1 loop=0 split=1/1000 "
            "print=30 docks=TOP,BOTTOM,RIGHT last=||");
  EXPECT_TRUE(Prompt().asked.empty());
  S next;  // what OK wrote is what the next start reads
  ASSERT_EQ(next.ReadDefaults(), 0);
  EXPECT_EQ(SettingsText(next), SettingsText(settings));

  // Radio buttons and combo entries give their index as the mode.
  dialog->show();
  Radio("alwaysRad")->click();
  Combo("messageCmb")->setCurrentIndex(0);
  Combo("playCmb")->setCurrentIndex(0);
  Check("listMultiChk")->setChecked(true);
  PressOk();
  EXPECT_EQ(SettingsText(settings),
            "wait=100 save=0 min=45 msg=0 inc=1 prompt=0 write=0 keep=1 loop=1 split=1/1000 "
            "print=30 docks=TOP,BOTTOM,RIGHT last=||");
  EXPECT_NE(ReadWholeFile(file).find("DEF_AUTOSAVE=YES\n"), std::string::npos);
}

TEST_F(DefaultsDialog, CancelAndClosingOnlyHide) {
  Open();
  for (int way = 0; way < 2; ++way) {
    dialog->show();
    Field("nameVal")->setText("changed");
    Radio("neverRad")->click();
    way == 0 ? Child<QPushButton>("cancelBtn")->click() : (void)dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(settings.GetSaveMode(), S::SAVE_SMART);
  }
}

TEST_F(DefaultsDialog, DelayBelowOneIsRefusedAndAValidOneTakenAtOnce) {
  Open();
  QLineEdit* delay = Field("delayValue");
  delay->setText("0");
  emit delay->editingFinished();
  ExpectOneWarning("Time must be positive");
  EXPECT_EQ(delay->text(), "30");
  EXPECT_EQ(settings.GetMinTime(), 30);
  EXPECT_FALSE(std::filesystem::exists(file));

  delay->setText("12");
  emit delay->editingFinished();
  EXPECT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(settings.GetMinTime(), 12);
  EXPECT_EQ(ReadWholeFile(file), "DEF_MINTIME=12\n");
}

TEST_F(DefaultsDialog, BrowseSplitsTheChosenName) {
  const std::string other = OtherWritableType();
  ASSERT_FALSE(other.empty());
  Open();
  QComboBox* formats = Combo("formatCmb");
  auto browse = [&](std::vector<std::string> names) {
    Prompt().QueueFiles({!names.empty(), names, ""});
    Child<QPushButton>("pathBtn")->click();
    return Field("pathVal")->text().toStdString() + "|" + Field("nameVal")->text().toStdString() +
           "|" + formats->currentData().toString().toStdString();
  };
  EXPECT_EQ(browse({"/pictures/2024/shot_3." + other}), "/pictures/2024/|shot_3|" + other);
  EXPECT_TRUE(Prompt().asked.empty());
  EXPECT_EQ(browse({"/pictures/plain"}), "/pictures/|plain|tif");  // no extension: the default
  // A type that cannot be written: the fields follow, the combo stays, a warning.
  EXPECT_EQ(browse({"/elsewhere/logo.nosuchtype"}), "/elsewhere/|logo|tif");
  ExpectOneWarning("Image type not supported");
  EXPECT_EQ(browse({}), "/elsewhere/|logo|tif");  // Cancel changes nothing
  // A folder chosen (answered with its "/") changes the directory alone.
  EXPECT_EQ(browse({"/renders/final/"}), "/renders/final/|logo|tif");
  EXPECT_TRUE(Prompt().fileBoxes.back().save);  // names not yet existing may be typed
  EXPECT_FALSE(std::filesystem::exists(file));  // browsing writes nothing until OK
}

TEST_F(DefaultsDialog, FitsASmallScreen) {
  Open();
  QSize least = dialog->minimumSizeHint().expandedTo(dialog->minimumSize());
  EXPECT_LE(least.height(), 600);
  EXPECT_LE(least.width(), 1200);
}

TEST_F(DefaultsDialog, UnwritableFileStillSetsTheValuesAndWarnsOnce) {
  ScopedHome away(dir.File("no-such-home"));
  Open();
  Radio("neverRad")->click();
  PressOk();
  EXPECT_EQ(settings.GetSaveMode(), S::SAVE_NEVER);
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_NE(Prompt().asked[0].text.find("no-such-home"), std::string::npos);
}

}  // namespace
