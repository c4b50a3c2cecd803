#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "platform/viewer/KEP2DViewpoint.h"
#include "platform/viewer/KEPCallbackList.h"

namespace {

TEST(Viewpoint, NotifiesOncePerRealChangeAndClampsZoom) {
  KEP2DViewpoint vp;
  int calls = 0;
  vp.Subscribe([&](KEP2DViewpoint&) { ++calls; });
  ASSERT_EQ(vp.SetZoomBounds(0.5f, 4.0f), 0);
  EXPECT_EQ(calls, 0);  // zoom 1 already inside
  vp.SetZoom(10.0f);
  EXPECT_EQ(vp.GetZoom(), 4.0f);
  EXPECT_EQ(calls, 1);
  vp.SetZoom(8.0f);  // clamps to the same value: no change
  EXPECT_EQ(calls, 1);
  vp.Set(KEPMathPoint2Df(3.0f, -2.0f), 0.1f);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(vp.GetZoom(), 0.5f);
  EXPECT_EQ(vp.GetOrigin(), KEPMathPoint2Df(3.0f, -2.0f));
  // Narrower bounds pull the zoom in and say so.
  vp.SetZoomBounds(1.0f, 2.0f);
  EXPECT_EQ(vp.GetZoom(), 1.0f);
  EXPECT_EQ(calls, 3);
}

TEST(Viewpoint, RefusesImpossibleValuesAndKeepsState) {
  KEP2DViewpoint vp;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float zoom : {0.0f, -2.0f, nan}) EXPECT_EQ(vp.SetZoom(zoom), -1) << zoom;
  EXPECT_EQ(vp.Set(KEPMathPoint2Df(nan, 0.0f), 1.0f), -1);
  for (auto [low, high] : {std::pair{2.0f, 1.0f}, {0.0f, 1.0f}})
    EXPECT_EQ(vp.SetZoomBounds(low, high), -1) << low << " " << high;
  EXPECT_EQ(vp.GetZoom(), 1.0f);
  EXPECT_EQ(vp.GetOrigin(), KEPMathPoint2Df());
}

TEST(CallbackList, CallbackMayRemoveItselfAndOthersDuringNotify) {
  KEPCallbackList<int> list;
  int first = 0, second = 0;
  int idSecond = 0;
  int idFirst = list.Add([&](int) {
    ++first;
    list.Remove(idSecond);
  });
  idSecond = list.Add([&](int) { ++second; });
  list.Notify(1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);  // removed before its turn
  EXPECT_TRUE(list.Remove(idFirst));
  EXPECT_FALSE(list.Remove(idFirst));
  EXPECT_EQ(list.Size(), 0);
}

}  // namespace
