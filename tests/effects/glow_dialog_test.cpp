// The Glow Effect window over a real document, offscreen: picking the
// light's colour in the document's viewer, the controls and their
// parameters, the preview and its cache, the apply with its undo copy and
// interruption, and the errors.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <cmath>

#include "document/DocumentFixture.h"
#include "effects/KEPAteloGlow.h"
#include "effects/KEPAteloProgress.h"
#include "effects/KEPGlowPixelView.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "support/PumpUntil.h"

namespace {

constexpr unsigned char kLight[3] = {250, 240, 200};

// A dark w x h picture with a 3 x 3 light centred on (lx, ly).
void WriteLit(const std::string& path, int w, int h, int lx, int ly) {
  WritePicture(path, w, h, [=](int x, int y, unsigned char* p) {
    const bool light = std::abs(x - lx) <= 1 && std::abs(y - ly) <= 1;
    p[0] = light ? kLight[0] : static_cast<unsigned char>(x % 40);
    p[1] = light ? kLight[1] : static_cast<unsigned char>(y % 30);
    p[2] = light ? kLight[2] : 20;
    p[3] = 255;
  });
}

// A document whose selection is a rectangle, for the area tests.
class MaskedDocument : public KEPAteloDocument {
 public:
  using KEPAteloDocument::KEPAteloDocument;
  const unsigned char* GetSelectionMasque(int& x, int& y, int& width, int& height) const override {
    if (mask.empty()) return KEPAteloDocument::GetSelectionMasque(x, y, width, height);
    x = maskX, y = maskY, width = maskW, height = maskH;
    return mask.data();
  }
  std::vector<unsigned char> mask;
  int maskX = 0, maskY = 0, maskW = 0, maskH = 0;
};

class GlowDialog : public DocumentFixture {
 protected:
  KEPAteloGlow& Open(int w, int h, int lx, int ly) {
    WriteLit(dir.File("shot.png"), w, h, lx, ly);
    masked = &Make<MaskedDocument>({dir.File("shot.png")});
    image = Image();
    original = Pixels();
    return Show();
  }
  KEPAteloGlow& Show() {
    doc->GlowAction();
    auto* glow = doc->findChild<KEPAteloGlow*>("glowDialog");
    EXPECT_TRUE(glow && glow->isVisible());
    return *glow;
  }
  template <class T>
  T* Control(KEPAteloGlow& glow, const char* name) {
    T* control = glow.findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  // A press and release on image pixel (x, y) in the document's viewer.
  void PickInViewer(int x, int y) {
    doc->GetViewerIndicator()->Deliver(KEP2DIndicator::kBegin, View(x, y), nullptr);
    doc->GetViewerIndicator()->Deliver(KEP2DIndicator::kEnd, View(x, y), nullptr);
  }
  void Click(QWidget* widget, double x, double y) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, QPointF(x, y), widget->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
      QApplication::sendEvent(widget, &event);
    }
  }
  Bytes Pixels() const { return PixelsOf(image); }

  MaskedDocument* masked = nullptr;
  KEPAtelIma* image = nullptr;
  Bytes original;
};

TEST_F(GlowDialog, ShowsItsParametersOverAReducedOrMagnifiedArea) {
  KEPAteloGlow& glow = Open(400, 100, 300, 50);
  // Shown from the parameters, by the inverse mappings.
  for (auto [name, value] :
       {std::pair{"lsIntensSlider", 426}, {"flareDiffSlider", 100}, {"radLinesSlider", 50}})
    EXPECT_EQ(Control<QSlider>(glow, name)->value(), value) << name;
  EXPECT_EQ(Control<QSpinBox>(glow, "starEffectSpinner")->value(), 40);
  EXPECT_FALSE(Control<QPushButton>(glow, "haloVisuGetVBtn")->isEnabled());
  int zw = 0, zh = 0;
  float ratio = 0;
  glow.GetZoomedSize(zw, zh, ratio);
  EXPECT_EQ(std::vector<float>({1.0f * zw, 1.0f * zh, ratio}), std::vector<float>({200, 50, 0.5f}));
  EXPECT_EQ(glow.GetPreviewSizes().N, 25);
  EXPECT_FALSE(Control<KEPGlowPixelView>(glow, "hvViewer")->GetImage().isNull());

  // A small area is magnified, with the full kernel.
  KEPAteloGlow& small = Open(100, 100, 50, 50);
  small.GetZoomedSize(zw, zh, ratio);
  EXPECT_EQ(std::vector<float>({1.0f * zw, ratio}), std::vector<float>({200, 2.0f}));
  EXPECT_EQ(small.GetPreviewSizes().N, small.GetSizes().N);
}

