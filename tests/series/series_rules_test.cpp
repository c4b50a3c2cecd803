#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "series/KEPSeriesRules.h"

using namespace KEPSeriesRules;

TEST(SeriesLabel, RepeatedNamesTakeTheSmallestFreeNumber) {
  EXPECT_EQ(MakeLabel("/a/x.tif", {}), "/a/x.tif");
  EXPECT_EQ(MakeLabel("/a/x.tif", {"/a/x.tif"}), "/a/x.tif <1>");
  EXPECT_EQ(MakeLabel("/a/x.tif", {"/a/x.tif", "/a/x.tif <1>"}), "/a/x.tif <2>");
  // A gap left by a closed image is filled first.
  EXPECT_EQ(MakeLabel("/a/x.tif", {"/a/x.tif", "/a/x.tif <2>"}), "/a/x.tif <1>");
  // Only another line showing the very text counts.
  EXPECT_EQ(MakeLabel("/a/x.tif", {"/a/x.tif <1>"}), "/a/x.tif");
  EXPECT_EQ(MakeLabel("", {}), "Untitled");
  EXPECT_EQ(MakeLabel("", {"Untitled"}), "Untitled <1>");
}

TEST(SeriesStep, SwingTurnsBackWithoutShowingTheEndTwice) {
  // Four images, swing, forward from 4: 3 (backward), 2, 1, then 2 (forward).
  Step s = NextStep(4, 4, DIRECTION_FORWARD, false, false);
  EXPECT_EQ(s.position, 3);
  EXPECT_EQ(s.direction, DIRECTION_BACKWARD);
  s = NextStep(4, s.position, s.direction, false, false);
  EXPECT_EQ(s.position, 2);
  s = NextStep(4, s.position, s.direction, false, false);
  EXPECT_EQ(s.position, 1);
  s = NextStep(4, s.position, s.direction, false, false);
  EXPECT_EQ(s.position, 2);
  EXPECT_EQ(s.direction, DIRECTION_FORWARD);
}

TEST(SeriesStep, LoopWrapsAndStereoKeepsTheEye) {
  EXPECT_EQ(NextStep(4, 4, DIRECTION_FORWARD, true, false).position, 1);
  EXPECT_EQ(NextStep(4, 1, DIRECTION_BACKWARD, true, false).position, 4);
  EXPECT_EQ(NextStep(4, 2, DIRECTION_FORWARD, true, false).position, 3);
  // Stereo steps by pairs and stays on the same eye when wrapping.
  EXPECT_EQ(NextStep(6, 1, DIRECTION_FORWARD, true, true).position, 3);
  EXPECT_EQ(NextStep(6, 5, DIRECTION_FORWARD, true, true).position, 1);
  EXPECT_EQ(NextStep(6, 6, DIRECTION_FORWARD, true, true).position, 2);
  EXPECT_EQ(NextStep(6, 1, DIRECTION_BACKWARD, true, true).position, 5);
  EXPECT_EQ(NextStep(6, 2, DIRECTION_BACKWARD, true, true).position, 6);
  Step swing = NextStep(6, 6, DIRECTION_FORWARD, false, true);
  EXPECT_EQ(swing.position, 4);
  EXPECT_EQ(swing.direction, DIRECTION_BACKWARD);
}

TEST(SeriesStep, ShortSeriesStayInRange) {
  EXPECT_EQ(NextStep(0, 0, DIRECTION_FORWARD, true, false).position, 0);
  EXPECT_EQ(NextStep(1, 1, DIRECTION_FORWARD, false, false).position, 1);
  EXPECT_EQ(NextStep(1, 1, DIRECTION_BACKWARD, false, false).position, 1);
  EXPECT_EQ(NextStep(2, 1, DIRECTION_FORWARD, false, true).position, 1);
  Step stopped = NextStep(3, 2, DIRECTION_STOPPED, true, false);
  EXPECT_EQ(stopped.position, 2);
  EXPECT_EQ(stopped.direction, DIRECTION_STOPPED);
}

TEST(SeriesResolve, VariablesWorkingDirectoryAndFolding) {
  const std::string oldPwd = std::getenv("PWD") ? std::getenv("PWD") : "";
  setenv("ATELO_SERIES_DIR", "/data/pictures", 1);
  unsetenv("ATELO_SERIES_UNSET");
  setenv("PWD", "/home/me/work", 1);
  EXPECT_EQ(ResolveFilename("$ATELO_SERIES_DIR/a.tif"), "/data/pictures/a.tif");
  EXPECT_EQ(ResolveFilename("/x/$ATELO_SERIES_DIR/a.tif"), "/x/data/pictures/a.tif");
  EXPECT_EQ(ResolveFilename("$ATELO_SERIES_UNSET/a.tif"), "/a.tif");
  EXPECT_EQ(ResolveFilename("a.tif"), "/home/me/work/a.tif");
  EXPECT_EQ(ResolveFilename("../b/./c.tif"), "/home/me/b/c.tif");
  EXPECT_EQ(ResolveFilename("/a/b/../../../c.tif"), "/c.tif");
  EXPECT_EQ(ResolveFilename("/a/./b/.//c.tif"), "/a/b/c.tif");
  EXPECT_EQ(ResolveFilename("/a/b/"), "/a/b/");
  // Dots inside a name are not directories.
  EXPECT_EQ(ResolveFilename("/a/x..y/.z.tif"), "/a/x..y/.z.tif");
  unsetenv("ATELO_SERIES_DIR");
  setenv("PWD", oldPwd.c_str(), 1);
}
