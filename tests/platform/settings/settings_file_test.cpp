#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/KEPErrmsg.h"
#include "platform/settings/KEPSettingsFile.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const char* key) {
  char buffer[512] = "untouched";
  if (litfic(key, buffer, sizeof buffer) != 0) return "<absent>";
  return buffer;
}

// Files in `dir` other than `keep`: a write must leave no temporary behind.
int StrayFiles(const TempDir& dir, const std::string& keep = "defaults.env") {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    count += entry.path().filename() != keep;
  return count;
}

TEST(SettingsFile, ValueIsVerbatimAndAbsentKeyLeavesBufferAlone) {
  TempDir dir;
  const std::string path = dir.File("defaults.env");
  ASSERT_EQ(initfic(path.c_str()), 0);
  char buffer[16] = "untouched";
  EXPECT_NE(litfic("DEF_PATH", buffer, sizeof buffer), 0);  // no file yet

  ASSERT_EQ(ecritfic("DEF_NAME", " my image = best "), 0);
  ASSERT_EQ(ecritfic("DEF_TYPE", "tif"), 0);
  ASSERT_EQ(ecritfic("EMPTY", ""), 0);
  ASSERT_EQ(ecritfic("DEF_TYPE", "jpg"), 0);
  const std::string written = "DEF_NAME= my image = best \nDEF_TYPE=jpg\nEMPTY=\n";
  EXPECT_EQ(ReadWholeFile(path), written);
  EXPECT_EQ(Read("DEF_NAME"), " my image = best ");
  EXPECT_EQ(Read("EMPTY"), "");
  // An absent key, or the prefix of a longer one, is not found.
  EXPECT_NE(litfic("DEF_PATH", buffer, sizeof buffer), 0);
  EXPECT_NE(litfic("DEF_", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "untouched");
  char small[5];  // a value longer than the buffer is cut and still terminated
  ASSERT_EQ(litfic("DEF_NAME", small, sizeof small), 0);
  EXPECT_STREQ(small, " my ");

  // Keys and values that would break the line structure are refused.
  for (auto [key, value] : {std::pair{"A=B", "x"}, {"", "x"}, {"DEF_TYPE", "two\nlines"}})
    EXPECT_NE(ecritfic(key, value), 0) << key;
  EXPECT_EQ(ReadWholeFile(path), written);
  EXPECT_EQ(StrayFiles(dir), 0);
}

TEST(SettingsFile, HandEditedOrGarbledFileKeepsEveryOtherLine) {
  TempDir dir;
  const std::string path = dir.File("defaults.env");
  const std::string longLine(3 * 1024 * 1024, 'x');  // far beyond any buffer
  const std::string before =
      "\xEF\xBB\xBF"
      "DEF_NAME=bom\n# my settings\n\n"
      "  DEF_PATH = /data/renders\n"  // blanks around the key, typed by hand
      "SOMEONE_ELSES=keep me\r\nDEF_PATH=/second/occurrence\n   # indented\n" +
      std::string("\x00\x01\xff\xfe=\x00zz", 9) + "\nno equals sign\n" + longLine +
      "\nDEF_LONG=" + longLine + "\nDEF_TYPE=png\r\n=orphan\n" +
      "DEF_MINTIME=45";  // no final newline
  WriteWholeFile(path, before);
  ASSERT_EQ(initfic(path.c_str()), 0);

  EXPECT_EQ(Read("DEF_NAME"), "bom");  // an editor's byte-order mark is no part of the key
  EXPECT_EQ(Read("DEF_PATH"), " /data/renders");  // first occurrence, verbatim after "="
  EXPECT_EQ(Read("SOMEONE_ELSES"), "keep me");    // CRLF line end is not part of the value
  EXPECT_EQ(Read("DEF_TYPE"), "png");
  EXPECT_EQ(Read("DEF_LONG"), std::string(511, 'x'));
  EXPECT_EQ(Read("DEF_MINTIME"), "45");

  ASSERT_EQ(ecritfic("DEF_PATH", "/new/"), 0);
  ASSERT_EQ(ecritfic("DEF_TYPE", "tif"), 0);
  ASSERT_EQ(ecritfic("DEF_LONG", "short"), 0);  // a huge line is replaced whole
  ASSERT_EQ(ecritfic("DEF_MINTIME", "60"), 0);  // the unterminated last line
  ASSERT_EQ(ecritfic("NEW_KEY", "shot"), 0);
  std::string expected = before;
  expected.replace(expected.find("  DEF_PATH"), 27, "DEF_PATH=/new/\n");
  expected.replace(expected.find("DEF_TYPE=png\r\n"), 14, "DEF_TYPE=tif\n");
  expected.replace(expected.find("DEF_LONG="), 9 + longLine.size(), "DEF_LONG=short");
  expected.replace(expected.find("DEF_MINTIME=45"), 14, "DEF_MINTIME=60\nNEW_KEY=shot\n");
  EXPECT_EQ(ReadWholeFile(path), expected);
  EXPECT_EQ(Read("DEF_MINTIME"), "60");
  EXPECT_EQ(StrayFiles(dir), 0);
}

TEST(SettingsFile, WriteCutShortOrImpossibleLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.File("defaults.env");
  std::string before = "DEF_NAME=old\n";
  for (int i = 0; i < 4000; ++i) before += "# comment line number " + std::to_string(i) + "\n";
  WriteWholeFile(path, before);
  ASSERT_EQ(initfic(path.c_str()), 0);

  // In a child whose file-size limit stops the temporary file half way, as a
  // full disk would.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{static_cast<rlim_t>(before.size() / 2), static_cast<rlim_t>(before.size() / 2)};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(ecritfic("DEF_NAME", "new") == 0 ? 0 : 3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(ReadWholeFile(path), before);

  // No directory to write in; a path naming a directory is never replaced.
  ASSERT_EQ(initfic(dir.File("missing/defaults.env").c_str()), 0);
  EXPECT_NE(ecritfic("DEF_NAME", "x"), 0);
  EXPECT_NE(errmsg[0], '\0');
  testing::internal::CaptureStderr();
  ASSERT_EQ(initfic(dir.Path().c_str()), 2);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("is a directory"), std::string::npos);
  EXPECT_NE(ecritfic("DEF_NAME", "x"), 0);
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(StrayFiles(dir), 0);
}

