#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "image/KEPAtelIma.h"
#include "paint/KEPRaster.h"

namespace {

using Positions = std::set<std::pair<int, int>>;

// An image record that only notes which pixels it is asked to erase.
class RecordingImage : public KEPAtelIma {
 public:
  RecordingImage(int w, int h) : KEPAtelIma(STATE_IN_MEMORY, 0), _w(w), _h(h) {}
  void GetSize(int& width, int& height) const override {
    width = _w;
    height = _h;
  }
  void ErasePixel(int x, int y) override {
    ++calls;
    erased.insert({x, y});
  }
  Positions erased;
  int calls = 0;

 private:
  int _w, _h;
};

TEST(Erase, PointErasesTheMotifInsideTheImage) {
  RecordingImage image(20, 20);
  ErasePt(image, 10, 10, 1);
  Positions square;
  for (int x = 9; x <= 11; ++x) {
    for (int y = 9; y <= 11; ++y) square.insert({x, y});
  }
  EXPECT_EQ(image.erased, square);
  EXPECT_EQ(image.calls, 9);

  RecordingImage corner(20, 20);
  ErasePt(corner, 0, 19, 8);
  EXPECT_EQ(corner.calls, 64);
  // A centre outside erases nothing, though the motif would reach in.
  RecordingImage outside(20, 20);
  ErasePt(outside, -1, 5, 8);
  EXPECT_EQ(outside.calls, 0);
}

TEST(Erase, SegmentSkipsItsFirstPosition) {
  RecordingImage image(10, 10);
  EraseSegment(image, 2, 2, 5, 2, 0);
  EXPECT_EQ(image.erased, (Positions{{3, 2}, {4, 2}, {5, 2}}));

  // From outside: the first position inside, (0, 4), is the one skipped.
  RecordingImage entering(10, 10);
  EraseSegment(entering, -3, 4, 2, 4, 0);
  EXPECT_EQ(entering.erased, (Positions{{1, 4}, {2, 4}}));

  RecordingImage idle(10, 10);
  EraseSegment(idle, 4, 4, 4, 4, 3);
  EraseSegment(idle, -5, -5, -1, 30, 3);
  EraseSegment(idle, 9, 0, 14, 0, 3);  // only one position inside
  EXPECT_EQ(idle.calls, 0);
}

}  // namespace
