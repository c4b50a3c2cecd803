#include <gtest/gtest.h>

#include <QRegion>
#include <cmath>
#include <memory>

#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DFloatingPixelRep.h"
#include "platform/viewer/KEP2DLineGP.h"
#include "platform/viewer/KEP2DRectangleGP.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "platform/viewer/ViewerTestSupport.h"

namespace {

const QRgb kClear = qRgb(1, 2, 3);

struct Fixture : ::testing::Test {
  Fixture() : viewer(nullptr, 64, 48) { viewer.SetClearColour(QColor(kClear)); }
  KEP2DViewer viewer;
};

using ViewerDisplay = Fixture;

TEST_F(ViewerDisplay, ViewAndWidgetCoordinatesMeetWithYUp) {
  viewer.resize(200, 100);
  EXPECT_EQ(viewer.ViewToWidget(KEPMathPoint2Df(0, 0)), QPointF(100, 50));
  EXPECT_EQ(viewer.ViewToWidget(KEPMathPoint2Df(10, 20)), QPointF(110, 30));
  viewer.GetViewpoint().Set(KEPMathPoint2Df(5, 5), 2.0f);
  EXPECT_EQ(viewer.ViewToWidget(KEPMathPoint2Df(5, 5)), QPointF(100, 50));
  EXPECT_EQ(viewer.ViewToWidget(KEPMathPoint2Df(6, 4)), QPointF(102, 52));
  EXPECT_EQ(viewer.WidgetToView(QPointF(102, 52)), KEPMathPoint2Df(6, 4));
}

// Every widget pixel shows the image pixel under its centre: (floor(x -
// origin x), floor(y - origin y)) of the view point there. The buffer's
// first row is the bottom one, and magnified pixels stay crisp blocks.
TEST_F(ViewerDisplay, EachWidgetPixelShowsTheImagePixelUnderItsCentre) {
  std::vector<unsigned char> pixels = PlacePixels(13, 9);
  KEPCatalog2DImagePixelRep rep(pixels.data(), 13, 9, -6.5f, -4.0f);
  viewer.AddRep(&rep);
  // The origin keeps pixel centres off pixel edges, where float rounding
  // would decide.
  for (float zoom : {1.0f, 3.0f, 2.5f, 8.0f}) {
    viewer.GetViewpoint().Set(KEPMathPoint2Df(0.31f, -0.23f), zoom);
    QImage shot = Shot(viewer);
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        KEPMathPoint2Df v = viewer.WidgetToView(QPointF(x + 0.5, y + 0.5));
        int c = static_cast<int>(std::floor(v.x + 6.5f)),
            r = static_cast<int>(std::floor(v.y + 4.0f));
        QRgb want = c >= 0 && c < 13 && r >= 0 && r < 9 ? qRgb(c * 16, r * 16, 200) : kClear;
        ASSERT_EQ(shot.pixel(x, y), want) << zoom << " " << x << "," << y;
      }
    }
  }
}

TEST_F(ViewerDisplay, AlphaCountsOnlyAboveTheBackground) {
  std::vector<unsigned char> red = FlatPixels(8, 6, 255, 0, 0, 255);
  std::vector<unsigned char> clearBlue = FlatPixels(8, 6, 0, 0, 255, 0);
  KEPCatalog2DImagePixelRep background(red.data(), 8, 6, -4.0f, -3.0f);
  KEPCatalog2DImagePixelRep image(clearBlue.data(), 8, 6, -4.0f, -3.0f);
  viewer.SetBackgroundRep(&background);
  viewer.AddRep(&image);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), qRgb(0, 0, 255));  // normal: alpha ignored
  image.SetDrawMode(KEPCatalog2DImagePixelRep::kAboveBackground);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), qRgb(255, 0, 0));
}

TEST_F(ViewerDisplay, StereoModeShowsAnAnaglyphOfThePair) {
  std::vector<unsigned char> left = FlatPixels(4, 4, 200, 10, 20, 255);
  std::vector<unsigned char> right = FlatPixels(4, 4, 30, 150, 250, 255);
  KEPCatalog2DImagePixelRep rep(right.data(), 4, 4, -2.0f, -2.0f);
  rep.SetStereoPartner(left.data(), 1);  // this one is the right eye
  viewer.AddRep(&rep);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), qRgb(30, 150, 250));
  viewer.SetStereoMode(true);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), qRgb(200, 150, 250));
}

