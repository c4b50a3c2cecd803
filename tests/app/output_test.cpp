// Printing, the shell print and the information, formats and help windows
// in the real program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "support/AteloProcess.h"
#include "support/TempDir.h"

namespace {

class Output : public ::testing::Test {
 protected:
  void SetUp() override {
    KEPAtelIma image(dir.File("shot.tif").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
    ASSERT_EQ(image.AllocatePixels(32, 24), 0);
    char error[KEP_ERRMSG_SIZE] = {0};
    ASSERT_EQ(image.SaveImage(0, error, 0), 0) << error;
    WriteWholeFile(dir.File(".virda_atelo.env"), "DEF_PRTTIMEOUT=1\n");
    WriteWholeFile(dir.File("print.sh"),
                   "#!/bin/sh\n[ \"$1\" = hang ] && sleep 30\nprintf '%s\\n' \"$*\" > '" +
                       dir.File("printed") + "'\n");
    chmod(dir.File("print.sh").c_str(), 0755);
    WriteWholeFile(dir.File("virda_atelo.printer"), "# studio\nnow " + dir.File("print.sh") +
                                                        " -n 2\nhang " + dir.File("print.sh") +
                                                        " hang\ngone /no/such/lpr\n");
  }
  void ExpectAsked(const std::string& text) {
    EXPECT_NE(atelo.Log().find("ask warnDlg \"" + text + "\""), std::string::npos) << text << "\n"
                                                                                   << atelo.Log();
  }

  TempDir dir;
  AteloProcess atelo{dir.Path()};
};

TEST_F(Output, PrintsShellPrintsAndShowsTheWindows) {
  ASSERT_TRUE(atelo.Run(
      {"shot.tif"},
      {"printto " + dir.File("page.pdf"), "trigger printItem", "trigger shellPrintItem",
       "set shellPrintDialog/list 0", "click shellPrintDialog/okBtn", "trigger infoItem",
       "waitfor visible infoDialog", "trigger formatsItem", "waitfor visible formatsDialog",
       "trigger contentsItem", "waitfor visible helpContents", "trigger interfaceItem",
       "waitfor visible helpInterface", "trigger exitItem"},
      60000))
      << atelo.Log();
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  EXPECT_TRUE(atelo.LogLines("error").empty()) << atelo.Log();
  std::string pdf = ReadWholeFile(dir.File("page.pdf"));
  EXPECT_NE(pdf.find("/Subtype /Image"), std::string::npos);
  EXPECT_NE(pdf.find("/Width 32"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(dir.File("printed")), "-n 2 " + dir.File("shot.tif") + "\n");
  ExpectAsked("Print done     ");
}

TEST_F(Output, AShellPrintThatHangsOrCannotStartIsToldAndTheWorkbenchGoesOn) {
  ASSERT_TRUE(atelo.Run(
      {"shot.tif"},
      {"trigger shellPrintItem", "set shellPrintDialog/list 1", "click shellPrintDialog/okBtn",
       "trigger shellPrintItem", "set shellPrintDialog/list 2", "click shellPrintDialog/okBtn",
       "trigger infoItem", "waitfor visible infoDialog", "trigger exitItem"},
      60000))
      << atelo.Log();
  EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
  ExpectAsked("Print not done: Unable to synchronize");
  ExpectAsked("Print not done: Program not found in proglib");
  EXPECT_TRUE(atelo.LogLines("error").empty()) << atelo.Log();
}

}  // namespace
