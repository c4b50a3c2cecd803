#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "atelo-render/KEPRenderPicture.h"
#include "atelo-render/KEPRenderTiles.h"
#include "link/rikcb.h"
#include "link_support.h"

namespace {

// Every pixel of the area covered exactly once, nothing outside it.
void ExpectTiling(const std::vector<KEPRenderRect>& patches, const KEPRenderRect& area) {
  std::vector<int> hits(static_cast<std::size_t>(area.width) * area.height, 0);
  for (const auto& p : patches) {
    ASSERT_GE(p.x, area.x);
    ASSERT_GE(p.y, area.y);
    ASSERT_LE(p.x + p.width, area.x + area.width);
    ASSERT_LE(p.y + p.height, area.y + area.height);
    for (int y = p.y; y < p.y + p.height; ++y)
      for (int x = p.x; x < p.x + p.width; ++x) ++hits[(y - area.y) * area.width + (x - area.x)];
  }
  EXPECT_TRUE(std::all_of(hits.begin(), hits.end(), [](int h) { return h == 1; }));
}

class RenderTool : public LinkProtocol {
 protected:
  // Starts atelo-render with the given options against this workbench.
  pid_t Start(std::vector<std::string> arguments) {
    std::string program = std::string(std::getenv("ATELO_BINARY_DIR")) + "/bin/atelo-render";
    arguments.insert(arguments.begin(), {program, "-id", kWindow, "--quiet", "--timeout", "10000"});
    pid_t child = fork();
    if (child == 0) {
      std::vector<char*> argv;
      for (auto& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    return child;
  }
  static int Wait(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static bool Ended() {
    auto& calls = Target().calls;
    return !calls.empty() && calls.back() == "end";
  }
};

}  // namespace

TEST(RenderTiles, EveryOrderCoversTheAreaOnce) {
  KEPRenderRect area{3, 5, 50, 37};
  for (auto order : {KEPRenderOrder::Rows, KEPRenderOrder::Columns, KEPRenderOrder::Random,
                     KEPRenderOrder::Spiral}) {
    auto patches = KEPRenderPatches(area, 8, 16, order, 7);
    EXPECT_EQ(patches.size(), 7u * 3u);
    ExpectTiling(patches, area);
  }
  auto rows = KEPRenderPatches(area, 8, 16, KEPRenderOrder::Rows, 0);
  EXPECT_EQ(rows[1].x, 11);
  EXPECT_EQ(rows[1].y, 5);
  auto columns = KEPRenderPatches(area, 8, 16, KEPRenderOrder::Columns, 0);
  EXPECT_EQ(columns[1].x, 3);
  EXPECT_EQ(columns[1].y, 21);
  // The spiral starts in the middle.
  auto spiral = KEPRenderPatches({0, 0, 90, 90}, 10, 10, KEPRenderOrder::Spiral, 0);
  EXPECT_EQ(spiral[0].x, 40);
  EXPECT_EQ(spiral[0].y, 40);
  EXPECT_TRUE(KEPRenderPatches(area, 0, 8, KEPRenderOrder::Rows, 0).empty());
}

TEST(RenderTiles, FramePartsTileTheFrame) {
  std::vector<KEPRenderRect> parts;
  for (int p = 1; p <= 16; ++p) parts.push_back(KEPFramePartRect(p, 103, 70));
  ExpectTiling(parts, {0, 0, 103, 70});
  KEPRenderRect last = KEPFramePartRect(16, 103, 70);
  EXPECT_EQ(last.width, 25 + 3);
  EXPECT_EQ(last.height, 17 + 2);
  KEPRenderRect six = KEPFramePartRect(6, 103, 70);
  EXPECT_EQ(six.x, 25);
  EXPECT_EQ(six.y, 17);
}

TEST(RenderPicture, PatchesAreCutFromRowsBottomFirst) {
  KEPRenderPicture picture = KEPGeneratePicture(5, 4, 0, 10);
  ASSERT_EQ(picture.pixels.size(), 5u * 4u * 4u);
  auto patch = KEPCutPatch(picture, 1, 2, 3, 2);
  ASSERT_EQ(patch.size(), 24u);
  EXPECT_TRUE(
      std::equal(patch.begin(), patch.begin() + 12, picture.pixels.begin() + (2 * 5 + 1) * 4));
  EXPECT_TRUE(
      std::equal(patch.begin() + 12, patch.end(), picture.pixels.begin() + (3 * 5 + 1) * 4));
  EXPECT_NE(KEPGeneratePicture(5, 4, 1, 10).pixels, picture.pixels) << "the pattern moves";
}

TEST_F(RenderTool, StreamsAnAnimationFrameByFrame) {
  pid_t child = Start({"--size", "50x30", "--patch", "8", "--order", "random", "--frames", "2",
                       "--file-name", "/tmp/anim.tif"});
  ASSERT_TRUE(PumpUntil(Ended, 20000));
  EXPECT_EQ(Wait(child), 0);
  const auto& calls = Target().calls;
  EXPECT_EQ(calls.front(), "init");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "new"), 2);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "disp"), 2 * 7 * 4);
  EXPECT_EQ(Target().frame, 2);
  EXPECT_EQ(Target().name, "/tmp/anim.tif");
  EXPECT_EQ(Target().code, 1);
  EXPECT_EQ(Target().image, KEPGeneratePicture(50, 30, 1, 2).pixels);
  const auto& messages = Target().messages;
  auto has = [&](const char* text) {
    return std::find(messages.begin(), messages.end(), text) != messages.end();
  };
  EXPECT_TRUE(has("RC   0.0 progr: rendering\n"));
  EXPECT_TRUE(has("RC   0.0 progr: 100.0%\n"));
  EXPECT_EQ(messages.back(), "VIRD 0.0 end  : computation ended\n");
  char parent[9];
  rikidray(parent);
  EXPECT_EQ(std::string(parent, 3), "RND");
}