TEST_F(ViewerDisplay, PatchUpdateRepaintsOnlyThePatch) {
  viewer.resize(400, 300);
  std::vector<unsigned char> pixels = PlacePixels(100, 80);
  KEPCatalog2DImagePixelRep rep(pixels.data(), 100, 80, -50.0f, -40.0f);
  viewer.AddRep(&rep);
  viewer.GetViewpoint().SetZoom(2.0f);
  viewer.show();
  Settle();
  QRegion painted;
  viewer.SetPaintObserver([&](const QRegion& region) { painted += region; });
  // Pixels (10..17, 20..23) cover view x -40..-32, y -20..-16: widget x
  // 120..136, y 182..190 at zoom 2.
  pixels[(20 * 100 + 10) * 4] = 255;
  rep.UpdatePatch(10, 20, 8, 4);
  Settle();
  ASSERT_FALSE(painted.isEmpty());
  QRect bounds = painted.boundingRect();
  EXPECT_TRUE(bounds.contains(QRect(120, 182, 16, 8))) << bounds.x() << " " << bounds.y();
  EXPECT_LE(bounds.width(), 16 + 4);
  EXPECT_LE(bounds.height(), 8 + 4);
  EXPECT_EQ(Shot(viewer).pixel(121, 189), qRgb(255, 20 * 16 % 256, 200));
  viewer.hide();
}

TEST_F(ViewerDisplay, ZoomedOutDrawingFollowsPatchesAndWholeChanges) {
  // 256 x 192 at zoom 1/4 reads a quarter-size copy: 64 x 48, the viewer.
  std::vector<unsigned char> pixels = FlatPixels(256, 192, 10, 20, 30, 255);
  KEPCatalog2DImagePixelRep rep(pixels.data(), 256, 192, -128.0f, -96.0f);
  viewer.AddRep(&rep);
  viewer.GetViewpoint().SetZoom(0.25f);
  EXPECT_EQ(Shot(viewer).pixel(0, 47), qRgb(10, 20, 30));
  // The 4 x 4 pixels of the bottom-left corner become white.
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      for (int k = 0; k < 3; ++k) pixels[(r * 256 + c) * 4 + k] = 255;
    }
  }
  rep.UpdatePatch(0, 0, 4, 4);
  QImage shot = Shot(viewer);
  EXPECT_EQ(shot.pixel(0, 47), qRgb(255, 255, 255));
  EXPECT_EQ(shot.pixel(1, 47), qRgb(10, 20, 30));
  // A change of the whole buffer.
  std::fill(pixels.begin(), pixels.end(), 0);
  rep.UpdatePixels();
  EXPECT_EQ(Shot(viewer).pixel(30, 20), qRgb(0, 0, 0));
  // A quarter of a pixel stays visible as an average at zoom 1/2 (the
  // image's bottom-left corner put at the widget's).
  viewer.GetViewpoint().Set(KEPMathPoint2Df(-64.0f, -48.0f), 0.5f);
  pixels[0] = 255;
  rep.UpdatePatch(0, 0, 1, 1);
  EXPECT_EQ(Shot(viewer).pixel(0, 47), qRgb(64, 0, 0));
}

TEST_F(ViewerDisplay, FurtiveDrawingAndPixelBlocksGoAtTheNextRedraw) {
  KEP2DCustomRep outline(KEP2DGraphicAttributes{QColor(0, 255, 0), false, 1.0f, true});
  outline.AddPrimitive(
      std::make_unique<KEP2DRectangleGP>(KEPMathPoint2Df(-5, -5), KEPMathPoint2Df(5, 5)));
  viewer.DrawFurtive(outline);
  EXPECT_EQ(viewer.GetFurtiveCount(), 1);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), qRgb(0, 255, 0));
  viewer.Redraw();
  EXPECT_EQ(viewer.GetFurtiveCount(), 0);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), kClear);
  // A viewpoint change is a redraw too.
  viewer.DrawFurtive(outline);
  viewer.GetViewpoint().SetZoom(2.0f);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), kClear);
  // So does a block of pixels; impossible blocks are refused.
  std::vector<unsigned char> block = FlatPixels(4, 2, 9, 99, 199, 255);
  EXPECT_EQ(viewer.AddPixelBlock(-2.0f, -1.0f, 4, 2, block.data()), 0);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), qRgb(9, 99, 199));
  viewer.Redraw();
  EXPECT_EQ(Shot(viewer).pixel(32, 24), kClear);
  EXPECT_EQ(viewer.AddPixelBlock(0, 0, 0, 2, block.data()), -1);
  EXPECT_EQ(viewer.AddPixelBlock(0, 0, 4, 2, nullptr), -1);
  EXPECT_EQ(viewer.AddPixelBlock(0, 0, 100000, 2, block.data()), -1);
  EXPECT_EQ(viewer.AddPixelBlock(0, 0, 65535, 65535, block.data()), -1);  // over the cap
  EXPECT_EQ(viewer.GetPixelBlockCount(), 0);
}

