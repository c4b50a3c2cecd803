#include <gtest/gtest.h>

#include "document/KEPAteloLastFiles.h"
#include "document/KEPAteloWindowRules.h"

namespace {

TEST(WindowRules, HiddenToolbarsGiveTheBareMinimum) {
  KEPAteloMargins margins =
      ComputeMargins(true, KEPAteloSettings::DOCK_TOP, KEPAteloSettings::DOCK_BOTTOM,
                     KEPAteloSettings::DOCK_RIGHT);
  int width = 100, height = 100;
  FitVisuSize(width, height, margins, 0, 0);
  EXPECT_EQ(width, 386);
  EXPECT_EQ(height, 258);
  width = height = 2000;
  FitVisuSize(width, height, margins, 0, 0);
  EXPECT_EQ(width, 1236);
  EXPECT_EQ(height, 882);
}

TEST(WindowRules, DockedToolbarsWidenMarginsAndMinimum) {
  KEPAteloMargins m = ComputeMargins(false, KEPAteloSettings::DOCK_TOP,
                                     KEPAteloSettings::DOCK_BOTTOM, KEPAteloSettings::DOCK_RIGHT);
  EXPECT_EQ(m.vertical, 187 + 51);
  EXPECT_EQ(m.horizontal, 44 + 96);
  EXPECT_EQ(m.minimumHeight, 238 + 565);
  EXPECT_EQ(m.minimumWidth, 744);
  m = ComputeMargins(false, KEPAteloSettings::DOCK_LEFT, KEPAteloSettings::DOCK_NONE,
                     KEPAteloSettings::DOCK_TOP);
  EXPECT_EQ(m.vertical, 142);
  EXPECT_EQ(m.horizontal, 89);
  EXPECT_EQ(m.minimumWidth, 430);
  EXPECT_EQ(m.minimumHeight, 400);
}

std::vector<std::string> Slots(const KEPAteloLastFiles& files) {
  return {files.Get(1), files.Get(2), files.Get(3)};
}

TEST(LastFiles, SlotRules) {
  KEPAteloLastFiles files;
  files.Update({"a", "b", "c"});
  EXPECT_EQ(Slots(files), (std::vector<std::string>{"a", "b", "c"}));
  // The name in slot 2 moves to slot 1 and slot 1 to slot 2; slot 3 stays.
  files.Update({"b"});
  EXPECT_EQ(Slots(files), (std::vector<std::string>{"b", "a", "c"}));
  // A new name pushes the others down.
  files.Update({"d"});
  EXPECT_EQ(Slots(files), (std::vector<std::string>{"d", "b", "a"}));
  // Failed names are skipped and take no slot.
  files.Update({"", "e", ""});
  EXPECT_EQ(Slots(files), (std::vector<std::string>{"e", "d", "b"}));
  files.Remove(1);
  EXPECT_EQ(Slots(files), (std::vector<std::string>{"d", "b", ""}));
  files.Remove(3);
  EXPECT_EQ(Slots(files), (std::vector<std::string>{"d", "b", ""}));
}

}  // namespace
