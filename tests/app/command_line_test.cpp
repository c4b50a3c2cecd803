#include <gtest/gtest.h>

#include <QProcess>
#include <cstdlib>
#include <vector>

#include "app/KEPAteloCommandLine.h"

namespace {

const char* const kUsage =
    "\nUsage: atelo [-h] [-T Title] [-id string] [-b] [-notool] [-W Width] [-H Height] [file...]\n"
    "       -h       show this message\n"
    "       -T       window title\n"
    "       -id      window identifier (8 characters)\n"
    "       -b       batch mode\n"
    "       -notool  toolbar hidden\n"
    "       -W       window width\n"
    "       -H       window height\n"
    "       file...  name of file(s) to be loaded on startup\n";

int Parse(std::vector<const char*> args, KEPAteloCommandLine& line) {
  args.insert(args.begin(), "/usr/bin/atelo");
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), "/home/u/work", line);
}

TEST(CommandLine, ReadsEveryOption) {
  KEPAteloCommandLine line;
  ASSERT_EQ(Parse({"-T", "Shots", "-id", "DISP_XYZ", "-b", "-W", "640", "-H", "480", "a.tif",
                   "sub/b.tif", "/abs/c.tif"},
                  line),
            0);
  EXPECT_EQ(line.title, "Shots");
  EXPECT_EQ(line.identifier, "DISP_XYZ");
  EXPECT_TRUE(line.IsBatch());
  EXPECT_EQ(line.style, KEPAteloCommandLine::STYLE_BATCH);
  EXPECT_EQ(line.width, 640);
  EXPECT_EQ(line.height, 480);
  // Only a name without any slash is made absolute; a relative name with a
  // slash stays as given.
  EXPECT_EQ(line.files,
            (std::vector<std::string>{"/home/u/work/a.tif", "sub/b.tif", "/abs/c.tif"}));
}

TEST(CommandLine, DefaultsAndOddValues) {
  KEPAteloCommandLine line;
  ASSERT_EQ(Parse({"-W", "wide", "-T", ""}, line), 0);
  EXPECT_EQ(line.width, 0);
  EXPECT_EQ(line.title, "VIRDA Image Viewer");
  EXPECT_EQ(line.identifier, "DISP_ATL");
  EXPECT_EQ(line.style, 0);
}

TEST(CommandLine, SomeIdentifiersHideTheToolbarsLikeNotool) {
  for (const char* id : {"DISP_SAM", "DISP_TEX"}) {
    KEPAteloCommandLine line;
    ASSERT_EQ(Parse({"-id", id}, line), 0);
    EXPECT_EQ(line.style, KEPAteloCommandLine::STYLE_NO_TOOLBARS) << id;
  }
  KEPAteloCommandLine line;
  ASSERT_EQ(Parse({"-notool"}, line), 0);
  EXPECT_EQ(line.style, KEPAteloCommandLine::STYLE_NO_TOOLBARS);
}

TEST(CommandLine, LongStartFileNamesAreCut) {
  std::string name(400, 'n');
  KEPAteloCommandLine line;
  ASSERT_EQ(Parse({name.c_str()}, line), 0);
  EXPECT_EQ(line.files.at(0).size(), KEPAteloCommandLine::kMaxFileName);
}

// Asked for, or for options it does not know, misplaced or without their
// value, the program prints its usage.
TEST(Program, PrintsTheUsageTextAndExitsWithZero) {
  std::string program = std::string(std::getenv("ATELO_BINARY_DIR")) + "/bin/atelo";
  for (QStringList args : {QStringList{"-h"}, QStringList{"-unknown"}, QStringList{"x.tif", "-b"},
                           QStringList{"-T"}, QStringList{"-b", "-W"}}) {
    QProcess process;
    process.start(QString::fromStdString(program), args);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), kUsage);
  }
}

}  // namespace