TEST_F(GlowDialog, PicksTheLightInTheViewerWhileShown) {
  KEPAteloGlow& glow = Open(400, 100, 300, 50);
  PickInViewer(300, 50);
  int r, g, b;
  glow.GetSelectionColor(r, g, b);
  EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({250, 240, 200}));
  // Highlighted in the area's view (magenta by default).
  const QImage& shown = Control<KEPGlowPixelView>(glow, "scControlViewer")->GetImage();
  EXPECT_EQ(shown.pixel(150, 49 - 25), qRgb(255, 0, 255));
  PickInViewer(-5, 50);  // off the image: nothing changes
  glow.GetSelectionColor(r, g, b);
  EXPECT_EQ(r, 250);
  Control<QPushButton>(glow, "glowCancelBtn")->click();
  EXPECT_FALSE(glow.isVisible());
  PickInViewer(10, 10);
  glow.GetSelectionColor(r, g, b);
  EXPECT_EQ(r, 250);
}

TEST_F(GlowDialog, SlidersSpinnersAndDiscSetTheParameters) {
  KEPAteloGlow& glow = Open(400, 100, 300, 50);
  Control<QSlider>(glow, "lsIntensSlider")->setValue(500);
  EXPECT_EQ(glow.GetLightSource().intensity,
            static_cast<float>(std::pow(0.5, 10) * 99990000 + 10000));
  EXPECT_EQ(Control<QSpinBox>(glow, "lsIntensSpinner")->value(), 500);
  Control<QSpinBox>(glow, "flarePropSpinner")->setValue(50);
  EXPECT_EQ(Control<QSlider>(glow, "flarePropSlider")->value(), 50);
  EXPECT_FLOAT_EQ(glow.GetHalo().flareProportion, 18.75f);
  Control<QSlider>(glow, "flareDiffSlider")->setValue(0);
  EXPECT_FLOAT_EQ(glow.GetHalo().flareDiffusion, 0.3f);
  Control<QSlider>(glow, "radLinesSlider")->setValue(20);
  EXPECT_FLOAT_EQ(glow.GetHalo().radialLines, 3.0f);
  Control<QSlider>(glow, "haloSizeSlider")->setValue(200);
  EXPECT_EQ(glow.GetSizes().N, 201);
  EXPECT_EQ(glow.GetPreviewSizes().N, 101);
  Control<QSlider>(glow, "hcSlider")->setValue(120);
  int r = 0, g = 0, b = 0;
  glow.GetHighlightColor(r, g, b);
  EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({0, 255, 0}));

  auto* disc = Control<KEPGlowPixelView>(glow, "hueSatViewer");
  // The centre, beyond the rim on the left, half way up.
  const struct {
    double x, y;
    float hue, saturation;
  } clicks[] = {{60.5, 60.5, 0, 0}, {2.5, 60.5, 180, 1}, {60.5, 32.5, 90, 28 / 57.0f}};
  for (const auto& c : clicks) {
    Click(disc, c.x, c.y);
    EXPECT_NEAR(glow.GetLightSource().hue, c.hue, 1e-4) << c.x << "," << c.y;
    EXPECT_NEAR(glow.GetLightSource().saturation, c.saturation, 1e-6) << c.x << "," << c.y;
  }

  const KEPGlowLineValues before = glow.GetLineValues();
  Control<QPushButton>(glow, "DrawRLValuesBtn")->click();
  EXPECT_NE(before.value1[0], glow.GetLineValues().value1[0]);
}

TEST_F(GlowDialog, PreviewFollowsTheSlidersAndReusesItsWork) {
  KEPAteloGlow& glow = Open(400, 100, 300, 50);
  PickInViewer(300, 50);
  const std::vector<unsigned char> area = glow.GetPreviewPixels();
  Control<QCheckBox>(glow, "ResultPreviewRadBtnRT")->click();
  EXPECT_FALSE(Control<QPushButton>(glow, "ResultPreviewDoPBtn")->isEnabled());
  ASSERT_TRUE(PumpUntil([&] { return glow.GetPreviewCount() == 1 && !glow.IsPreviewRunning(); }));
  EXPECT_NE(glow.GetPreviewPixels(), area);
  // Only the combination reruns for a new intensity.
  Control<QSlider>(glow, "lsIntensSlider")->setValue(600);
  ASSERT_TRUE(PumpUntil([&] { return glow.GetPreviewCount() == 2 && !glow.IsPreviewRunning(); }));
  const std::vector<unsigned char> reused = glow.GetPreviewPixels();
  // Shown again, the window forgets its cache and builds everything anew.
  glow.HideAction();
  Show();
  ASSERT_TRUE(PumpUntil([&] { return glow.GetPreviewCount() == 3 && !glow.IsPreviewRunning(); }));
  EXPECT_EQ(glow.GetPreviewPixels(), reused);
}

