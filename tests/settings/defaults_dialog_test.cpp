#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <string>

#include "image/KEPAtelIma.h"
#include "platform/settings/KEPSettingsFile.h"
#include "settings/KEPAteloDefaults.h"
#include "settings/KEPAteloSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

using S = KEPAteloSettings;

template <class W>
W* Child(const QObject& parent, const char* name) {
  W* widget = parent.findChild<W*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// A writable type other than "tif", to see the combo follow a choice.
std::string OtherWritableType() {
  for (const char* candidate : {"jpg", "bmp", "png", "rgb"}) {
    if (KEPAtelIma::CanWriteFormat(candidate)) return candidate;
  }
  return "";
}

class DefaultsDialog : public ::testing::Test {
 protected:
  DefaultsDialog() : home(dir.Path()), file(dir.File(".virda_atelo.env")) {}

  void Open() {
    ASSERT_EQ(settings.ReadDefaults(), 0);
    dialog = std::make_unique<KEPAteloDefaults>(nullptr, settings);
  }
  void PressOk() { Child<QPushButton>(*dialog, "okBtn")->click(); }
  QLineEdit* Field(const char* name) { return Child<QLineEdit>(*dialog, name); }
  QComboBox* Combo(const char* name) { return Child<QComboBox>(*dialog, name); }
  QCheckBox* Check(const char* name) { return Child<QCheckBox>(*dialog, name); }
  QRadioButton* Radio(const char* name) { return Child<QRadioButton>(*dialog, name); }

  TempDir dir;
  ScopedHome home;
  std::string file;
  S settings;
  std::unique_ptr<KEPAteloDefaults> dialog;
};

TEST_F(DefaultsDialog, ControlsCarryTheirNamesLabelsAndFrames) {
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Defaults");
  EXPECT_EQ(Child<QPushButton>(*dialog, "pathBtn")->text(), "...");
  EXPECT_EQ(Child<QPushButton>(*dialog, "pathBtn")->toolTip(), "Browse File System");
  EXPECT_EQ(Radio("alwaysRad")->text(), " Always");
  EXPECT_EQ(Radio("neverRad")->text(), " Never ");
  EXPECT_EQ(Radio("smartRad")->text(), " If Rendering Time Over");
  EXPECT_EQ(Child<QLabel>(*dialog, "secondsLbl")->text(), " Seconds");
  EXPECT_EQ(Child<QLabel>(*dialog, "splitEndLbl")->text(), "Kbytes");
  EXPECT_EQ(Check("saveIncrementChk")->text(), " Increment Name If File Already Exists");
  EXPECT_EQ(Check("savePromptChk")->text(), " Prompt If Image Not Saved");
  EXPECT_EQ(Check("listMultiChk")->text(), " Allow to Load Same Image Many Times");
  EXPECT_EQ(Check("listMemChk")->text(), " Keep All Images in Memory");
  EXPECT_EQ(Check("splitChk")->text(), "Split Image if Size Superior to ");
  EXPECT_EQ(Combo("messageCmb")->itemText(2), "Condensed");
  EXPECT_EQ(Combo("playCmb")->itemText(0), "    Loop Continuously    ");
  EXPECT_EQ(Combo("playCmb")->itemText(1), "  Swing Forward/Reverse  ");
  EXPECT_EQ(Child<QPushButton>(*dialog, "okBtn")->text(), "  OK  ");
  EXPECT_EQ(Child<QPushButton>(*dialog, "cancelBtn")->text(), "Cancel");

  QStringList titles;
  for (const QGroupBox* frame : dialog->findChildren<QGroupBox*>()) titles << frame->title();
  EXPECT_EQ(titles,
            (QStringList{"Render Options", "Automatic Save Format", "Save When Rendering Done",
                         "Messages Display Options", "Save Options", "Image List Options",
                         "Playback Options", "Open/Save Options"}));
  QStringList labels;
  for (const QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains("Save Directory :"));
  EXPECT_TRUE(labels.contains("Default Name   :"));

  // One entry per writable type, and only those.
  QComboBox* formats = Combo("formatCmb");
  KEPListPtrKEPAtelImaFormat list;
  KEPAtelIma::GetFormatList(list);
  int writable = 0;
  for (int i = 1; i <= list.Size(); ++i) {
    if (list[i]->IsWritable()) {
      QString text =
          QString::fromStdString(list[i]->GetComment() + " (" + list[i]->GetExtension() + ")");
      EXPECT_EQ(formats->itemText(writable), text);
      ++writable;
    }
    delete list[i];
  }
  EXPECT_EQ(formats->count(), writable);
  EXPECT_TRUE(formats->currentText().endsWith("(tif)"));
}

TEST_F(DefaultsDialog, ControlsShowTheDefaultsInForce) {
  WriteWholeFile(file,
                 "DEF_PATH=/data/out\nDEF_NAME=frame\nDEF_AUTOSAVE=NO\nDEF_MINTIME=12\n"
                 "DEF_MESSAGES=YES\nDEF_INCREMENT=YES\nDEF_OVERWRITE=YES\nDEF_KEEP=NO\n"
                 "DEF_LOOP=NO\nDEF_SPLIT=NO\nDEF_SPLITSIZE=250\n");
  Open();
  EXPECT_EQ(Field("pathVal")->text(), "/data/out/");
  EXPECT_EQ(Field("nameVal")->text(), "frame");
  EXPECT_TRUE(Radio("neverRad")->isChecked());
  EXPECT_EQ(Field("delayValue")->text(), "12");
  EXPECT_FALSE(Field("delayValue")->isEnabled());
  EXPECT_EQ(Combo("messageCmb")->currentIndex(), 0);
  EXPECT_TRUE(Check("saveIncrementChk")->isChecked());
  EXPECT_FALSE(Check("savePromptChk")->isChecked());
  EXPECT_FALSE(Check("listMultiChk")->isChecked());
  EXPECT_FALSE(Check("listMemChk")->isChecked());
  EXPECT_EQ(Combo("playCmb")->currentIndex(), 1);
  EXPECT_FALSE(Check("splitChk")->isChecked());
  EXPECT_EQ(Field("splitEdit")->text(), "250");

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
  QComboBox* formats = Combo("formatCmb");
  formats->setCurrentIndex(formats->findData(QString::fromStdString(other)));
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
            "DEF_PATH=/data/renders/\n"
            "DEF_NAME=shot\n"
            "DEF_TYPE=" +
                other +
                "\n"
                "DEF_AUTOSAVE=SMART\n"
                "DEF_MINTIME=45\n"
                "DEF_MESSAGES=CONDENSED\n"
                "DEF_INCREMENT=YES\n"
                "DEF_PROMPT=NO\n"
                "DEF_OVERWRITE=YES\n"
                "DEF_KEEP=YES\n"
                "DEF_LOOP=NO\n"
                "DEF_SPLIT=YES\n"
                "DEF_SPLITSIZE=1\n");
  EXPECT_EQ(settings.GetSaveMode(), S::SAVE_SMART);
  EXPECT_EQ(settings.GetMinTime(), 45);
  EXPECT_EQ(settings.GetMsgMode(), S::MSG_CONDENSED);
  EXPECT_EQ(settings.GetIncrementMode(), 1);
  EXPECT_EQ(settings.GetPromptMode(), 0);
  EXPECT_EQ(settings.GetWriteMode(), 1);
  EXPECT_EQ(settings.GetKeepMode(), 1);
  EXPECT_EQ(settings.GetLoopMode(), 0);
  EXPECT_EQ(settings.GetSplitMode(), 1);
  EXPECT_EQ(settings.GetSplitSize(), 1000);
  EXPECT_TRUE(Prompt().asked.empty());

  // What OK wrote is what the next start reads.
  S next;
  ASSERT_EQ(next.ReadDefaults(), 0);
  EXPECT_EQ(next.GetSaveMode(), settings.GetSaveMode());
  EXPECT_EQ(next.GetMsgMode(), settings.GetMsgMode());
  EXPECT_EQ(next.GetWriteMode(), settings.GetWriteMode());
  EXPECT_EQ(next.GetLoopMode(), settings.GetLoopMode());
  EXPECT_EQ(next.GetSplitSize(), settings.GetSplitSize());

  // Radio buttons and combo entries give their index as the mode.
  dialog->show();
  Radio("alwaysRad")->click();
  Combo("messageCmb")->setCurrentIndex(0);
  Combo("playCmb")->setCurrentIndex(0);
  Check("listMultiChk")->setChecked(true);
  PressOk();
  EXPECT_EQ(settings.GetSaveMode(), S::SAVE_ALWAYS);
  EXPECT_EQ(settings.GetMsgMode(), S::MSG_ALL);
  EXPECT_EQ(settings.GetLoopMode(), 1);
  EXPECT_EQ(settings.GetWriteMode(), 0);
  std::string written = ReadWholeFile(file);
  EXPECT_NE(written.find("DEF_AUTOSAVE=YES\n"), std::string::npos);
  EXPECT_NE(written.find("DEF_OVERWRITE=NO\n"), std::string::npos);
  EXPECT_NE(written.find("DEF_LOOP=YES\n"), std::string::npos);
}

