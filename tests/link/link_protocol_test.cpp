#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/rikcb.h"
#include "link_support.h"
#include "platform/link/lnk.h"
#include "support/TempDir.h"

TEST(LinkStartUp, AnUnusableDirectoryIsReportedWithTheTitle) {
  if (KEPLink::Process().IsReady()) GTEST_SKIP() << "the link of this process is already up";
  TempDir dir;
  chmod(dir.Path().c_str(), 0777);
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  pid_t child = fork();
  if (child == 0) {
    dup2(pipeFds[1], 1);
    setenv("LNK_DIR", dir.Path().c_str(), 1);
    _exit(KEPAteloLinkInit("My Viewer"));
  }
  close(pipeFds[1]);
  char buffer[256] = {0};
  ssize_t n = read(pipeFds[0], buffer, sizeof buffer - 1);
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 5);
  EXPECT_EQ(std::string(buffer, n > 0 ? n : 0),
            "My Viewer: Couldn't initialize LNK environment (error=5)\n");
}

TEST_F(LinkProtocol, StartUpPublishesTheWindowAndStopsTheHostsTimeOut) {
  int pid = 0, value = 0, status = 0;
  EXPECT_EQ(lnkcall(kWindow, pid, value, status), 0);
  EXPECT_EQ(pid, getpid());
  ASSERT_TRUE(PumpUntil([] {
    Host().link.ProcessPending();
    return !Host().received.empty();
  }));
  EXPECT_EQ(Host().received[0], (std::pair<std::string, std::string>("TMOUTOFF", "TMOF")));
  EXPECT_EQ(Parent(), "LNK_0000");
}

