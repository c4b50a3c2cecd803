// The drawing tools driven by pointer events on the real document's viewer,
// checked against the raster functions given the same points; the tool
// windows through their controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <functional>

#include "document/DocumentFixture.h"
#include "paint/KEPAteloColor.h"
#include "paint/KEPAteloToolsSetting.h"
#include "paint/KEPRaster.h"
#include "paint/KEPToolSample.h"

namespace {

using Points = std::vector<std::pair<float, float>>;
constexpr int kW = 40, kH = 30;
constexpr int kColour[4] = {200, 256, 10, 255};  // green left alone

class Tools : public DocumentFixture {
 protected:
  // Pictures whose pixel (c, r) is (c, r, 7 + i, 255), with the colour and
  // parameters above.
  KEPAteloDocument& Open(int images = 1) {
    DocumentFixture::Open(images == 1 ? std::vector<int>{7} : std::vector<int>{7, 8}, kW, kH);
    doc->SetDrawParams(2, 0.5f, 10, 12);
    doc->SetColor(kColour[0], kColour[1], kColour[2], kColour[3]);
    return *doc;
  }
  float Ox() const { return View(0, 0).x - 0.5f; }
  float Oy() const { return View(0, 0).y - 0.5f; }
};

TEST_F(Tools, EachToolDrawsWhatTheRasterFunctionsDrawAndOneUndoTakesItBack) {
  Open();
  const Bytes original = Pixels();
  auto polygon = [&](Bytes& b, Points pixels, int mode) {
    std::vector<float> view;
    for (auto [x, y] : pixels) view.insert(view.end(), {View(x, y).x, View(x, y).y});
    DrawPolygon(b, kW, kH, Ox(), Oy(), view, kColour, 2, 0.5f, mode);
  };
  auto circle = [&](Bytes& b, int mode) {
    DrawCircle(b, kW, kH, Ox(), Oy(), View(20, 15).x, View(20, 15).y, 6.0, kColour, 2, 0.5f, mode);
  };
  const Points corners = {{5, 5}, {20, 5}, {20, 15}, {5, 15}, {5, 5}};
  const struct {
    const char* button;
    Points path;  // one drag, or for the polygon one click per point
    std::function<void(Bytes&)> expect;
  } cases[] = {
      {"recButton", {{5, 5}, {12, 9}, {20, 15}}, [&](Bytes& b) { polygon(b, corners, 0); }},
      {"filledRecButton", {{20, 15}, {5, 5}}, [&](Bytes& b) { polygon(b, corners, 1); }},
      {"circleButton", {{20, 15}, {23, 17}, {26.4f, 15}}, [&](Bytes& b) { circle(b, 0); }},
      {"filledCircleButton", {{20, 15}, {26, 15}}, [&](Bytes& b) { circle(b, 1); }},
      {"segButton",
       {{3, 4}, {9, 9}, {30, 20}},
       [&](Bytes& b) { DrawSegment(b, kW, kH, kColour, 3, 4, 30, 20, 2, 0.5f); }},
      {"handButton",
       {{3, 4}, {10, 8}, {10, 8}, {25, 20}},
       [&](Bytes& b) {
         DrawMotif(b, kW, kH, kColour, 3, 4, 2, 0.5f);
         DrawSegment(b, kW, kH, kColour, 3, 4, 10, 8, 2, 0.5f);
         DrawSegment(b, kW, kH, kColour, 10, 8, 25, 20, 2, 0.5f);
       }},
      {"filledHandButton",
       {{5, 5}, {20, 5}, {20, 15}, {5, 15}},
       [&](Bytes& b) { polygon(b, corners, 1); }},
      {"filledSegButton",
       {{5, 5}, {20, 5}, {20, 15}, {5, 15}, {5, 5}},
       [&](Bytes& b) { polygon(b, corners, 1); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    Trigger(c.button);
    EXPECT_EQ(doc->GetViewer()->cursor().shape(), Qt::CrossCursor);
    if (c.button == std::string("filledSegButton"))
      for (auto [x, y] : c.path) Stroke({{x, y}});
    else
      Stroke(c.path);
    Bytes expected = original;
    c.expect(expected);
    EXPECT_NE(expected, original);
    EXPECT_EQ(Pixels(), expected);
    EXPECT_EQ(doc->GetObjectRep(), nullptr);  // the rubber band is gone
    Trigger("undoItem");
    EXPECT_EQ(Pixels(), original);
  }
  // A circle released where it was pressed has radius 0: nothing at all.
  Trigger("circleButton");
  Stroke({{20, 15}, {20.3f, 15.2f}});
  EXPECT_EQ(Image()->GetUndoState(), 2);
  Trigger("circleButton");  // released: the tool goes and so does its cursor
  EXPECT_EQ(doc->GetCurrentTool(), 0);
  EXPECT_EQ(doc->GetViewer()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Tools, APenStrokeSavesOnceAndMayStartOutsideTheImage) {
  Open();
  const Bytes original = Pixels();
  Trigger("handButton");
  Stroke({{10, 10}});  // a click: one motif
  Bytes expected = original;
  DrawMotif(expected, kW, kH, kColour, 10, 10, 2, 0.5f);
  EXPECT_EQ(Pixels(), expected);
  EXPECT_FALSE(Image()->IsSaved());  // closing will ask

  // Outside nothing changes and nothing is kept for undo, until the stroke
  // comes in: then it draws from its last point outside.
  Trigger("undoItem");
  Pointer(QEvent::MouseButtonPress, -6, 10);
  Pointer(QEvent::MouseMove, -3, 10);
  EXPECT_EQ(Image()->GetUndoState(), 2);
  Pointer(QEvent::MouseMove, 6, 10);
  Pointer(QEvent::MouseMove, 6, 20);
  Pointer(QEvent::MouseButtonRelease, 6, 20);
  expected = original;
  DrawSegment(expected, kW, kH, kColour, -3, 10, 6, 10, 2, 0.5f);
  DrawSegment(expected, kW, kH, kColour, 6, 10, 6, 20, 2, 0.5f);
  EXPECT_EQ(Pixels(), expected);
  Trigger("undoItem");  // the whole stroke at once
  EXPECT_EQ(Pixels(), original);
}

TEST_F(Tools, TheFillFillsOnlyWhatItChangesAndTheEraserRestores) {
  KEPAteloDocument& d = Open();
  const Bytes original = Pixels();
  d.SetDrawParams(2, 0.0f, 10, 12);
  Trigger("filledRecButton");
  Stroke({{5, 5}, {20, 15}});
  const Bytes square = Pixels();
  d.SetColor(0, 0, 256, 255);
  Trigger("paintButton");
  EXPECT_EQ(d.GetViewer()->cursor().shape(), Qt::BitmapCursor);
  Stroke({{8, 8}});
  Bytes expected = square;
  const unsigned char* seed = &square[(8 * kW + 8) * 4];
  const int old[4] = {seed[0], seed[1], seed[2], seed[3]};
  const int paint[4] = {0, 0, 256, 255};
  Paint(expected, kW, kH, 8, 8, old, paint);
  EXPECT_EQ(Pixels(), expected);

  // A pixel already of the colour, or a press off the image: nothing
  // changes and no undo copy is taken (Redo stays offered).
  Trigger("undoItem");
  for (auto [x, y] : Points{{8, 8}, {-2, 3}}) {
    d.SetColor(200, 256, 10, 256);
    Stroke({{x, y}});
    EXPECT_EQ(Pixels(), square);
    EXPECT_EQ(Image()->GetUndoState(), 2);
  }

  // The eraser gives the pixels of the undo copy back along its way (the
  // fill took one row of the square, its pixels differing in green).
  Trigger("redoItem");
  EXPECT_NE(Pixels(), square);
  d.SetDrawParams(7, 0.0f, 10, 12);
  Trigger("eraseButton");
  Stroke({{5, 8}, {20, 8}});
  EXPECT_EQ(Pixels(), square);
  // Once the undo copy is gone the eraser is released and greyed.
  Trigger("undoItem");
  EXPECT_FALSE(d.GetToolButton(1024)->isEnabled());
  EXPECT_EQ(d.GetCurrentTool(), 0);
  EXPECT_NE(Pixels(), original);
}

TEST_F(Tools, AStereoPairChangesAtTheSamePositions) {
  KEPAteloDocument& d = Open(2);
  d.SetDrawParams(1, 0.0f, 6, 20);
  Trigger("stereoItem");
  KEPAtelIma* partner = Image()->GetCoupledImage();
  ASSERT_NE(partner, nullptr);
  const Bytes before = Pixels(), partnerBefore = Pixels(partner);
  Trigger("handButton");
  Stroke({{3, 3}, {12, 25}});
  Trigger("sprayButton");
  Stroke({{20, 10}, {30, 12}, {33, 20}});
  const Bytes sprayed = Pixels(), partnerSprayed = Pixels(partner);
  Trigger("paintButton");
  Stroke({{36, 2}});
  const Bytes after = Pixels(), partnerAfter = Pixels(partner);
  int changed = 0;
  for (std::size_t p = 0; p < after.size(); p += 4) {
    const bool here = !std::equal(&after[p], &after[p + 4], &before[p]);
    const bool there = !std::equal(&partnerAfter[p], &partnerAfter[p + 4], &partnerBefore[p]);
    ASSERT_EQ(here, there) << p / 4 % kW << "," << p / 4 / kW;
    changed += here;
  }
  EXPECT_GT(changed, 100);
  Trigger("undoItem");
  EXPECT_EQ(Pixels(), sprayed);
  EXPECT_EQ(Pixels(partner), partnerSprayed);
}

TEST_F(Tools, EscapeDropsAPolygonBeingPlaced) {
  KEPAteloDocument& d = Open();
  Trigger("filledSegButton");
  for (auto [x, y] : Points{{5, 5}, {20, 5}}) Stroke({{x, y}});
  ASSERT_NE(d.GetObjectRep(), nullptr);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(d.GetViewer(), &escape);
  EXPECT_EQ(d.GetObjectRep(), nullptr);
  // The next click starts a new polygon.
  for (auto [x, y] : Points{{5, 5}, {20, 5}, {20, 15}, {5, 5}}) Stroke({{x, y}});
  EXPECT_EQ(Image()->GetUndoState(), 1);
}

TEST_F(Tools, ImpossibleParametersAndColoursAreRefused) {
  KEPAteloDocument& d = Open();
  // Thickness, blend, radius and density each out of range in turn.
  const std::tuple<int, float, int, int> refused[] = {{-1, 0.5f, 10, 12}, {9, 0.5f, 10, 12},
                                                      {2, 1.5f, 10, 12},  {2, 0.5f, -1, 12},
                                                      {2, 0.5f, 31, 12},  {2, 0.5f, 10, 1000}};
  for (auto [t, b, r, n] : refused) {
    d.SetDrawParams(t, b, r, n);
    int thickness, radius, density;
    float blend;
    d.GetDrawParams(thickness, blend, radius, density);
    EXPECT_EQ(std::make_tuple(thickness, blend, radius, density), std::make_tuple(2, 0.5f, 10, 12));
  }
  d.SetColor(300, 0, 0, 255);
  d.SetColor(0, -1, 0, 255);
  int c[4];
  d.GetColor(c[0], c[1], c[2], c[3]);
  EXPECT_EQ(std::vector<int>(c, c + 4), std::vector<int>(kColour, kColour + 4));
}

// --- tool windows ---------------------------------------------------------------------------

TEST_F(Tools, ToolSettingsShowTheSampleAndApplyOnlyOnOk) {
  KEPAteloDocument& d = Open();
  // The toolbar's view shows the tool's sample; a press on it opens the
  // settings.
  Trigger("segButton");
  Bytes view(90 * 80 * 4, d.GetToolViewBackground());
  DrawToolbarSample(view, 90, 80, KEP_SAMPLE_LINE, kColour, {2, 0.5f, 10, 12}, 0, view[0]);
  EXPECT_EQ(d.GetToolViewPixels(), view);
  auto* toolViewer = d.findChild<KEP2DViewer*>("toolViewer");
  ASSERT_NE(toolViewer, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(40, 40),
                    toolViewer->mapToGlobal(QPointF(40, 40)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(toolViewer, &press);
  Trigger("sprayButton");
  KEPAteloToolsSetting* settings = d.GetToolsSettingDialog();
  ASSERT_TRUE(settings && settings->isVisible());
  auto slider = [&](const char* name) { return settings->findChild<QSlider*>(name); };
  EXPECT_FALSE(slider("thicknessSlider")->isEnabled());
  EXPECT_TRUE(slider("densitySlider")->isEnabled());
  Trigger("handButton");  // the window follows the tool
  EXPECT_TRUE(slider("thicknessSlider")->isEnabled());
  EXPECT_FALSE(slider("radiusSlider")->isEnabled());
  slider("thicknessSlider")->setValue(5);
  slider("blendSlider")->setValue(15);
  Bytes sample(160 * 100 * 4, 255);
  const int black[4] = {0, 0, 0, 255};
  DrawToolSample(sample, 160, 100, KEP_SAMPLE_HAND, black, {5, 0.9375f, 10, 12});
  EXPECT_EQ(settings->GetPreview(), sample);

  settings->findChild<QPushButton*>("cancelBtn")->click();  // dropped
  int thickness, radius, density;
  float blend;
  d.GetDrawParams(thickness, blend, radius, density);
  EXPECT_EQ(thickness, 2);
  EXPECT_FALSE(settings->isVisible());
  Trigger("toolsSetupItem");
  EXPECT_EQ(slider("blendSlider")->value(), 1);  // the stored 0.5 shown as its step
  slider("blendSlider")->setValue(15);
  settings->findChild<QPushButton*>("okBtn")->click();
  d.GetDrawParams(thickness, blend, radius, density);
  EXPECT_EQ(blend, 0.9375f);
}

TEST_F(Tools, TheColorChooserSwitchesChannelsSamplesAndMatches) {
  KEPAteloDocument& d = Open();
  const Bytes original = Pixels();
  Trigger("colorButton");
  KEPAteloColor* chooser = d.GetColorDialog();
  ASSERT_TRUE(chooser && chooser->isVisible());
  auto child = [&](const char* name) { return chooser->findChild<QWidget*>(name); };
  // Red off: the swatch shows red rising from row to row.
  static_cast<QCheckBox*>(child("redChk"))->setChecked(false);
  EXPECT_FALSE(child("redSlider")->isEnabled());
  static_cast<QCheckBox*>(child("greenChk"))->setChecked(true);  // off in the document's
  static_cast<QSpinBox*>(child("blueSpinner"))->setValue(99);
  EXPECT_EQ(static_cast<QSlider*>(child("blueSlider"))->value(), 99);
  const Bytes& swatch = chooser->GetSwatch();
  EXPECT_EQ(swatch[0], 0);
  EXPECT_EQ(swatch[43 * 44 * 4 + 4 * 20], 255 * 43 / 44);
  EXPECT_EQ(swatch[43 * 44 * 4 + 4 * 20 + 2], 99);
  static_cast<QPushButton*>(child("okBtn"))->click();
  int c[4];
  d.GetColor(c[0], c[1], c[2], c[3]);
  EXPECT_EQ(std::vector<int>(c, c + 4), (std::vector<int>{256, 0, 99, 255}));

  // Sample: the press takes the pixel's colour in the channels switched on;
  // then the tool from before comes back.
  Trigger("handButton");
  auto* sample = static_cast<QPushButton*>(child("sampleColorBtn"));
  sample->click();
  EXPECT_EQ(d.GetCurrentTool(), KEPAteloDocument::TOOL_SAMPLE_COLOR);
  Stroke({{12, 3}});
  Stroke({{-5, 3}});  // off the image: nothing
  chooser->GetColor(c[0], c[1], c[2], c[3]);
  EXPECT_EQ(std::vector<int>(c, c + 4), (std::vector<int>{256, 3, 7, 255}));
  sample->click();
  EXPECT_EQ(d.GetCurrentTool(), KEPAteloDocument::TOOL_HAND);
  EXPECT_TRUE(d.GetToolButton(KEPAteloDocument::TOOL_HAND)->isChecked());

  // Match: every pixel of the sampled green and blue takes the paint colour
  // (the blue of the spinner), red untouched; a second Match finds nothing
  // new and keeps no undo copy.
  static_cast<QSpinBox*>(child("blueSpinner"))->setValue(50);
  static_cast<QPushButton*>(child("matchBtn"))->click();
  Bytes expected = original;
  for (int x = 0; x < kW; ++x) expected[(3 * kW + x) * 4 + 2] = 50;
  EXPECT_EQ(Pixels(), expected);
  Trigger("undoItem");
  static_cast<QPushButton*>(child("matchBtn"))->click();
  EXPECT_EQ(Pixels(), original);
  EXPECT_EQ(Image()->GetUndoState(), 2);

  // A transparent pixel turns "Transparent" on; another tool releases Sample.
  Image()->GetPixels()[(4 * kW + 4) * 4 + 3] = 0;
  sample->click();
  Stroke({{4, 4}});
  EXPECT_TRUE(static_cast<QCheckBox*>(child("transparentChk"))->isChecked());
  Trigger("recButton");
  EXPECT_FALSE(sample->isChecked());
  EXPECT_EQ(d.GetCurrentTool(), KEPAteloDocument::TOOL_RECTANGLE);
}

}  // namespace
