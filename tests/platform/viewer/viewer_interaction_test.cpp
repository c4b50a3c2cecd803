#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMainWindow>
#include <QVBoxLayout>
#include <memory>
#include <utility>
#include <vector>

#include "platform/viewer/KEP2DFloatingPixelRep.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEP2DManipulator.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "platform/viewer/KEPNavigation2DViewer.h"
#include "platform/viewer/ViewerTestSupport.h"

namespace {

struct Gesture {
  std::vector<std::pair<int, KEPMathPoint2Df>> events;
};

void Record(KEP2DIndicator& indicator, Gesture& gesture) {
  for (auto e : {KEP2DIndicator::kBegin, KEP2DIndicator::kManipulate, KEP2DIndicator::kEnd}) {
    indicator.AddCallback(e, [&gesture, e](KEP2DIndicator&, const KEPMathPoint2Df& p) {
      gesture.events.push_back({e, p});
    });
  }
}

// A 200 x 100 viewer at zoom 1: widget (110, 40) is view (10, 10).
struct Interaction : ::testing::Test {
  Interaction() : viewer(nullptr, 200, 100), indicator(&viewer, "viewerIndicator") {
    viewer.SetBackgroundIndicator(&indicator);
  }
  KEPNavigation2DViewer viewer;
  KEP2DIndicator indicator;
};

TEST_F(Interaction, IndicatorDeliversPressDragReleaseInViewCoordinates) {
  Gesture g;
  Record(indicator, g);
  Drag(viewer, QPointF(110, 40), QPointF(130, 20));
  ASSERT_EQ(g.events.size(), 4u);
  EXPECT_EQ(g.events[0], std::make_pair(0, KEPMathPoint2Df(10, 10)));
  EXPECT_EQ(g.events[1], std::make_pair(1, KEPMathPoint2Df(20, 20)));
  EXPECT_EQ(g.events[2], std::make_pair(1, KEPMathPoint2Df(30, 30)));
  EXPECT_EQ(g.events[3], std::make_pair(2, KEPMathPoint2Df(30, 30)));
  // The transformation takes (1, 1) onto the pointer.
  EXPECT_EQ(indicator.GetCurrentTransformation().Apply(KEPMathPoint2Df(1, 1)),
            KEPMathPoint2Df(30, 30));
  EXPECT_FALSE(indicator.IsManipulating());

  // Zoomed and moved, the same press lands elsewhere in the view.
  viewer.GetViewpoint().Set(KEPMathPoint2Df(-4, 6), 4.0f);
  g.events.clear();
  Mouse(viewer, QEvent::MouseButtonPress, QPointF(110, 40), Qt::LeftButton, Qt::LeftButton);
  Mouse(viewer, QEvent::MouseButtonRelease, QPointF(110, 40), Qt::LeftButton, Qt::NoButton);
  ASSERT_EQ(g.events.size(), 2u);
  EXPECT_EQ(g.events[0].second, KEPMathPoint2Df(-1.5f, 8.5f));

  // A lost release does not block the next gesture.
  viewer.GetViewpoint().Set(KEPMathPoint2Df(0, 0), 1.0f);
  g.events.clear();
  Mouse(viewer, QEvent::MouseButtonPress, QPointF(110, 40), Qt::LeftButton, Qt::LeftButton);
  Drag(viewer, QPointF(120, 40), QPointF(130, 40));
  ASSERT_EQ(g.events.size(), 5u);
  EXPECT_EQ(g.events[1], std::make_pair(0, KEPMathPoint2Df(20, 10)));
  EXPECT_EQ(g.events[4].first, 2);
}

TEST_F(Interaction, RemovedCallbacksAndOtherButtonsReachNobody) {
  int calls = 0;
  int id = indicator.AddCallback(KEP2DIndicator::kBegin,
                                 [&](KEP2DIndicator&, const KEPMathPoint2Df&) { ++calls; });
  EXPECT_GT(id, 0);
  Mouse(viewer, QEvent::MouseButtonPress, QPointF(10, 10), Qt::RightButton, Qt::RightButton);
  Mouse(viewer, QEvent::MouseButtonRelease, QPointF(10, 10), Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(indicator.RemoveCallback(id));
  Drag(viewer, QPointF(10, 10), QPointF(20, 20));
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(indicator.RemoveCallback(id));
}

TEST_F(Interaction, IndicatorTellsWhichOfItsRepresentationsWasPressed) {
  std::vector<unsigned char> pixels = FlatPixels(20, 20, 1, 1, 1, 255);
  KEPCatalog2DImagePixelRep rep(pixels.data(), 20, 20, 0.0f, 0.0f);
  viewer.AddRep(&rep);
  EXPECT_EQ(indicator.AddRepToManipulate(&rep), 0);
  Drag(viewer, QPointF(105, 45), QPointF(106, 46));  // view (5, 5): on the image
  EXPECT_EQ(indicator.GetPickedRep(), &rep);
  Drag(viewer, QPointF(50, 45), QPointF(51, 46));  // left of it
  EXPECT_EQ(indicator.GetPickedRep(), nullptr);
  EXPECT_EQ(indicator.RemoveRepToManipulate(&rep), 0);
  EXPECT_EQ(indicator.RemoveRepToManipulate(&rep), -1);
  // A second indicator on the image takes presses on it from the background.
  KEP2DIndicator tools(&viewer, "tools");
  tools.AddRepToManipulate(&rep);
  Gesture onImage, elsewhere;
  Record(tools, onImage);
  Record(indicator, elsewhere);
  Drag(viewer, QPointF(105, 45), QPointF(106, 46));
  Drag(viewer, QPointF(50, 45), QPointF(51, 46));
  EXPECT_EQ(onImage.events.size(), 4u);
  EXPECT_EQ(elsewhere.events.size(), 4u);
}

TEST_F(Interaction, ManipulatorDragsItsRepresentationAndKeepsThePressFromIndicators) {
  std::vector<unsigned char> pixels = FlatPixels(10, 10, 255, 0, 0, 255);
  KEP2DFloatingPixelRep pasted(pixels.data(), 10, 10);
  viewer.AddRep(&pasted);
  KEP2DManipulator manipulator(&viewer, "clipboardRepManipulator", &pasted, 2);
  int begins = 0, moves = 0, ends = 0;
  manipulator.AddCallback(KEP2DManipulator::kBegin, [&](KEP2DManipulator&) { ++begins; });
  manipulator.AddCallback(KEP2DManipulator::kMove, [&](KEP2DManipulator&) { ++moves; });
  manipulator.AddCallback(KEP2DManipulator::kEnd, [&](KEP2DManipulator&) { ++ends; });
  Gesture background;
  Record(indicator, background);

  Drag(viewer, QPointF(105, 45), QPointF(125, 35));  // view (5, 5) to (25, 15)
  EXPECT_EQ(manipulator.GetPosition(), KEPMathPoint2Df(20, 10));
  EXPECT_EQ(begins, 1);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(background.events.empty());
  EXPECT_EQ(Shot(viewer).pixel(125, 35), qRgb(255, 0, 0));
  EXPECT_NE(Shot(viewer).pixel(105, 45), qRgb(255, 0, 0));

  // Where the object used to be, the press now goes to the indicator.
  Drag(viewer, QPointF(105, 45), QPointF(106, 45));
  EXPECT_EQ(background.events.size(), 4u);
  manipulator.SetPosition(KEPMathPoint2Df(-100, -100));
  EXPECT_EQ(pasted.GetTranslation(), KEPMathPoint2Df(-100, -100));
  EXPECT_EQ(begins, 1);  // placing is not dragging
}

TEST_F(Interaction, DeletedObjectsLeaveNoDanglingPointers) {
  auto rep = std::make_unique<KEP2DFloatingPixelRep>(FlatPixels(4, 4, 0, 0, 0, 255).data(), 4, 4);
  viewer.AddRep(rep.get());
  indicator.AddRepToManipulate(rep.get());
  auto manipulator = std::make_unique<KEP2DManipulator>(&viewer, "m", rep.get());
  rep.reset();
  EXPECT_EQ(manipulator->GetRep(), nullptr);
  EXPECT_TRUE(indicator.GetRepsToManipulate().empty());
  Drag(viewer, QPointF(101, 49), QPointF(102, 48));  // no crash, goes to the indicator
  EXPECT_EQ(indicator.GetPointer(), KEPMathPoint2Df(2, 2));

  // A handler may delete the manipulator of the gesture in progress.
  KEP2DFloatingPixelRep other(FlatPixels(4, 4, 0, 0, 0, 255).data(), 4, 4);
  viewer.AddRep(&other);
  manipulator->SetRep(&other);
  manipulator->AddCallback(KEP2DManipulator::kBegin,
                           [&](KEP2DManipulator&) { manipulator.reset(); });
  Drag(viewer, QPointF(101, 49), QPointF(102, 48));
  EXPECT_EQ(manipulator, nullptr);

  // Objects outliving their viewer.
  auto shortLived = std::make_unique<KEP2DViewer>();
  KEP2DIndicator orphan(shortLived.get(), "orphan");
  KEP2DFloatingPixelRep left(FlatPixels(1, 1, 0, 0, 0, 0).data(), 1, 1);
  shortLived->AddRep(&left);
  shortLived.reset();
  EXPECT_EQ(orphan.GetViewer(), nullptr);
  EXPECT_EQ(left.GetViewer(), nullptr);
  left.Invalidate();
}

TEST_F(Interaction, WheelZoomKeepsThePointUnderThePointerAndRespectsBounds) {
  const QPointF pointer(30, 70);
  const KEPMathPoint2Df before = viewer.WidgetToView(pointer);
  // delta, zoom after it
  for (auto [delta, zoom] : {std::pair{120, 1.25f}, {-240, 0.8f}}) {
    Wheel(viewer, pointer, delta);
    EXPECT_NEAR(viewer.GetViewpoint().GetZoom(), zoom, 1e-6);
    EXPECT_NEAR(viewer.WidgetToView(pointer).x, before.x, 1e-4);
    EXPECT_NEAR(viewer.WidgetToView(pointer).y, before.y, 1e-4);
  }
  viewer.GetViewpoint().SetZoomBounds(0.5f, 2.0f);
  for (int i = 0; i < 10; ++i) Wheel(viewer, pointer, 120);
  EXPECT_EQ(viewer.GetViewpoint().GetZoom(), 2.0f);
  EXPECT_NEAR(viewer.WidgetToView(pointer).x, before.x, 1e-3);
  EXPECT_NEAR(viewer.WidgetToView(pointer).y, before.y, 1e-3);
}

TEST_F(Interaction, MiddleButtonDragPansWithoutReachingTheIndicator) {
  Gesture g;
  Record(indicator, g);
  viewer.GetViewpoint().SetZoom(2.0f);
  Drag(viewer, QPointF(100, 50), QPointF(120, 60), Qt::MiddleButton);
  // The picture follows the pointer: 20 pixels right and 10 down at zoom 2.
  EXPECT_EQ(viewer.GetViewpoint().GetOrigin(), KEPMathPoint2Df(-10, 5));
  EXPECT_TRUE(g.events.empty());
  viewer.SetNavigation(false);
  Drag(viewer, QPointF(100, 50), QPointF(120, 60), Qt::MiddleButton);
  Wheel(viewer, QPointF(100, 50), 120);
  EXPECT_EQ(viewer.GetViewpoint().GetOrigin(), KEPMathPoint2Df(-10, 5));
  EXPECT_EQ(viewer.GetViewpoint().GetZoom(), 2.0f);
}

TEST(ViewerFraming, FitZoomIsTheSmallerRatioInSinglePrecision) {
  // graphic width, height, image width, height, zoom
  const float cases[][5] = {{800, 600, 1000, 500, 0.8f},
                            {800, 600, 100, 300, 2.0f},
                            {800, 600, 0, 300, 0.0f},
                            {0, 600, 10, 10, 0.0f}};
  for (const auto& c : cases)
    EXPECT_EQ(KEP2DViewer::FitZoom(c[0], c[1], int(c[2]), int(c[3])), c[4]) << c[2] << "x" << c[3];
}

TEST(ViewerFraming, ReframeDoesNothingWhenAlreadyThere) {
  KEP2DViewer viewer(nullptr, 100, 100);
  int changes = 0;
  viewer.GetViewpoint().Subscribe([&](KEP2DViewpoint&) { ++changes; });
  EXPECT_FALSE(viewer.Reframe());  // ((0, 0), 1) is where a viewer starts
  EXPECT_TRUE(viewer.Reframe(KEPMathPoint2Df(3, 4), 0.8f));
  EXPECT_EQ(viewer.GetViewpoint().GetZoom(), 0.8f);
  EXPECT_EQ(viewer.GetViewpoint().GetOrigin(), KEPMathPoint2Df(3, 4));
  EXPECT_FALSE(viewer.Reframe(KEPMathPoint2Df(3, 4), 0.8f));
  EXPECT_TRUE(viewer.Reframe(KEPMathPoint2Df(3, 4), 0.5f));
  EXPECT_TRUE(viewer.Reframe());
  EXPECT_EQ(changes, 3);
}

TEST(ViewerWindow, FullScreenLeavesTheLayoutAndEscapeBringsItBack) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* viewer = new KEP2DViewer(&window, 120, 80);
  layout->addWidget(viewer);
  window.show();
  Settle();
  std::vector<bool> changes;
  QObject::connect(viewer, &KEP2DViewer::FullScreenChanged,
                   [&](bool on) { changes.push_back(on); });
  viewer->SetFullScreen(true);
  Settle();
  EXPECT_TRUE(viewer->IsFullScreen());
  EXPECT_TRUE(viewer->isWindow());
  EXPECT_TRUE(viewer->windowState() & Qt::WindowFullScreen);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(viewer, &escape);
  Settle();
  EXPECT_FALSE(viewer->IsFullScreen());
  EXPECT_FALSE(viewer->isWindow());
  EXPECT_EQ(viewer->parentWidget(), &window);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
  // Escape outside full screen is left to others.
  QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(viewer, &again);
  EXPECT_FALSE(viewer->IsFullScreen());

  // Closing the full-screen window, as a window manager does, is Escape too.
  viewer->SetFullScreen(true);
  Settle();
  EXPECT_FALSE(viewer->close());
  Settle();
  EXPECT_FALSE(viewer->IsFullScreen());
  EXPECT_EQ(viewer->parentWidget(), &window);
  EXPECT_TRUE(viewer->isVisible());
}

TEST(ViewerWindow, CentralWidgetOfAMainWindowComesBackToItsPlace) {
  QMainWindow window;
  auto* viewer = new KEP2DViewer(&window, 120, 80);
  window.setCentralWidget(viewer);
  window.show();
  Settle();
  const QRect before = viewer->geometry();
  viewer->SetFullScreen(true);
  Settle();
  viewer->SetFullScreen(false);
  Settle();
  EXPECT_EQ(window.centralWidget(), viewer);
  EXPECT_EQ(viewer->geometry(), before);
}

TEST(ViewerWindow, ResizeIsAnnouncedWithTheGraphicSize) {
  KEP2DViewer viewer(nullptr, 100, 50);
  float w = 0, h = 0;
  QObject::connect(&viewer, &KEP2DViewer::GraphicSizeChanged, [&](float width, float height) {
    w = width;
    h = height;
  });
  viewer.show();
  viewer.resize(321, 123);
  Settle();
  EXPECT_EQ(w, 321.0f);
  EXPECT_EQ(h, 123.0f);
}

}  // namespace
