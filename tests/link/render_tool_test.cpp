#include <gtest/gtest.h>

#include <QProcess>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "atelo-render/KEPRenderPicture.h"
#include "atelo-render/KEPRenderTiles.h"
#include "link_support.h"

namespace {

// Every pixel of the area covered exactly once, nothing outside it.
void ExpectTiling(const std::vector<KEPRenderRect>& patches, const KEPRenderRect& area) {
  std::vector<int> hits(static_cast<std::size_t>(area.width) * area.height, 0);
  for (const auto& p : patches) {
    ASSERT_TRUE(p.x >= area.x && p.y >= area.y && p.x + p.width <= area.x + area.width &&
                p.y + p.height <= area.y + area.height);
    for (int y = p.y; y < p.y + p.height; ++y)
      for (int x = p.x; x < p.x + p.width; ++x) ++hits[(y - area.y) * area.width + (x - area.x)];
  }
  EXPECT_TRUE(std::all_of(hits.begin(), hits.end(), [](int h) { return h == 1; }));
}

long Count(const char* call) {
  return std::count(Target().calls.begin(), Target().calls.end(), call);
}

class RenderTool : public LinkProtocol {
 protected:
  // Starts atelo-render with the given options against this workbench.
  static std::unique_ptr<QProcess> Start(QStringList arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QString(std::getenv("ATELO_BINARY_DIR")) + "/bin/atelo-render",
                   QStringList{"-id", kWindow, "--quiet", "--timeout", "10000"} + arguments);
    EXPECT_TRUE(process->waitForStarted(10000));
    return process;
  }
  static int Wait(const std::unique_ptr<QProcess>& process) {
    EXPECT_TRUE(process->waitForFinished(20000));
    return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
  }
  static bool Ended() { return !Target().calls.empty() && Target().calls.back() == "end"; }
};

}  // namespace

TEST(RenderTiles, OrdersAndFramePartsTileTheArea) {
  KEPRenderRect area{3, 5, 50, 37};
  for (auto order : {KEPRenderOrder::Rows, KEPRenderOrder::Columns, KEPRenderOrder::Random,
                     KEPRenderOrder::Spiral}) {
    auto patches = KEPRenderPatches(area, 8, 16, order, 7);
    EXPECT_EQ(patches.size(), 7u * 3u);
    ExpectTiling(patches, area);
  }
  auto second = [&](KEPRenderOrder order) {
    auto rect = KEPRenderPatches(area, 8, 16, order, 0)[1];
    return std::make_pair(rect.x, rect.y);
  };
  EXPECT_EQ(second(KEPRenderOrder::Rows), std::make_pair(11, 5));
  EXPECT_EQ(second(KEPRenderOrder::Columns), std::make_pair(3, 21));
  auto centre = KEPRenderPatches({0, 0, 90, 90}, 10, 10, KEPRenderOrder::Spiral, 0)[0];
  EXPECT_EQ(std::make_pair(centre.x, centre.y), std::make_pair(40, 40));
  EXPECT_TRUE(KEPRenderPatches(area, 0, 8, KEPRenderOrder::Rows, 0).empty());

  std::vector<KEPRenderRect> parts;
  for (int p = 1; p <= 16; ++p) parts.push_back(KEPFramePartRect(p, 103, 70));
  ExpectTiling(parts, {0, 0, 103, 70});
  KEPRenderRect six = KEPFramePartRect(6, 103, 70), last = parts.back();
  EXPECT_EQ(std::vector<int>({six.x, six.y, last.width, last.height}),
            std::vector<int>({25, 17, 25 + 3, 17 + 2}));
}

TEST_F(RenderTool, StreamsAnAnimationFrameByFrame) {
  auto child = Start({"--size", "50x30", "--patch", "8", "--order", "random", "--frames", "2",
                      "--file-name", "/tmp/anim.tif"});
  ASSERT_TRUE(PumpUntil(Ended, 20000));
  EXPECT_EQ(Wait(child), 0);
  EXPECT_EQ(Target().calls.front(), "init");
  EXPECT_EQ(Count("new"), 2);
  EXPECT_EQ(Count("disp"), 2 * 7 * 4);
  EXPECT_EQ(Target().frame, 2);
  EXPECT_EQ(Target().name, "/tmp/anim.tif");
  EXPECT_EQ(Target().code, 1);
  EXPECT_EQ(Target().image, KEPGeneratePicture(50, 30, 1, 2).pixels);
  const auto& messages = Target().messages;
  for (const char* line : {"RC   0.0 progr: rendering\n", "RC   0.0 progr: 100.0%\n"})
    EXPECT_NE(std::find(messages.begin(), messages.end(), line), messages.end()) << line;
  EXPECT_EQ(messages.back(), "VIRD 0.0 end  : computation ended\n");
}

TEST_F(RenderTool, SendsOneFramePartWithItsNumberInTheDisplayCode) {
  auto child = Start({"--size", "40x40", "--patch", "4", "--part", "6", "--config", "10"});
  ASSERT_TRUE(PumpUntil(Ended, 20000));
  EXPECT_EQ(Wait(child), 0);
  EXPECT_EQ(Target().code, (6 << 24) | 10);
  EXPECT_EQ(Target().width, 40);
  // Only the part's 10 x 10 pixels at (10, 10) were sent.
  auto picture = KEPGeneratePicture(40, 40, 0, 1).pixels;
  std::vector<unsigned char> expected(picture.size(), 0);
  for (int y = 10; y < 20; ++y)
    std::copy_n(picture.begin() + (y * 40 + 10) * 4, 10 * 4, expected.begin() + (y * 40 + 10) * 4);
  EXPECT_TRUE(Target().image == expected);
}

// The interrupt the workbench leaves for the first renderer stops it, is
// taken away, and does not stop the second.
TEST_F(RenderTool, ASecondRendererTakesOverAndIsNotStoppedByTheInterruptMeantForTheFirst) {
  auto first = Start({"--name", "RND_ONE", "--size", "64x64", "--patch", "2", "--delay", "5"});
  ASSERT_TRUE(PumpUntil([] { return Count("disp") >= 3; }));
  auto second = Start({"--name", "RND_TWO", "--size", "16x16", "--patch", "4", "--delay", "20"});
  ASSERT_TRUE(PumpUntil([&] { return Parent() == "RND_TWO "; }));
  EXPECT_EQ(Wait(first), 0);
  EXPECT_LT(Count("disp"), 64 * 64 / 4) << "the first renderer did not stop";
  EXPECT_FALSE(InterruptFileExists()) << "the renderer takes the file away once obeyed";
  // Some of the second's patches may already have landed: the whole image
  // is the check that every one of them did.
  Target().calls.clear();
  ASSERT_TRUE(PumpUntil(Ended, 20000));
  EXPECT_EQ(Wait(second), 0);
  EXPECT_EQ(Target().image, KEPGeneratePicture(16, 16, 0, 1).pixels);
}

TEST_F(RenderTool, RefusesUnknownOptionsAndExplainsItself) {
  EXPECT_EQ(Wait(Start({"--bogus"})), 1);
  EXPECT_EQ(Wait(Start({"--order", "diagonal"})), 1);
  EXPECT_EQ(Wait(Start({"--help"})), 0);
}
