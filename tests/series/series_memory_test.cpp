// Labels counted rather than looked for line by line, and the series' part
// in the image memory budget.
#include <random>

#include "SeriesFixture.h"
#include "image/KEPImageMemory.h"
#include "series/KEPSeriesLabels.h"
#include "series/KEPSeriesRules.h"

namespace {

TEST(SeriesLabels, AgreeWithTheRuleThroughInsertionsRemovalsAndRenames) {
  // Names that collide with each other's numbered labels on purpose.
  const std::string names[] = {"a", "a", "a", "b", "", "a <1>", "a <2>", "Untitled <1>", "a <01>"};
  std::mt19937 random(7);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  KEPSeriesLabels labels;
  std::vector<std::string> lines;  // what each line shows
  for (int step = 0; step < 3000; ++step) {
    const std::string& name = names[pick(std::size(names))];
    // Put in (0), taken out (1) or renamed (2), its own line not counting.
    const std::size_t op = lines.empty() ? 0 : pick(3), at = pick(lines.size() + (op == 0));
    const std::string old = op ? lines[at] : "";
    if (op) lines.erase(lines.begin() + at);
    const std::string made = labels.Make(name, op ? &old : nullptr);
    if (op) labels.Remove(old);
    if (op == 1) continue;
    ASSERT_EQ(made, KEPSeriesRules::MakeLabel(name, lines)) << step;
    labels.Add(made);
    lines.insert(lines.begin() + at, made);
  }
}

TEST_F(SeriesTest, PastTheMemoryBudgetSavedImagesNotShownGiveTheirPixelsBackOldestFirst) {
  const std::uint64_t budget = KEPImageMemory::GetBudget();
  auto allow = [](std::uint64_t bytes) {
    KEPImageMemory::SetBudget(KEPImageMemory::GetInUse() + bytes);
  };
  Images saved;  // 100 x 100: 40,000 bytes each
  for (const char* name : {"first.tif", "second.tif", "third.tif", "twin.tif", "twin.tif"}) {
    saved.push_back(Add(dir.File(name)));
    saved.back()->AllocatePixels(100, 100);
    ASSERT_EQ(saved.back()->SaveImage(0, errmsg, 0), 0) << errmsg;
  }
  KEPAtelIma* unsaved = Add("/t/unsaved.tif");
  KEPAtelIma* rendering = Add("/t/rendering.tif", false);
  rendering->SetSaved();  // saved or not, an image still rendered keeps its pixels
  series->SelectImage(2);
  KEPAtelIma extra[4] = {{0, 0u}, {0, 0u}, {0, 0u}, {0, 0u}};
  allow(40000);  // within the budget nothing changes
  ASSERT_EQ(extra[0].AllocatePixels(100, 100), 0);
  // Beyond it the least recently shown saved image goes first, and only as
  // many as needed; images sharing their file, the current one, unsaved and
  // unfinished ones stay, and a new image is refused when nothing else can go.
  for (int i = 1; i < 4; ++i) {
    allow(10000);
    EXPECT_EQ(extra[i].AllocatePixels(100, 100) == 0, i < 3) << i;
  }
  EXPECT_EQ(saved[0]->GetPixels(), nullptr);
  EXPECT_EQ(saved[2]->GetPixels(), nullptr);
  for (KEPAtelIma* image : {saved[1], saved[3], saved[4], unsaved, rendering})
    EXPECT_NE(image->GetPixels(), nullptr);
  EXPECT_EQ(host.removedReps, (Images{saved[0], saved[2]}));
  // Shown again, a dropped image is read back, making room from the others.
  allow(0);
  series->SelectImage(1);
  EXPECT_NE(saved[0]->GetPixels(), nullptr);
  EXPECT_EQ(saved[1]->GetPixels(), nullptr);
  KEPImageMemory::SetBudget(budget);
}

}  // namespace
