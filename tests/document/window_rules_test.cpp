#include <gtest/gtest.h>

#include "document/KEPAteloLastFiles.h"
#include "document/KEPAteloWindowRules.h"

namespace {

TEST(WindowRules, MarginsFollowTheToolbarsAndTheViewerKeepsWithinTheBounds) {
  using S = KEPAteloSettings;
  KEPAteloMargins m = ComputeMargins(false, S::DOCK_TOP, S::DOCK_BOTTOM, S::DOCK_RIGHT);
  EXPECT_EQ(std::vector<int>({m.vertical, m.horizontal, m.minimumWidth, m.minimumHeight}),
            std::vector<int>({187 + 51, 44 + 96, 744, 238 + 565}));
  m = ComputeMargins(false, S::DOCK_LEFT, S::DOCK_NONE, S::DOCK_TOP);
  EXPECT_EQ(std::vector<int>({m.vertical, m.horizontal, m.minimumWidth, m.minimumHeight}),
            std::vector<int>({142, 89, 430, 400}));
  // Hidden toolbars give the bare minimum, whatever their sides.
  m = ComputeMargins(true, S::DOCK_TOP, S::DOCK_BOTTOM, S::DOCK_RIGHT);
  for (auto [asked, fitted] : {std::pair{100, std::pair{386, 258}}, {2000, {1236, 882}}}) {
    int width = asked, height = asked;
    FitVisuSize(width, height, m, 0, 0);
    EXPECT_EQ(std::pair(width, height), fitted) << asked;
  }
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
