// The shell print: the print command file, the command run with the
// image's file name, and the message each outcome gives.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTreeWidget>

#include "document/DocumentFixture.h"
#include "output/KEPAteloPrinter.h"

namespace {

using Printer = KEPAteloPrinter;

TEST(PrintCommands, LinesGiveKeywordsAndCommands) {
  auto commands = Printer::ParseCommands(
      {"# printers of the studio", "laser  lpr -P laser", "\t a3 \t lp -d big\r", "", "#"});
  std::string text;
  for (const auto& command : commands) text += command.keyword + "|" + command.command + ";";
  EXPECT_EQ(text, "laser|lpr -P laser;a3|lp -d big;|;");
  std::string many;
  for (int i = 0; i < 25; ++i) many += " w" + std::to_string(i);
  EXPECT_EQ(Printer::SplitCommand(many).back(), "w19");  // 20 words at most

  EXPECT_STREQ(Printer::ResultMessage(-6), "Print done     ");
  EXPECT_STREQ(Printer::ResultMessage(-16), "Unable to print   ");
}

class ShellPrint : public DocumentFixture {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    WriteWholeFile(dir.File(".virda_atelo.env"), "DEF_PRTTIMEOUT=1\n");
    WritePicture(dir.File("shot.tif"), 8, 8);
    WriteWholeFile(dir.File("print.sh"),
                   "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + dir.File("args") +
                       "'\ncase \"$1\" in hang) sleep 30;; fail) exit 2;; esac\n");
    chmod(dir.File("print.sh").c_str(), 0755);
    Make({dir.File("shot.tif")}, 0, 400, 300);
  }

  // Opens the dialog on the command file, picks a line (-1: none), presses
  // OK and gives the message shown.
  std::string Print(const std::string& commandFile, int row) {
    WriteWholeFile(dir.File("virda_atelo.printer"), commandFile);
    Prompt().Clear();
    doc->FindAction("shellPrintItem")->trigger();
    Printer* dialog = doc->GetShellPrintDialog();
    if (!dialog) return LastQuestion();
    auto* list = dialog->findChild<QTreeWidget*>("list");
    list->clearSelection();
    if (row >= 0) list->setCurrentItem(list->topLevelItem(row));
    dialog->PrintAction();
    return LastQuestion();
  }
};

TEST_F(ShellPrint, RunsTheChosenCommandWithTheImageNameLastAndTellsTheOutcome) {
  std::string script = dir.File("print.sh");
  EXPECT_EQ(Print("# ours\nlaser  " + script + " -P big\n", 0), "Print done     ");
  EXPECT_EQ(ReadWholeFile(dir.File("args")), "-P\nbig\n" + dir.File("shot.tif") + "\n");

  EXPECT_EQ(Print("x " + script + " fail\n", 0), "Unable to print   ");
  EXPECT_EQ(Print("x " + dir.File("gone.sh") + "\n", 0),
            "Print not done: Program not found in proglib");
  EXPECT_EQ(Print("x " + script + " hang\n", 0), "Print not done: Unable to synchronize");
  // Odd files: nothing selected, only comments, an empty line chosen.
  EXPECT_EQ(Print("x " + script + "\n", -1), "Warning: You must select one print command");
  EXPECT_EQ(Print("#a\n#b\n", -1), "Warning: You must select one print command");
  EXPECT_EQ(Print("\n", 0), "Warning: You must select one print command");
  EXPECT_EQ(Print("", 0), "Warning: You must select one print command");
  std::remove(dir.File("virda_atelo.printer").c_str());
  doc->ShellPrintAction();
  EXPECT_EQ(Prompt().asked.back().text, "File '" + dir.File("virda_atelo.printer") + "' not found");

  doc->GetPosImage(0)->ClearSaved();
  EXPECT_EQ(Print("x " + script, 0), "You must save your image before printing");
  doc->CloseAllAction();
  EXPECT_EQ(Print("x " + script, 0), "No image to print");
}

}  // namespace