TEST(SettingsFile, UnreadableOrReadOnlyFileIsNeverRewritten) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
  TempDir dir;
  const std::string path = dir.File("defaults.env");
  WriteWholeFile(path, "DEF_NAME=old\n# note\n");
  ASSERT_EQ(initfic(path.c_str()), 0);
  chmod(path.c_str(), 0);
  EXPECT_EQ(Read("DEF_NAME"), "<absent>");
  EXPECT_NE(ecritfic("DEF_NAME", "new"), 0);
  chmod(path.c_str(), 0444);
  EXPECT_NE(ecritfic("DEF_NAME", "new"), 0);
  chmod(path.c_str(), 0644);
  chmod(dir.Path().c_str(), 0555);  // directory closed: no temporary can be made
  EXPECT_NE(ecritfic("DEF_NAME", "new"), 0);
  chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(ReadWholeFile(path), "DEF_NAME=old\n# note\n");
  EXPECT_EQ(StrayFiles(dir), 0);
}

TEST(SettingsFile, WritingThroughSymbolicLinkKeepsTheLinkAndMode) {
  TempDir dir;
  const std::string target = dir.File("real.env"), link = dir.File("defaults.env");
  WriteWholeFile(target, "A=1\n");
  chmod(target.c_str(), 0600);
  fs::create_symlink(target, link);
  ASSERT_EQ(initfic(link.c_str()), 0);
  ASSERT_EQ(ecritfic("A", "2"), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadWholeFile(target), "A=2\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0600));
}

TEST(FileNames, ElementsOfAName) {
  // name, then "directory|base|number|suffix|extension".
  const char* cases[][2] = {
      {"/tmp/shot.tif", "/tmp/|shot|0||tif"},
      {"/tmp/shot_7.tif", "/tmp/|shot|7||tif"},
      {"shot_3_left.rgb", "|shot|3|_left|rgb"},
      {"my_file_name.jpg", "|my_file_name|0||jpg"},
      {"a_1_b2.tif", "|a_1_b2|0||tif"},  // a digit after the group: no number
      {"/x/list", "/x/|list|0||"},
      {"/x/big_12345678901.tif", "/x/|big_12345678901|0||tif"},  // too many digits
      {"/x.y/frame_09.series", "/x.y/|frame|9||series"}};
  std::string d, b, s, e;
  int n = -1;
  for (const auto& c : cases) {
    ASSERT_EQ(litelements(c[0], d, b, n, s, e), 0) << c[0];
    EXPECT_EQ(d + "|" + b + "|" + std::to_string(n) + "|" + s + "|" + e, c[1]);
  }
  EXPECT_NE(litelements("", d, b, n, s, e), 0);
  EXPECT_NE(litelements("/only/a/directory/", d, b, n, s, e), 0);
  EXPECT_EQ(d, "/only/a/directory/");
  EXPECT_EQ(litextension("/a.dir/shot"), "");
  EXPECT_EQ(litextension("/home/u/.hidden"), "");
  EXPECT_EQ(litextension("shot.tar.gz"), "gz");
}

TEST(TextLists, LinesAndImageNamesOfAFile) {
  TempDir dir;
  const std::string file = dir.File("list.series");
  WriteWholeFile(file, "# by hand\n/a/one.tif\n\n  \t\n/a/two.tif\r\n#/a/skipped.tif\nthree.tif");
  EXPECT_EQ(litnbchaines(file.c_str()), 7);
  EXPECT_EQ(litchaines(file.c_str()),
            (std::vector<std::string>{"# by hand", "/a/one.tif", "", "  \t", "/a/two.tif",
                                      "#/a/skipped.tif", "three.tif"}));
  EXPECT_EQ(litnbimages(file.c_str()), 3);
  EXPECT_EQ(litimages(file.c_str()),
            (std::vector<std::string>{"/a/one.tif", "/a/two.tif", "three.tif"}));

  EXPECT_EQ(litnbchaines(dir.File("absent").c_str()), -1);
  EXPECT_TRUE(litimages(dir.File("absent").c_str()).empty());
  EXPECT_EQ(litnbimages(dir.Path().c_str()), -1);  // a directory is no list
  WriteWholeFile(file, "");
  EXPECT_EQ(litnbimages(file.c_str()), 0);

  // A binary file given by mistake: lines are cut, never read whole.
  WriteWholeFile(file, std::string(1 << 20, 'z') + "\nnext.tif\n");
  const auto lines = litimages(file.c_str());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 64u * 1024u);
  EXPECT_EQ(lines[1], "next.tif");
}

