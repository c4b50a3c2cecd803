// Alpha over the checkerboard, and the pointer readout's notifications.
#include <gtest/gtest.h>

#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "platform/viewer/KEPPixelSampling.h"
#include "platform/viewer/ViewerTestSupport.h"

namespace {

QRgb Checker(int x, int y) {
  return ((x / kCheckerSquare) + (y / kCheckerSquare)) % 2 ? qRgb(153, 153, 153)
                                                           : qRgb(204, 204, 204);
}

// A 64 x 48 picture filling the viewer at zoom 1: transparent but for an
// opaque red column 10 and a half-transparent red column 20.
TEST(ViewerAlpha, TransparentPixelsShowTheCheckerboardWherePaintedFromAnyPiece) {
  KEP2DViewer viewer(nullptr, 64, 48);
  std::vector<unsigned char> pixels = FlatPixels(64, 48, 255, 0, 0, 0);
  for (int r = 0; r < 48; ++r) {
    pixels[(r * 64 + 10) * 4 + 3] = 255;
    pixels[(r * 64 + 20) * 4 + 3] = 128;
  }
  KEPCatalog2DImagePixelRep rep(pixels.data(), 64, 48, -32.0f, -24.0f);
  rep.SetDrawMode(KEPCatalog2DImagePixelRep::kOverCheckerboard);
  viewer.AddRep(&rep);
  QImage whole = Shot(viewer);
  for (int y = 0; y < 48; ++y) {
    ASSERT_EQ(whole.pixel(10, y), qRgb(255, 0, 0)) << y;
    ASSERT_EQ(whole.pixel(37, y), Checker(37, y)) << y;
    const int grey = qRed(Checker(20, y)) * 127 / 255;
    ASSERT_NEAR(qRed(whole.pixel(20, y)), 128 + grey, 1) << y;
    ASSERT_NEAR(qGreen(whole.pixel(20, y)), grey, 1) << y;
  }
  // A piece painted alone, from odd widget coordinates, keeps to the same
  // squares.
  QImage piece(64, 48, QImage::Format_RGB32);
  const QRect area(3, 5, 11, 13);
  viewer.render(&piece, QPoint(), QRegion(area));  // lands at (0, 0)
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      ASSERT_EQ(piece.pixel(x - area.left(), y - area.top()), whole.pixel(x, y)) << x << "," << y;
}

TEST(ViewerAlpha, ThePointerIsFollowedWithoutAButtonAndToldWhenItLeaves) {
  KEP2DViewer viewer(nullptr, 64, 48);
  viewer.GetViewpoint().Set(KEPMathPoint2Df(10, 10), 2.0f);
  std::vector<KEPMathPoint2Df> moved;
  int left = 0;
  QObject::connect(&viewer, &KEP2DViewer::PointerMoved,
                   [&](float x, float y) { moved.emplace_back(x, y); });
  QObject::connect(&viewer, &KEP2DViewer::PointerLeft, [&] { ++left; });
  Mouse(viewer, QEvent::MouseMove, QPointF(36, 20), Qt::NoButton, Qt::NoButton);
  Drag(viewer, QPointF(32, 24), QPointF(40, 24));
  ASSERT_EQ(moved.size(), 3u);  // the move, and the drag's two
  EXPECT_EQ(moved[0], KEPMathPoint2Df(12.0f, 12.0f));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&viewer, &leave);
  EXPECT_EQ(left, 1);
}

}  // namespace