// Each body with the result its callback gives; a refused one reaches
// nothing of the document.
TEST_F(LinkProtocol, BodiesAreCheckedBeforeTheDocumentSeesThem) {
  Renderer renderer("R_BODY");
  const std::string names = "hosta   " + std::string(256, 'n'), pixels(16, '\x7f');
  const std::string longest(RIK_MAX_NAME, 'n'), tooLong(RIK_MAX_NAME + 1, 'n');
  struct Row {
    const char* message;
    std::vector<std::string> parts;
    int result;
  } rows[] = {
      {"INITDISP", {Ints({5000, 1, 1}), names}, 0},
      {"INITDISP", {Ints({5000, 0, 0}), ""}, 0},
      {"INITDISP", {Ints({5000, 0}), ""}, -1},         // short header
      {"INITDISP", {Ints({5000, 0, 0})}, -1},          // no names part
      {"INITDISP", {Ints({5000, 2, 1}), names}, -2},   // names short
      {"INITDISP", {Ints({5000, -1, 0}), ""}, -2},     // negative count
      {"INITDISP", {Ints({5000, 0, 0}), "", ""}, -2},  // extra part
      {"INITDISP", {}, -1},
      {"NEWIMAGE", {Ints({0, 8, 8, 10, 0}), ""}, 0},
      {"NEWIMAGE", {Ints({0, 8, 8, 10, 0})}, 0},  // an empty name may come without its part
      {"NEWIMAGE", {Ints({0, 8, 8, 10, RIK_MAX_NAME}), longest}, 0},
      {"NEWIMAGE", {Ints({0, 8, 8, 10, RIK_MAX_NAME + 1}), tooLong}, -1},
      {"NEWIMAGE", {Ints({0, 8, 8, 10, 5}), "abc"}, -2},
      {"NEWIMAGE", {Ints({0, 8, 8, 10, 3}), tooLong}, -2},
      {"NEWIMAGE", {Ints({0, 8, 8, 10, 3})}, -2},
      {"NEWIMAGE", {Ints({0, 8, 8, 10}), ""}, -1},
      {"NEWIMAGE", {Ints({0, -8, 8, 10, 0}), ""}, -1},
      {"NEWIMAGE", {Ints({0, 8, 8, 17 << 24, 0}), ""}, -1},
      {"NEWIMAGE", {Ints({0, 8, 8, 10, 0}), "", ""}, -2},
      {"NEWIMAGE", {Ints({0, 4, 4, 1, 0}), ""}, 0},
      {"DISPLAY ", {Ints({2, 2, 2, 2}), pixels}, 0},
      {"DISPLAY ", {Ints({0, 0, 2, 2}), "abc"}, 0},  // the document judges the byte count
      {"DISPLAY ", {Ints({0, 0, 2, 2}) + pixels}, -1},
      {"DISPLAY ", {Ints({0, 0, 2}), pixels}, -1},
      {"DISPLAY ", {Ints({0, 0, 2, 2}), pixels, ""}, -2},
      {"DISPLAY ", {Ints({0, 0, -2, -2}), pixels}, -1},
      {"DISPLAY ", {Ints({0, 0, 65536, 65536}), pixels}, -1},
      {"DISPLAY ", {Ints({0, 0, INT_MAX, INT_MAX}), pixels}, -1},  // 2^64 bytes: no wrap
      {"MESSAGE ", {std::string(256, 'm')}, 0},
      {"MESSAGE ", {std::string(257, 'm')}, -1},
      {"MESSAGE ", {""}, -4},
      {"MESSAGE ", {}, -4},
      {"MESSAGE ", {"a", "b"}, -1},
      {"PATH    ", {"/tmp/x.tif"}, 0},
      {"PATH    ", {std::string(257, 'p')}, -1},
      {"PATH    ", {""}, -4},
      {"END_DISP", {"END_DISQ"}, -3},
      {"END_DISP", {"END_DIS"}, -1},
      {"END_DISP", {"END_DISPX"}, -1},
      {"END_DISP", {"END_", "DISP"}, -1},
      {"END_DISP", {"END_DISP"}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.message) + " row " + std::to_string(&row - rows));
    auto calls = Target().calls.size();
    EXPECT_EQ(Deliver(renderer, row.message, row.parts), row.result);
    if (row.result != 0) {
      EXPECT_EQ(Target().calls.size(), calls);
    }
  }
  EXPECT_EQ(Target().calls,
            (std::vector<std::string>{"init", "init", "new", "new", "new", "new", "disp", "disp",
                                      "message", "path:/tmp/x.tif", "end"}));
  EXPECT_EQ(Target().image[(2 * 4 + 2) * 4], 0x7f);
  EXPECT_EQ(Target().messages, std::vector<std::string>{std::string(255, 'm')});
  std::vector<std::vector<unsigned char>> answer;
  ASSERT_EQ(renderer.link.ReceiveAnswer(kWindow, answer, 2000), 0);
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(std::string(answer[0].begin(), answer[0].end()), "INITDISP");
  EXPECT_EQ(answer[1].size(), 4u);

  // An empty name clears the last one; the longest fits whole.
  Target().name = "x";
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, 0})}), 0);
  EXPECT_EQ(Target().name, "");
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, RIK_MAX_NAME}), longest}), 0);
  EXPECT_EQ(Target().name, longest);
  Target().refuse = 1;
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, 2, 2}), pixels}), -100);
}

TEST_F(LinkProtocol, MessagesAreFilteredWithTheEchoLevelReadOnce) {
  Renderer renderer("R_MES");
  setenv("ATV_MI_MSG", "1", 1);
  KEPAteloLinkState::Instance().Reset();
  Target().msgMode = 2;
  testing::internal::CaptureStdout();
  Deliver(renderer, "MESSAGE ", {"RC   0.0 progr: rendering\n"});
  setenv("ATV_MI_MSG", "0", 1);
  Deliver(renderer, "MESSAGE ", {"RC   0.0 progr:  42.0%\n"});
  Deliver(renderer, "MESSAGE ", {"RC   0.0 progr: 100.0%\n"});
  Deliver(renderer, "MESSAGE ", {"no newline"});
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Rendering in Progress....\nRendering Done.\nno newline\n");
  unsetenv("ATV_MI_MSG");
  EXPECT_EQ(Target().messages,
            (std::vector<std::string>{"RC   0.0 progr: rendering in progress....\n",
                                      "RC   0.0 progr: rendering done\n", "no newline"}));
}

