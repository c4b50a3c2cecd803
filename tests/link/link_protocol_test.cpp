#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/KEPAteloBridge.h"
#include "link/KEPAteloInterrupt.h"
#include "link/KEPAteloLinkSession.h"
#include "link/KEPAteloLinkState.h"
#include "link/KEPAteloRenderTarget.h"
#include "link/rikcb.h"
#include "link_support.h"
#include "platform/link/KEPLink.h"
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
  char parent[9];
  rikidray(parent);
  EXPECT_STREQ(parent, "LNK_0000");
}

TEST_F(LinkProtocol, InitDispAnswersAndChecksItsBody) {
  Renderer renderer("R_INIT");
  std::string names = std::string("hosta   ") + std::string(256, 'n');
  EXPECT_EQ(Deliver(renderer, "INITDISP", {Ints({5000, 1, 1}), names}), 0);
  EXPECT_EQ(Target().calls, std::vector<std::string>{"init"});
  std::vector<std::vector<unsigned char>> answer;
  ASSERT_EQ(renderer.link.ReceiveAnswer(kWindow, answer, 2000), 0);
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(std::string(answer[0].begin(), answer[0].end()), "INITDISP");
  EXPECT_EQ(answer[1].size(), 4u);
  EXPECT_EQ(Deliver(renderer, "INITDISP", {Ints({5000, 0, 0}), ""}), 0);

  Target().calls.clear();
  EXPECT_EQ(Deliver(renderer, "INITDISP", {Ints({5000, 0}), ""}), -1);         // short header
  EXPECT_EQ(Deliver(renderer, "INITDISP", {Ints({5000, 0, 0})}), -1);          // no names part
  EXPECT_EQ(Deliver(renderer, "INITDISP", {Ints({5000, 2, 1}), names}), -2);   // names short
  EXPECT_EQ(Deliver(renderer, "INITDISP", {Ints({5000, -1, 0}), ""}), -2);     // negative count
  EXPECT_EQ(Deliver(renderer, "INITDISP", {Ints({5000, 0, 0}), "", ""}), -2);  // extra part
  EXPECT_EQ(Deliver(renderer, "INITDISP", {}), -1);
  EXPECT_TRUE(Target().calls.empty());
}

TEST_F(LinkProtocol, NewImageCarriesItsNameInASecondPart) {
  Renderer renderer("R_NEW");
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({7, 64, 32, (3 << 24) | 1, 5}), "a.tif"}), 0);
  EXPECT_EQ(Target().name, "a.tif");
  EXPECT_EQ(Target().frame, 7);
  EXPECT_EQ(Target().width, 64);
  EXPECT_EQ(Target().height, 32);
  EXPECT_EQ(Target().code, (3 << 24) | 1);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, 0}), ""}), 0);
  EXPECT_EQ(Target().name, "");
  // An empty name may also come without its (empty) part.
  Target().name = "x";
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, 0})}), 0);
  EXPECT_EQ(Target().name, "");
  std::string longest(RIK_MAX_NAME, 'n');
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, RIK_MAX_NAME}), longest}), 0);
  EXPECT_EQ(Target().name, longest);

  Target().calls.clear();
  std::string tooLong(RIK_MAX_NAME + 1, 'n');
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, RIK_MAX_NAME + 1}), tooLong}), -1);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, 5}), "abc"}), -2);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, 3}), tooLong}), -2);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, 3})}), -2);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10}), ""}), -1);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, -8, 8, 10, 0}), ""}), -1);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 17 << 24, 0}), ""}), -1);
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({0, 8, 8, 10, 0}), "", ""}), -2);
  EXPECT_TRUE(Target().calls.empty());
}