TEST_F(RenderTool, SendsOneFramePartWithItsNumberInTheDisplayCode) {
  pid_t child = Start({"--size", "40x40", "--patch", "4", "--part", "6", "--config", "10"});
  ASSERT_TRUE(PumpUntil(Ended, 20000));
  EXPECT_EQ(Wait(child), 0);
  EXPECT_EQ(Target().code, (6 << 24) | 10);
  EXPECT_EQ(Target().width, 40);
  // Only the part's 10 x 10 pixels at (10, 10) were sent.
  auto expected = KEPGeneratePicture(40, 40, 0, 1).pixels;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
      std::size_t at = (static_cast<std::size_t>(y) * 40 + x) * 4;
      ASSERT_EQ(Target().image[at + 3], inside ? 255 : 0) << x << "," << y;
      if (inside) {
        ASSERT_EQ(Target().image[at], expected[at]);
      }
    }
}

TEST_F(RenderTool, StopsWhenTheInterruptFileAppears) {
  pid_t child = Start({"--size", "64x64", "--patch", "4", "--delay", "5"});
  ASSERT_TRUE(PumpUntil([] {
    auto& calls = Target().calls;
    return std::count(calls.begin(), calls.end(), "disp") >= 5;
  }));
  EXPECT_EQ(KEPAteloInterruptRendering(), 0);
  ASSERT_TRUE(PumpUntil(Ended, 10000));
  EXPECT_EQ(Wait(child), 0);
  auto& calls = Target().calls;
  EXPECT_LT(std::count(calls.begin(), calls.end(), "disp"), 256);
  EXPECT_FALSE(InterruptFileExists()) << "the renderer takes the file away once obeyed";
}

TEST_F(RenderTool, ASecondRendererTakesOverAndIsNotStoppedByTheInterruptMeantForTheFirst) {
  pid_t first = Start({"--name", "RND_ONE", "--size", "64x64", "--patch", "2", "--delay", "5"});
  ASSERT_TRUE(PumpUntil([] {
    auto& calls = Target().calls;
    return std::count(calls.begin(), calls.end(), "disp") >= 3;
  }));
  pid_t second = Start({"--name", "RND_TWO", "--size", "16x16", "--patch", "4", "--delay", "20"});
  ASSERT_TRUE(PumpUntil([&] {
    char parent[9];
    rikidray(parent);
    return std::string(parent) == "RND_TWO ";
  }));
  EXPECT_EQ(Wait(first), 0);  // obeyed the interrupt
  Target().calls.clear();
  ASSERT_TRUE(PumpUntil(Ended, 20000));
  EXPECT_EQ(Wait(second), 0);
  EXPECT_EQ(std::count(Target().calls.begin(), Target().calls.end(), "disp"), 16);
  EXPECT_EQ(Target().image, KEPGeneratePicture(16, 16, 0, 1).pixels);
}

TEST_F(RenderTool, RefusesUnknownOptionsAndExplainsItself) {
  EXPECT_EQ(Wait(Start({"--bogus"})), 1);
  EXPECT_EQ(Wait(Start({"--order", "diagonal"})), 1);
  EXPECT_EQ(Wait(Start({"--help"})), 0);
}