TEST_F(LinkProtocol, DebugSwitchIsLookedForOnce) {
  Renderer renderer("R_DEBUG");
  std::string flag = std::string(std::getenv("HOME")) + "/rikdbg";
  WriteWholeFile(flag, "");
  testing::internal::CaptureStdout();
  Deliver(renderer, "END_DISP", {"END_DISP"});
  unlink(flag.c_str());
  Deliver(renderer, "END_DISP", {"END_DISP"});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "rikcbend\nrikcbend\n");
  KEPAteloLinkState::Instance().Reset();
  testing::internal::CaptureStdout();
  Deliver(renderer, "END_DISP", {"END_DISP"});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(LinkProtocol, ASecondRendererTakesOverFromTheFirst) {
  auto first = std::make_unique<Renderer>("R_FIRST");
  Connect(*first);
  EXPECT_EQ(Parent(), "R_FIRST ");
  Connect(*first);  // connecting again is no take-over
  EXPECT_FALSE(InterruptFileExists());
  Deliver(*first, "NEWIMAGE", {Ints({0, 4, 4, 1, 0}), ""});

  Renderer second("R_SECOND");
  Connect(second);
  EXPECT_TRUE(InterruptFileExists());
  EXPECT_EQ(Target().calls, (std::vector<std::string>{"new", "end"}));
  EXPECT_EQ(Parent(), "R_SECOND");
  EXPECT_EQ(Deliver(*first, "END_DISP", {"END_DISP"}), kDropped);
  EXPECT_EQ(Deliver(second, "NEWIMAGE", {Ints({0, 4, 4, 1, 0}), ""}), 0);

  // A parent that has gone is not interrupted.
  Renderer third("R_THIRD");
  {
    Renderer gone("R_GONE");
    Connect(gone);
  }
  unlink(KEPAteloInterruptPath().c_str());
  Target().calls.clear();
  Connect(third);
  EXPECT_FALSE(InterruptFileExists());
  EXPECT_TRUE(Target().calls.empty());
  // The first renderer connects again and is heard.
  Connect(*first);
  EXPECT_EQ(Deliver(*first, "END_DISP", {"END_DISP"}), 0);
}

TEST_F(LinkProtocol, QuittingTellsTheParentAndTheHost) {
  Renderer parent("R_PARENT");
  Connect(parent);
  Host().received.clear();
  KEPAteloLinkQuit();
  ASSERT_TRUE(PumpUntil([&] {
    parent.link.ProcessPending();
    Host().link.ProcessPending();
    return !parent.received.empty() && !Host().received.empty();
  }));
  std::string body = std::string("raycbendATV     KEPCOM  ") + std::string(4, '\0');
  EXPECT_EQ(parent.received[0], (std::pair<std::string, std::string>("raycbend", body)));
  EXPECT_EQ(Host().received[0], (std::pair<std::string, std::string>("TMOUTON ", "TMON")));
}

TEST(LinkInterrupt, TheFileGoesToTheHomeDirectoryOrTmp) {
  TempDir home;
  {
    ScopedHome scoped(home.Path());
    EXPECT_EQ(KEPAteloCreateInterruptFile(), 0);
    EXPECT_EQ(access(home.File(".virda_atelo.int").c_str(), F_OK), 0);
    FakeTarget target;
    InitKEPAtelo(&target);
    EXPECT_EQ(KEPAteloInterruptRendering(), 0);
    EXPECT_EQ(target.messages, std::vector<std::string>{"KEP 0.0 Int  : Interrupt performed \n"});
    InitKEPAtelo(nullptr);
  }
  ScopedHome scoped(home.File("missing"));
  testing::internal::CaptureStdout();
  EXPECT_EQ(KEPAteloCreateInterruptFile(), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "VIRDA Visualization Atelo : Can't interrupt Rendering process\n");
  unsetenv("HOME");
  testing::internal::CaptureStdout();
  EXPECT_EQ(KEPAteloInterruptPath(), "/tmp/.virda_atelo.int");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "VIRDA Visualization Atelo : Can not get home directory\n");
}

// The exact save of a valid frame after the same flood is checked end to
// end with the batch workbench.
TEST_F(LinkProtocol, TenThousandMalformedMessagesNeverReachTheDocument) {
  Renderer renderer("R_FAULT");
  Connect(renderer);
  long before = Handled();
  const int count = 10000;
  for (const auto& message : MalformedMessages(count, 20261205))
    renderer.Send(message.name.c_str(), message.parts);
  ASSERT_TRUE(PumpUntil([&] { return Handled() - before >= count; }, 60000));
  EXPECT_TRUE(Target().calls.empty())
      << Target().calls.size() << " forwarded, first " << Target().calls.front();
  EXPECT_EQ(Deliver(renderer, "END_DISP", {"END_DISP"}), 0);
}
