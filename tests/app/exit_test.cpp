// Exit as the user does it, in the real program: the menu item, the
// shortcut's action and the window's close button, and Exit during a
// rendering, which ends the program once the rendering ends.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <thread>

#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

int Count(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

class Exit : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"one.png", "two.png"}) WritePicture(dir.File(name), 8, 6);
    atelo.Environment().insert("ATELO_TRACE", "2");
  }

  // The program ended by itself, once, with the defaults written once.
  void ExpectCleanEnd() {
    EXPECT_FALSE(atelo.Crashed()) << atelo.Err();
    EXPECT_EQ(atelo.ExitCode(), 0) << atelo.Err();
    EXPECT_EQ(Count(atelo.Err(), "(KEPAteloSettings::SaveDefaults)"), 1) << atelo.Err();
    EXPECT_NE(ReadWholeFile(dir.File(".virda_atelo.env")).find("EDIT_TOOLBAR="), std::string::npos);
  }

  TempDir dir;
  AteloProcess atelo{dir.Path()};
};

TEST_F(Exit, TheMenuItemEndsTheProgram) {
  ASSERT_TRUE(atelo.Run({"one.png", "two.png"}, {"trigger exitItem"}, 20000)) << atelo.Log();
  ExpectCleanEnd();
}

// The box about a start file that cannot be read comes up before the
// script's first command; it must be answered like any other.
TEST_F(Exit, AnUnreadableStartFileIsReportedAndTheProgramStillEnds) {
  WriteWholeFile(dir.File("empty.tif"), "");
  ASSERT_TRUE(atelo.Run({"empty.tif", "one.png"}, {"trigger exitItem"}, 20000)) << atelo.Log();
  ExpectCleanEnd();
  const std::vector<std::string> asked = atelo.LogLines("ask");
  ASSERT_EQ(asked.size(), 1u) << atelo.Log();
  EXPECT_NE(asked[0].find("empty.tif"), std::string::npos) << asked[0];
}

TEST_F(Exit, ClosingTheWindowEndsTheProgram) {
  ASSERT_TRUE(atelo.Run({"one.png"}, {"close atelo"}, 20000)) << atelo.Log();
  ExpectCleanEnd();
}

TEST_F(Exit, DuringARenderingTheProgramEndsWithTheRendering) {
  ASSERT_TRUE(atelo.Start({"-id", "DISP_EXT"}, {"waitfor enabled interruptItem",
                                                // the frame has begun
                                                "waitfor enabled closeItem", "answer 1",
                                                "trigger exitItem", "log asked"}));
  for (int i = 0; i < 200 && !std::filesystem::exists(dir.File("lnk/DISP_EXT")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  QProcess renderer;
  renderer.setProcessEnvironment(atelo.Environment());
  renderer.start(QString::fromStdString(AteloProcess::Program("atelo-render")),
                 // One long frame: between frames the rendering has ended and
                 // Exit asks nothing.
                 {"-id", "DISP_EXT", "--size", "128x128", "--patch", "8", "--delay", "20",
                  "--frames", "1", "--quiet"});
  ASSERT_TRUE(renderer.waitForFinished(60000));
  EXPECT_EQ(renderer.exitCode(), 0) << renderer.readAllStandardError().toStdString();
  ASSERT_TRUE(atelo.WaitForEnd(20000)) << atelo.Log();
  const std::string log = atelo.Log();
  EXPECT_NE(log.find("ask warnDlg \"Rendering in progress. Confirm exit?\" -> 1"),
            std::string::npos)
      << log;
  ExpectCleanEnd();
}

}  // namespace