TEST_F(GlowDialog, ARefreshDuringAPreviewRestartsIt) {
  KEPAteloGlow& glow = Open(400, 100, 300, 50);
  PickInViewer(300, 50);
  auto* refresh = Control<QPushButton>(glow, "ResultPreviewDoPBtn");
  refresh->click();
  EXPECT_TRUE(Control<QPushButton>(glow, "ResultPreviewInterruptBtn")->isEnabled());
  refresh->click();  // the first is stopped and run again
  ASSERT_TRUE(PumpUntil([&] { return !glow.IsPreviewRunning(); }));
  EXPECT_EQ(glow.GetPreviewCount(), 1);
  EXPECT_FALSE(Control<QPushButton>(glow, "ResultPreviewInterruptBtn")->isEnabled());
}

TEST_F(GlowDialog, AppliesToTheSelectedAreaAndUndoes) {
  KEPAteloGlow& glow = Open(400, 100, 300, 50);
  masked->mask.assign(200 * 100, 0);
  masked->maskX = 200, masked->maskW = 200, masked->maskH = 100;
  PickInViewer(300, 50);
  Control<QSlider>(glow, "lsIntensSlider")->setValue(700);
  Control<QPushButton>(glow, "glowOkBtn")->click();
  EXPECT_FALSE(glow.isVisible());
  ASSERT_TRUE(glow.GetProgress() && glow.GetProgress()->isVisible());
  ASSERT_TRUE(PumpUntil([&] { return !glow.IsApplyRunning(); }, 20000));
  EXPECT_FALSE(glow.GetProgress()->isVisible());
  const std::vector<unsigned char> glowed = Pixels();
  int changed = 0;
  for (int i = 0; i < 400 * 100; ++i) {
    const bool inside = i % 400 >= 200;
    for (int c = 0; c < 4; ++c) {
      if (glowed[4 * i + c] == original[4 * i + c]) continue;
      ASSERT_TRUE(inside && c < 3) << "pixel " << i % 400 << "," << i / 400 << " byte " << c;
      ++changed;
    }
  }
  EXPECT_GT(changed, 1000);
  EXPECT_TRUE(doc->findChild<QAction*>("undoItem")->isEnabled());
  EXPECT_EQ(image->SwapUndo(), 2);
  EXPECT_EQ(Pixels(), original);
}

TEST_F(GlowDialog, AnInterruptedApplyChangesNothing) {
  KEPAteloGlow& glow = Open(400, 100, 300, 50);
  PickInViewer(300, 50);
  Control<QSlider>(glow, "haloSizeSlider")->setValue(500);
  Control<QPushButton>(glow, "glowOkBtn")->click();
  QTimer::singleShot(0, [&] { glow.GetProgress()->findChild<QPushButton*>("okBtn")->click(); });
  ASSERT_TRUE(PumpUntil([&] { return !glow.IsApplyRunning(); }, 20000));
  EXPECT_EQ(Pixels(), original);
  EXPECT_FALSE(glow.GetProgress()->isVisible());
}

TEST_F(GlowDialog, BadInputChangesNothing) {
  // A colour that no pixel has: the image stays as it was.
  KEPAteloGlow& glow = Open(60, 40, 30, 20);
  glow.SetSelectionColor(1, 2, 3);
  Control<QPushButton>(glow, "glowOkBtn")->click();
  ASSERT_TRUE(PumpUntil([&] { return !glow.IsApplyRunning(); }));
  EXPECT_EQ(Pixels(), original);
  EXPECT_TRUE(Prompt().asked.empty());
  // No image at all.
  Make();
  KEPAteloGlow& empty = Show();
  Control<QPushButton>(empty, "glowOkBtn")->click();
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].name, "warnDlg");
  EXPECT_EQ(Prompt().asked[0].text, "No image on which do add glow !");
  EXPECT_FALSE(empty.IsApplyRunning());
}

}  // namespace
