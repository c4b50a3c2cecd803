// The workbench program in batch mode fed by the demo renderer: frames are
// saved exactly as sent, and neither garbage nor a renderer that dies
// half-way through a frame stops it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "atelo-render/KEPRenderPicture.h"
#include "link_support.h"
#include "platform/link/KEPLink.h"
#include "support/TempDir.h"

namespace {

class BatchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    bin = std::string(std::getenv("ATELO_BINARY_DIR")) + "/bin/";
    if (access((bin + "atelo").c_str(), X_OK) != 0)
      GTEST_SKIP() << "the atelo program is not part of this build";
    WriteWholeFile(home.File(".virda_atelo.env"), "DEF_PATH=" + home.File("out") + "/\n");
    mkdir(home.File("out").c_str(), 0700);
  }
  void TearDown() override {
    for (pid_t pid : running) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  // Starts a program of the build with HOME set to the test's home; its
  // standard output goes to `output` when given.
  pid_t Start(const std::string& program, std::vector<std::string> arguments,
              const std::string& output = "") {
    std::string path = bin + program;
    arguments.insert(arguments.begin(), path);
    pid_t child = fork();
    if (child == 0) {
      setenv("HOME", home.Path().c_str(), 1);
      if (!output.empty()) freopen(output.c_str(), "w", stdout);
      std::vector<char*> argv;
      for (auto& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(path.c_str(), argv.data());
      _exit(127);
    }
    running.push_back(child);
    return child;
  }
  int Wait(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    std::erase(running, child);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  pid_t StartWorkbench() {
    return Start("atelo", {"-b", "-id", "DISP_BAT"}, home.File("atelo.out"));
  }
  pid_t StartRenderer(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"-id", "DISP_BAT", "--wait", "20000", "--quiet"});
    return Start("atelo-render", arguments);
  }
  // The saved file holds exactly the generated frame.
  void ExpectSaved(const std::string& name, int width, int height, int index, int period) {
    KEPRenderPicture saved;
    std::string error;
    ASSERT_TRUE(KEPReadPicture(home.File("out/" + name), saved, error)) << error;
    EXPECT_EQ(saved.width, width);
    EXPECT_EQ(saved.height, height);
    EXPECT_TRUE(saved.pixels == KEPGeneratePicture(width, height, index, period).pixels)
        << name << " differs from what was sent";
    std::string line = "IMG  0.0 info : Image '" + home.File("out/" + name) + "' saved\n";
    EXPECT_NE(ReadWholeFile(home.File("atelo.out")).find(line), std::string::npos) << line;
  }

  std::string bin;
  TempDir home;
  std::vector<pid_t> running;
};

}  // namespace

TEST_F(BatchRun, SavesEveryFrameExactlyAndEndsWithTheRendering) {
  pid_t workbench = StartWorkbench();
  pid_t renderer =
      StartRenderer({"--size", "64x48", "--frames", "2", "--patch", "16x8", "--order", "random"});
  EXPECT_EQ(Wait(renderer), 0);
  EXPECT_EQ(Wait(workbench), 0) << "END_DISP ends a batch run";
  ExpectSaved("Untitled.0001.tif", 64, 48, 0, 2);
  ExpectSaved("Untitled.0002.tif", 64, 48, 1, 2);
}

TEST_F(BatchRun, SurvivesGarbageAndARendererKilledHalfWay) {
  pid_t workbench = StartWorkbench();
  pid_t doomed =
      StartRenderer({"--name", "R_DOOMED", "--size", "256x256", "--patch", "8", "--delay", "5"});
  // Its entry appears just before it connects; then let it send a while.
  std::string entry = std::string(std::getenv("LNK_DIR")) + "/R_DOOMED";
  for (int i = 0; i < 400 && access(entry.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  kill(doomed, SIGKILL);
  Wait(doomed);

  KEPLink garbage;
  ASSERT_EQ(garbage.Init(std::getenv("LNK_DIR")), 0);
  ASSERT_EQ(garbage.Declare("R_GARBAG", "CONNEXIO"), 0);
  for (const auto& message : MalformedMessages(10000, 99)) {
    std::vector<KEPLinkPart> parts;
    for (const auto& part : message.parts) parts.push_back({part.data(), part.size()});
    ASSERT_EQ(garbage.Send("DISP_BAT", message.name.c_str(), parts.data(),
                           static_cast<int>(parts.size()), 20000),
              0);
  }
  pid_t renderer = StartRenderer({"--size", "40x30", "--first", "5", "--patch", "7"});
  EXPECT_EQ(Wait(renderer), 0);
  EXPECT_EQ(Wait(workbench), 0);
  ExpectSaved("Untitled.0005.tif", 40, 30, 0, 1);
}
