// Running a program through the link library: its result codes, its
// arguments, and the time-out that kills a program (and what it started)
// when it does not end.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/link/lnk.h"
#include "support/TempDir.h"

namespace {

class LnkExe : public ::testing::Test {
 protected:
  // An executable shell script in the test directory.
  std::string Script(const std::string& name, const std::string& body) {
    std::string path = dir.File(name);
    WriteWholeFile(path, "#!/bin/sh\n" + body + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }

  int Run(std::vector<std::string> words, int timeout = 5, const char* host = "$LOCAL") {
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    argv.push_back(nullptr);
    return lnkexe(host, argv.data(), timeout, pid);
  }

  // Alive and not a zombie waiting for a parent that never reaps.
  static bool Running(int process) {
    if (process <= 0 || kill(process, 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string id, name, state;
    stat >> id >> name >> state;
    return state != "Z";
  }

  TempDir dir;
  int pid = 0;
};

TEST_F(LnkExe, GivesTheArgumentsInOrderAndTheExitStatus) {
  std::string out = dir.File("args");
  std::string echo = Script("echo.sh", "for a in \"$@\"; do echo \"$a\" >> '" + out + "'; done");
  EXPECT_EQ(Run({echo, "-P", "laser 2", dir.File("image.tif")}), LNKEXE_DONE);
  EXPECT_GT(pid, 0);
  EXPECT_EQ(ReadWholeFile(out), "-P\nlaser 2\n" + dir.File("image.tif") + "\n");

  EXPECT_EQ(Run({Script("three.sh", "exit 3")}), 3);
  EXPECT_EQ(Run({Script("killed.sh", "kill -TERM $$")}), 128 + SIGTERM);
  // Looked up in PATH like a shell would.
  EXPECT_EQ(Run({"true"}), LNKEXE_DONE);
}

TEST_F(LnkExe, RefusesWhatCannotRun) {
  WriteWholeFile(dir.File("plain.sh"), "#!/bin/sh\nexit 0\n");
  struct Case {
    std::vector<std::string> argv;
    const char* host;
    int code;
  } cases[] = {
      {{dir.File("missing")}, "$LOCAL", LNKEXE_ERR_NOT_FOUND},
      {{"no-such-program-anywhere"}, "$LOCAL", LNKEXE_ERR_NOT_FOUND},
      {{dir.Path()}, "$LOCAL", LNKEXE_ERR_NOT_FOUND},
      {{dir.File("plain.sh")}, "$LOCAL", LNKEXE_ERR_NOT_FOUND},
      {{""}, "$LOCAL", LNKEXE_ERR_ARGUMENT},
      {{"true"}, "printserver.example", LNKEXE_ERR_HOST},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.argv, 5, c.host), c.code) << c.argv[0] << " on " << c.host;
    EXPECT_EQ(pid, 0);
  }
  const char* none[] = {nullptr};
  EXPECT_EQ(lnkexe("$LOCAL", none, 5, pid), LNKEXE_ERR_ARGUMENT);
  EXPECT_EQ(lnkexe("$LOCAL", nullptr, 5, pid), LNKEXE_ERR_ARGUMENT);
}

TEST_F(LnkExe, AProgramStillRunningAtTheTimeOutIsKilledWithItsChildren) {
  std::string ids = dir.File("ids");
  std::string hang = Script("hang.sh", "sleep 60 &\necho $! > '" + ids + "'\nwait\n");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({hang}, 1), LNKEXE_ERR_TIMEOUT);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(900));
  EXPECT_LT(took, std::chrono::seconds(10));
  int sleeper = std::atoi(ReadWholeFile(ids).c_str());
  for (int i = 0; i < 100 && Running(sleeper); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(Running(pid));
  EXPECT_FALSE(Running(sleeper)) << sleeper;
}

TEST_F(LnkExe, WithoutATimeOutTheProgramIsLeftToRun) {
  std::string done = dir.File("done");
  std::string later = Script("later.sh", "sleep 0.3\ntouch '" + done + "'");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({later}, 0), LNKEXE_STARTED);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_GT(pid, 0);
  for (int i = 0; i < 250 && !std::ifstream(done); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(std::ifstream(done).good());
  EXPECT_EQ(Run({dir.File("missing")}, 0), LNKEXE_ERR_NOT_FOUND);
}

}  // namespace