TEST_F(LinkProtocol, DisplayHandsThePatchToTheDocument) {
  Renderer renderer("R_DISP");
  Deliver(renderer, "NEWIMAGE", {Ints({0, 4, 4, 1, 0}), ""});
  std::string pixels(2 * 2 * 4, '\x7f');
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({2, 2, 2, 2}), pixels}), 0);
  EXPECT_EQ(Target().image[(2 * 4 + 2) * 4], 0x7f);
  // The byte count is what arrived, the document decides about a mismatch.
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, 2, 2}), "abc"}), 0);

  Target().calls.clear();
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, 2, 2}) + pixels}), -1);  // one part
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, 2}), pixels}), -1);
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, 2, 2}), pixels, ""}), -2);
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, -2, -2}), pixels}), -1);
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, 65536, 65536}), pixels}), -1);
  EXPECT_TRUE(Target().calls.empty());
  Target().refuse = 1;
  EXPECT_EQ(Deliver(renderer, "DISPLAY ", {Ints({0, 0, 2, 2}), pixels}), -100);
}

TEST_F(LinkProtocol, MessagesAreCutAndFiltered) {
  Renderer renderer("R_MES");
  std::string full(256, 'm');
  EXPECT_EQ(Deliver(renderer, "MESSAGE ", {full}), 0);
  ASSERT_EQ(Target().messages.size(), 1u);
  EXPECT_EQ(Target().messages[0], std::string(255, 'm'));
  EXPECT_EQ(Deliver(renderer, "MESSAGE ", {full + "m"}), -1);
  EXPECT_EQ(Deliver(renderer, "MESSAGE ", {""}), -4);
  EXPECT_EQ(Deliver(renderer, "MESSAGE ", {}), -4);
  EXPECT_EQ(Deliver(renderer, "MESSAGE ", {"a", "b"}), -1);
  EXPECT_EQ(Target().messages.size(), 1u);

  // The echo level is read once; condensed mode goes through the filter.
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
            (std::vector<std::string>{std::string(255, 'm'),
                                      "RC   0.0 progr: rendering in progress....\n",
                                      "RC   0.0 progr: rendering done\n", "no newline"}));
}

TEST_F(LinkProtocol, PathAndEndDisp) {
  Renderer renderer("R_PATH");
  EXPECT_EQ(Deliver(renderer, "PATH    ", {"/tmp/x.tif"}), 0);
  EXPECT_EQ(Deliver(renderer, "PATH    ", {std::string(257, 'p')}), -1);
  EXPECT_EQ(Deliver(renderer, "PATH    ", {""}), -4);
  EXPECT_EQ(Deliver(renderer, "END_DISP", {"END_DISQ"}), -3);
  EXPECT_EQ(Deliver(renderer, "END_DISP", {"END_DIS"}), -1);
  EXPECT_EQ(Deliver(renderer, "END_DISP", {"END_DISPX"}), -1);
  EXPECT_EQ(Deliver(renderer, "END_DISP", {"END_", "DISP"}), -1);
  EXPECT_EQ(Deliver(renderer, "END_DISP", {"END_DISP"}), 0);
  EXPECT_EQ(Target().calls, (std::vector<std::string>{"path:/tmp/x.tif", "end"}));
}