TEST_F(DefaultsDialog, OkKeepsHandEditedLinesAndInvalidFieldsKeepTheirValues) {
  WriteWholeFile(file, "# my notes\nDEF_KEEP=NO\nCUSTOM=stay = here\nDEF_TRSTHRESHOLD=80\n");
  Open();
  Field("splitEdit")->setText("");
  Field("delayValue")->setText("-");
  PressOk();
  std::string written = ReadWholeFile(file);
  EXPECT_EQ(written.rfind("# my notes\nDEF_KEEP=NO\nCUSTOM=stay = here\nDEF_TRSTHRESHOLD=80\n", 0),
            0u);
  EXPECT_NE(written.find("DEF_SPLITSIZE=4000\n"), std::string::npos);
  EXPECT_NE(written.find("DEF_MINTIME=30\n"), std::string::npos);
  EXPECT_EQ(settings.GetMinTime(), 30);
  EXPECT_EQ(settings.GetSplitSize(), 4000000);
}

TEST_F(DefaultsDialog, CancelAndClosingOnlyHide) {
  Open();
  for (int way = 0; way < 2; ++way) {
    dialog->show();
    Field("nameVal")->setText("changed");
    Radio("neverRad")->click();
    if (way == 0) {
      Child<QPushButton>(*dialog, "cancelBtn")->click();
    } else {
      dialog->close();
    }
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
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].name, "warnDlg");
  EXPECT_EQ(Prompt().asked[0].text, "Time must be positive");
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
  QPushButton* browse = Child<QPushButton>(*dialog, "pathBtn");
  QComboBox* formats = Combo("formatCmb");

  Prompt().QueueFiles({true, {"/pictures/2024/shot_3." + other}, ""});
  browse->click();
  ASSERT_EQ(Prompt().fileBoxes.size(), 1u);
  EXPECT_EQ(Prompt().fileBoxes[0].name, "defaultFileBox");
  EXPECT_EQ(Prompt().fileBoxes[0].title, "Default File Name");
  EXPECT_EQ(Field("pathVal")->text(), "/pictures/2024/");
  EXPECT_EQ(Field("nameVal")->text(), "shot_3");
  EXPECT_EQ(formats->currentData().toString().toStdString(), other);
  EXPECT_TRUE(Prompt().asked.empty());

  // No extension: the default type.
  Prompt().QueueFiles({true, {"/pictures/plain"}, ""});
  browse->click();
  EXPECT_EQ(Field("nameVal")->text(), "plain");
  EXPECT_EQ(formats->currentData().toString(), "tif");

  // A type that cannot be written: the fields follow, the combo stays, a warning.
  Prompt().QueueFiles({true, {"/elsewhere/logo.nosuchtype"}, ""});
  browse->click();
  EXPECT_EQ(Field("pathVal")->text(), "/elsewhere/");
  EXPECT_EQ(Field("nameVal")->text(), "logo");
  EXPECT_EQ(formats->currentData().toString(), "tif");
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].name, "warnDlg");
  EXPECT_EQ(Prompt().asked[0].text, "Image type not supported");

  // Cancel changes nothing.
  browse->click();
  EXPECT_EQ(Field("pathVal")->text(), "/elsewhere/");
  EXPECT_EQ(Prompt().fileBoxes.size(), 4u);
  EXPECT_FALSE(std::filesystem::exists(file));  // browsing writes nothing until OK
}

}  // namespace
