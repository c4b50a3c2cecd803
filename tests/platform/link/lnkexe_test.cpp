// Running a program through the link library: result codes, arguments, and
// the time-out that kills a program and what it started.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/link/lnk.h"
#include "support/TempDir.h"

namespace {

class LnkExe : public ::testing::Test {
 protected:
  std::string Script(const std::string& name, const std::string& body) {
    WriteWholeFile(dir.File(name), "#!/bin/sh\n" + body + "\n");
    chmod(dir.File(name).c_str(), 0755);
    return dir.File(name);
  }
  int Run(std::vector<std::string> words, int timeout = 5, const char* host = "$LOCAL") {
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    argv.push_back(nullptr);
    return lnkexe(host, argv.data(), timeout, pid);
  }
  // Alive, and not a zombie left to a parent that does not reap.
  static bool Running(int process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string id, name, state;
    return process > 0 && kill(process, 0) == 0 && stat >> id >> name >> state && state != "Z";
  }

  TempDir dir;
  int pid = 0;
};

TEST_F(LnkExe, GivesTheArgumentsAndTheOutcome) {
  std::string echo = Script("echo.sh", "printf '%s\\n' \"$@\" > '" + dir.File("args") + "'");
  EXPECT_EQ(Run({echo, "-P", "laser 2", "/x/image.tif"}), LNKEXE_DONE);
  EXPECT_EQ(ReadWholeFile(dir.File("args")), "-P\nlaser 2\n/x/image.tif\n");
  EXPECT_EQ(Run({"true"}), LNKEXE_DONE);  // found in PATH
  EXPECT_EQ(Run({Script("three.sh", "exit 3")}), 3);

  WriteWholeFile(dir.File("plain.sh"), "#!/bin/sh\n");  // not executable
  for (std::string bad :
       {dir.File("missing"), std::string("no-such-program"), dir.Path(), dir.File("plain.sh")}) {
    EXPECT_EQ(Run({bad}), LNKEXE_ERR_NOT_FOUND) << bad;
    EXPECT_EQ(pid, 0);
  }
  EXPECT_EQ(Run({""}), LNKEXE_ERR_ARGUMENT);
  EXPECT_EQ(lnkexe("$LOCAL", nullptr, 5, pid), LNKEXE_ERR_ARGUMENT);
  EXPECT_EQ(Run({"true"}, 5, "printserver.example"), LNKEXE_ERR_HOST);
}

TEST_F(LnkExe, AProgramStillRunningAtTheTimeOutIsKilledWithItsChildren) {
  std::string hang = Script("hang.sh", "sleep 60 &\necho $! > '" + dir.File("ids") + "'\nwait");
  EXPECT_EQ(Run({hang}, 1), LNKEXE_ERR_TIMEOUT);
  int sleeper = std::atoi(ReadWholeFile(dir.File("ids")).c_str());
  for (int i = 0; i < 100 && Running(sleeper); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(Running(pid));
  EXPECT_FALSE(Running(sleeper));
}

TEST_F(LnkExe, WithoutATimeOutTheProgramIsLeftToRun) {
  // The program goes on only once "go" exists, made after lnkexe returned:
  // had lnkexe waited for it, "done" would never appear.
  std::string later =
      Script("later.sh", "for i in $(seq 500); do [ -e '" + dir.File("go") + "' ] && touch '" +
                             dir.File("done") + "' && exit; sleep 0.02; done");
  EXPECT_EQ(Run({later}, 0), LNKEXE_STARTED);
  WriteWholeFile(dir.File("go"), "");
  for (int i = 0; i < 500 && !std::ifstream(dir.File("done")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(std::ifstream(dir.File("done")).good());
  EXPECT_EQ(Run({dir.File("missing")}, 0), LNKEXE_ERR_NOT_FOUND);
}

}  // namespace