TEST(SettingsFile, FifosDevicesAndHugeFilesAreRefusedWithoutWaiting) {
  alarm(30);  // a read that blocks or never ends kills the test instead of hanging it
  TempDir dir;
  const std::string fifo = dir.File("fifo"), zero = dir.File("zero"), huge = dir.File("huge");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", zero);
  WriteWholeFile(huge, "DEF_NAME=big\n");
  fs::resize_file(huge, (65u << 20));  // sparse: costs no disk
  const std::string cases[][3] = {{fifo, "is a FIFO", "is a FIFO"},
                                  {zero, "is a character device", "is a character device"},
                                  {huge, "is larger than 16 MB", "is larger than 64 MB"}};
  for (const auto& [file, settingsWhy, listWhy] : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(initfic(file.c_str()), 2) << file;
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("defaults file " + file + " " + settingsWhy), std::string::npos) << said;
    EXPECT_EQ(Read("DEF_NAME"), "<absent>");
    EXPECT_NE(ecritfic("DEF_NAME", "x"), 0);
    EXPECT_NE(std::string(errmsg).find(settingsWhy), std::string::npos) << errmsg;
    std::vector<std::string> lines{"stale"};
    EXPECT_EQ(litimages(file.c_str(), lines), -1);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(std::string(errmsg).find("File '" + file + "' " + listWhy), 0u) << errmsg;
  }
  EXPECT_TRUE(fs::is_fifo(fifo)) << "the FIFO is left as it was";
  alarm(0);
}

}  // namespace