TEST_F(LinkProtocol, DebugSwitchTracesOnStandardOutput) {
  Renderer renderer("R_DEBUG");
  std::string home = std::getenv("HOME");
  WriteWholeFile(home + "/rikdbg", "");
  testing::internal::CaptureStdout();
  Deliver(renderer, "END_DISP", {"END_DISP"});
  unlink((home + "/rikdbg").c_str());
  Deliver(renderer, "END_DISP", {"END_DISP"});  // still on: looked for once
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "rikcbend\nrikcbend\n");
  KEPAteloLinkState::Instance().Reset();
  testing::internal::CaptureStdout();
  Deliver(renderer, "END_DISP", {"END_DISP"});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(LinkProtocol, ASecondRendererTakesOverFromTheFirst) {
  auto first = std::make_unique<Renderer>("R_FIRST");
  EXPECT_EQ(Deliver(*first, "CONNEXIO", {Ints({LNK_REASON_CONNECT})}), 0);
  char parent[9];
  rikidray(parent);
  EXPECT_STREQ(parent, "R_FIRST ");
  // Connecting again is no take-over.
  EXPECT_EQ(Deliver(*first, "CONNEXIO", {Ints({LNK_REASON_CONNECT})}), 0);
  EXPECT_FALSE(InterruptFileExists());
  Deliver(*first, "NEWIMAGE", {Ints({0, 4, 4, 1, 0}), ""});

  Renderer second("R_SECOND");
  EXPECT_EQ(Deliver(second, "CONNEXIO", {Ints({LNK_REASON_CONNECT})}), 0);
  EXPECT_TRUE(InterruptFileExists());
  EXPECT_EQ(Target().calls, (std::vector<std::string>{"new", "end"}));
  rikidray(parent);
  EXPECT_STREQ(parent, "R_SECOND");
  EXPECT_EQ(Deliver(*first, "END_DISP", {"END_DISP"}), kDropped);
  EXPECT_EQ(Deliver(second, "NEWIMAGE", {Ints({0, 4, 4, 1, 0}), ""}), 0);
  EXPECT_EQ(Target().calls.back(), "new");

  // A parent that has gone is not interrupted.
  Renderer third("R_THIRD");
  {
    Renderer gone("R_GONE");
    Deliver(gone, "CONNEXIO", {Ints({LNK_REASON_CONNECT})});
  }
  unlink(KEPAteloInterruptPath().c_str());
  Target().calls.clear();
  EXPECT_EQ(Deliver(third, "CONNEXIO", {Ints({LNK_REASON_CONNECT})}), 0);
  EXPECT_FALSE(InterruptFileExists());
  EXPECT_TRUE(Target().calls.empty());
  // The first renderer connects again and is heard.
  EXPECT_EQ(Deliver(*first, "CONNEXIO", {Ints({LNK_REASON_CONNECT})}), 0);
  EXPECT_EQ(Deliver(*first, "END_DISP", {"END_DISP"}), 0);
}

TEST_F(LinkProtocol, QuittingTellsTheParentAndTheHost) {
  Renderer parent("R_PARENT");
  Deliver(parent, "CONNEXIO", {Ints({LNK_REASON_CONNECT})});
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
  {
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
}

TEST_F(LinkProtocol, TenThousandMalformedMessagesLeaveTheDocumentUntouched) {
  Renderer renderer("R_FAULT");
  Deliver(renderer, "CONNEXIO", {Ints({LNK_REASON_CONNECT})});
  long before = Handled();
  const int count = 10000;
  for (const auto& message : MalformedMessages(count, 20261205))
    renderer.Send(message.name.c_str(), message.parts);
  ASSERT_TRUE(PumpUntil([&] { return Handled() - before >= count; }, 60000));
  EXPECT_TRUE(Target().calls.empty())
      << Target().calls.size() << " forwarded, first " << Target().calls.front();

  // Then a proper frame arrives exactly.
  const int width = 37, height = 29, patch = 8;
  std::mt19937 random(7);
  std::string frame(width * height * 4, '\0');
  for (char& c : frame) c = static_cast<char>(random());
  EXPECT_EQ(Deliver(renderer, "NEWIMAGE", {Ints({3, width, height, 1, 0}), ""}), 0);
  for (int y = 0; y < height; y += patch)
    for (int x = 0; x < width; x += patch) {
      int nx = std::min(patch, width - x), ny = std::min(patch, height - y);
      std::string pixels;
      for (int j = 0; j < ny; ++j) pixels += frame.substr(((y + j) * width + x) * 4, nx * 4);
      ASSERT_EQ(Deliver(renderer, "DISPLAY ", {Ints({x, y, nx, ny}), pixels}), 0);
    }
  EXPECT_EQ(Deliver(renderer, "END_DISP", {"END_DISP"}), 0);
  EXPECT_EQ(std::string(Target().image.begin(), Target().image.end()), frame);
}
