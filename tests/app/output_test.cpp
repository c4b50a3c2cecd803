// Printing, the shell print and the information, formats and help windows
// in the real program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

TEST(Output, PrintsShellPrintsAndShowsTheWindows) {
  TempDir dir;
  WritePicture(dir.File("shot.tif"), 32, 24);
  const std::string script = dir.File("print.sh");
  WriteWholeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$*\" > '" + dir.File("printed") + "'\n");
  chmod(script.c_str(), 0755);
  // The outcomes of the shell print are the print dialog's own tests; here
  // the command is run with the image's name.
  WriteWholeFile(dir.File("virda_atelo.printer"), "# studio\nnow " + script + " -n 2\n");
  std::vector<std::string> lines = {"printto " + dir.File("page.pdf"), "trigger printItem",
                                    "trigger shellPrintItem", "set shellPrintDialog/list 0",
                                    "click shellPrintDialog/okBtn"};
  for (auto [item, window] : {std::pair{"infoItem", "infoDialog"},
                              {"formatsItem", "formatsDialog"},
                              {"contentsItem", "helpContents"},
                              {"interfaceItem", "helpInterface"}})
    lines.insert(lines.end(),
                 {std::string("trigger ") + item, std::string("waitfor visible ") + window});
  lines.push_back("trigger exitItem");

  AteloProcess atelo(dir.Path());
  ASSERT_TRUE(atelo.Run({"shot.tif"}, lines, 60000)) << atelo.Log();
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  EXPECT_TRUE(atelo.LogLines("error").empty()) << atelo.Log();
  std::string pdf = ReadWholeFile(dir.File("page.pdf"));
  EXPECT_NE(pdf.find("/Subtype /Image"), std::string::npos);
  EXPECT_NE(pdf.find("/Width 32"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(dir.File("printed")), "-n 2 " + dir.File("shot.tif") + "\n");
  EXPECT_NE(atelo.Log().find("ask warnDlg \"Print done     \""), std::string::npos) << atelo.Log();
}
