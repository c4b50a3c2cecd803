#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "series/KEPSeriesRules.h"

using namespace KEPSeriesRules;

TEST(SeriesLabel, RepeatedNamesTakeTheSmallestFreeNumber) {
  const std::string x = "/a/x.tif";
  EXPECT_EQ(MakeLabel(x, {}), x);
  EXPECT_EQ(MakeLabel(x, {x}), x + " <1>");
  EXPECT_EQ(MakeLabel(x, {x, x + " <1>"}), x + " <2>");
  EXPECT_EQ(MakeLabel(x, {x, x + " <2>"}), x + " <1>");  // a gap left by a closed image
  EXPECT_EQ(MakeLabel(x, {x + " <1>"}), x);              // only a line showing the very text counts
  EXPECT_EQ(MakeLabel("", {}), "Untitled");
  EXPECT_EQ(MakeLabel("", {"Untitled"}), "Untitled <1>");
}

TEST(SeriesStep, LoopSwingStereoAndShortSeries) {
  constexpr int B = DIRECTION_BACKWARD, F = DIRECTION_FORWARD, S = DIRECTION_STOPPED;
  struct Case {
    int count, current, direction;
    bool loop, stereo;
    int position, next;
  } cases[] = {
      // Swing turns back without showing an end twice: 4, 3, 2, 1, 2.
      {4, 4, F, false, false, 3, B},
      {4, 3, B, false, false, 2, B},
      {4, 2, B, false, false, 1, B},
      {4, 1, B, false, false, 2, F},
      {4, 4, F, true, false, 1, F},
      {4, 1, B, true, false, 4, B},
      // Stereo steps by pairs and stays on the same eye when wrapping.
      {6, 1, F, true, true, 3, F},
      {6, 5, F, true, true, 1, F},
      {6, 6, F, true, true, 2, F},
      {6, 1, B, true, true, 5, B},
      {6, 2, B, true, true, 6, B},
      {6, 6, F, false, true, 4, B},
      // Short series stay in range.
      {0, 0, F, true, false, 0, F},
      {1, 1, F, false, false, 1, -1},
      {1, 1, B, false, false, 1, -1},
      {2, 1, F, false, true, 1, -1},
      {3, 2, S, true, false, 2, S},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.count << " images, from " << c.current << " dir " << c.direction
                 << (c.loop ? " loop" : " swing") << (c.stereo ? " stereo" : ""));
    Step s = NextStep(c.count, c.current, c.direction, c.loop, c.stereo);
    EXPECT_EQ(s.position, c.position);
    if (c.next != -1) {
      EXPECT_EQ(s.direction, c.next);
    }
  }
}

TEST(SeriesResolve, VariablesWorkingDirectoryAndFolding) {
  const std::string oldPwd = std::getenv("PWD") ? std::getenv("PWD") : "";
  setenv("ATELO_SERIES_DIR", "/data/pictures", 1);
  unsetenv("ATELO_SERIES_UNSET");
  setenv("PWD", "/home/me/work", 1);
  const char* cases[][2] = {
      {"$ATELO_SERIES_DIR/a.tif", "/data/pictures/a.tif"},
      {"/x/$ATELO_SERIES_DIR/a.tif", "/x/data/pictures/a.tif"},
      {"$ATELO_SERIES_UNSET/a.tif", "/a.tif"},
      {"a.tif", "/home/me/work/a.tif"},
      {"../b/./c.tif", "/home/me/b/c.tif"},
      {"/a/b/../../../c.tif", "/c.tif"},
      {"/a/./b/.//c.tif", "/a/b/c.tif"},
      {"/a/b/", "/a/b/"},
      {"/a/x..y/.z.tif", "/a/x..y/.z.tif"}};  // dots inside a name are no directories
  for (const auto& c : cases) EXPECT_EQ(ResolveFilename(c[0]), c[1]) << c[0];
  unsetenv("ATELO_SERIES_DIR");
  setenv("PWD", oldPwd.c_str(), 1);
}
