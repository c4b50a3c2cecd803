// Printing, the shell print and the information, formats and help windows
// in the real program; a print program that hangs or is missing is told and
// the workbench goes on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "support/AteloProcess.h"
#include "support/TempDir.h"

TEST(Output, PrintsShellPrintsAndShowsTheWindows) {
  TempDir dir;
  KEPAtelIma image(dir.File("shot.tif").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  ASSERT_EQ(image.AllocatePixels(32, 24), 0);
  char error[KEP_ERRMSG_SIZE] = {0};
  ASSERT_EQ(image.SaveImage(0, error, 0), 0) << error;
  WriteWholeFile(dir.File(".virda_atelo.env"), "DEF_PRTTIMEOUT=1\n");
  const std::string script = dir.File("print.sh");
  WriteWholeFile(script, "#!/bin/sh\n[ \"$1\" = hang ] && sleep 30\nprintf '%s\\n' \"$*\" > '" +
                             dir.File("printed") + "'\n");
  chmod(script.c_str(), 0755);
  WriteWholeFile(dir.File("virda_atelo.printer"), "# studio\nnow " + script + " -n 2\nhang " +
                                                      script + " hang\ngone /no/such/lpr\n");
  std::vector<std::string> lines = {"printto " + dir.File("page.pdf"), "trigger printItem"};
  for (const char* row : {"0", "1", "2"}) {
    lines.insert(lines.end(),
                 {"trigger shellPrintItem", std::string("set shellPrintDialog/list ") + row,
                  "click shellPrintDialog/okBtn"});
  }
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
  for (const char* told : {"Print done     ", "Print not done: Unable to synchronize",
                           "Print not done: Program not found in proglib"})
    EXPECT_NE(atelo.Log().find("ask warnDlg \"" + std::string(told) + "\""), std::string::npos)
        << told << "\n"
        << atelo.Log();
}