TEST_F(ViewerDisplay, GridSegmentsLandOnPixelEdgesAndOnlyVisibleOnesAreDrawn) {
  // The grid of a 3 x 2 image: 4 vertical and 3 horizontal segments.
  std::vector<KEPMathPoint2Df> ends;
  for (int i = 0; i <= 3; ++i) ends.insert(ends.end(), {{float(i), 0.0f}, {float(i), 2.0f}});
  for (int j = 0; j <= 2; ++j) ends.insert(ends.end(), {{0.0f, float(j)}, {3.0f, float(j)}});
  KEP2DCustomRep grid(KEP2DGraphicAttributes{QColor(255, 255, 0), false, 1.0f, false});
  KEP2DLineGP* lines = grid.AddPrimitive(std::make_unique<KEP2DLineGP>(ends));
  EXPECT_EQ(lines->GetSegmentCount(), 7);
  viewer.AddRep(&grid);
  viewer.GetViewpoint().Set(KEPMathPoint2Df(1.5f, 1.0f), 8.0f);
  // View x = 1 is widget x 28; y = 1 is widget y 24.
  QImage shot = Shot(viewer);
  EXPECT_EQ(shot.pixel(28, 20), qRgb(255, 255, 0));
  EXPECT_EQ(shot.pixel(30, 24), qRgb(255, 255, 0));
  EXPECT_EQ(shot.pixel(31, 20), kClear);
  EXPECT_EQ(shot.pixel(30, 32), qRgb(255, 255, 0));  // bottom edge, y = 0
  EXPECT_EQ(grid.GetLocalBounds(), QRectF(0, 0, 3, 2));
  // Moved one unit right and one up, as a manipulator would.
  grid.SetTranslation(KEPMathPoint2Df(1, 1));
  shot = Shot(viewer);
  EXPECT_EQ(shot.pixel(36, 12), qRgb(255, 255, 0));
  EXPECT_EQ(shot.pixel(30, 32), kClear);  // the old bottom edge
}

TEST_F(ViewerDisplay, RepresentationsLeaveTheViewerWhenDeletedOrRemoved) {
  std::vector<unsigned char> pixels = FlatPixels(4, 4, 50, 60, 70, 255);
  auto rep = std::make_unique<KEPCatalog2DImagePixelRep>(pixels.data(), 4, 4, -2.0f, -2.0f);
  KEP2DCustomRep other;
  EXPECT_EQ(viewer.AddRep(rep.get()), 0);
  EXPECT_EQ(viewer.AddRep(rep.get()), 0);
  EXPECT_EQ(viewer.GetReps().size(), 1u);
  EXPECT_EQ(viewer.SetBackgroundRep(&other), 0);
  EXPECT_EQ(Shot(viewer).pixel(32, 24), qRgb(50, 60, 70));
  rep.reset();
  EXPECT_TRUE(viewer.GetReps().empty());
  EXPECT_EQ(Shot(viewer).pixel(32, 24), kClear);
  EXPECT_EQ(viewer.RemoveRep(&other), -1);  // it is the background, not in the list
  KEP2DViewer second;
  EXPECT_EQ(second.AddRep(&other), -1);  // belongs to the first viewer
  EXPECT_EQ(viewer.AddRep(nullptr), -1);
}

TEST_F(ViewerDisplay, ImageRepresentationRefusesImpossibleBuffers) {
  unsigned char one[4] = {1, 2, 3, 4};
  KEPCatalog2DImagePixelRep rep;
  EXPECT_EQ(rep.SetPixels(nullptr, 1, 1), -1);
  EXPECT_EQ(rep.SetPixels(one, 0, 1), -1);
  EXPECT_EQ(rep.SetPixels(one, 70000, 1), -1);
  EXPECT_TRUE(rep.GetLocalBounds().isNull());
  EXPECT_EQ(rep.SetPixels(one, 1, 1), 0);
  int c = -1, r = -1;
  rep.SetOrigin(10.0f, 20.0f);
  EXPECT_TRUE(rep.PixelAt(KEPMathPoint2Df(10.5f, 20.9f), c, r));
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
  EXPECT_FALSE(rep.PixelAt(KEPMathPoint2Df(9.99f, 20.5f), c, r));
  KEP2DFloatingPixelRep floating;
  EXPECT_EQ(floating.SetOwnedPixels(std::vector<unsigned char>(12), 2, 2), -1);
  EXPECT_TRUE(floating.GetLocalBounds().isNull());
}

}  // namespace
