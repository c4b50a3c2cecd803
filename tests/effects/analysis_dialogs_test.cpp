// The colour and luminosity analysis windows driven offscreen over a real
// document.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <cmath>
#include <cstring>

#include "document/DocumentFixture.h"
#include "effects/KEPAnalysisSwatch.h"
#include "effects/KEPAteloLight.h"
#include "effects/KEPAteloLuminosity.h"
#include "platform/viewer/KEP2DIndicator.h"

namespace {

constexpr int kWidth = 40, kHeight = 30;

// Left half pure red; right half greys from 60 to 136.
void WriteScene(const std::string& path) {
  WritePicture(path, kWidth, kHeight, [](int x, int, unsigned char* p) {
    const auto grey = static_cast<unsigned char>(60 + 4 * (x - kWidth / 2));
    p[0] = x < kWidth / 2 ? 255 : grey;
    p[1] = p[2] = x < kWidth / 2 ? 0 : grey;
    p[3] = 255;
  });
}

class AnalysisDialogs : public DocumentFixture {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    WriteScene(dir.File("scene.png"));
    WriteScene(dir.File("twin.png"));
    image = Make({dir.File("scene.png")}).GetPosImage(0);
    ASSERT_NE(image, nullptr);
    original = Current();
  }

  Bytes Current() const { return PixelsOf(image); }
  const unsigned char* Pixel(const Bytes& p, int x, int y) const {
    return &p[(static_cast<std::size_t>(y) * kWidth + x) * 4];
  }
  template <class T>
  T* Find(QWidget* dialog, const char* name) {
    T* widget = dialog->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // A value given to a slider as a key press gives it.
  void Slide(QWidget* dialog, const char* name, int value) {
    Find<QSlider>(dialog, name)->setValue(value);
  }
  void Type(QWidget* dialog, const char* name, const QString& text) {
    QLineEdit* editor = Find<QLineEdit>(dialog, name);
    editor->setText(text);
    emit editor->editingFinished();
  }
  void Click(QWidget* dialog, const char* name) { Find<QAbstractButton>(dialog, name)->click(); }

  KEPAtelIma* image = nullptr;
  Bytes original;
};

TEST_F(AnalysisDialogs, ColourAnalysisPreviewsCancelsAndAppliesWithUndoOnBothEyes) {
  std::vector<std::string> twinName{dir.File("twin.png")};
  ASSERT_EQ(doc->OpenFile(twinName, 0), 0);
  ASSERT_EQ(doc->GetPosImage(0), image);
  KEPAtelIma* twin = doc->GetPosImage(2) == image ? doc->GetPosImage(1) : doc->GetPosImage(2);
  if (!twin->GetPixels()) {  // a stereo pair shows both eyes: both are in memory
    int w = 0, h = 0;
    char error[KEP_ERRMSG_SIZE] = {0};
    ASSERT_EQ(twin->LoadPixels(w, h, error), 0) << error;
  }
  image->SetCoupledImage(twin);
  twin->SetCoupledImage(image);

  doc->LightAction();
  auto* dialog = doc->findChild<KEPAteloLight*>("lightDialog");
  ASSERT_TRUE(dialog && dialog->isVisible());
  EXPECT_EQ(image->GetUndoState(), 1);
  EXPECT_EQ(twin->GetUndoState(), 1);
  EXPECT_EQ(Find<KEPAnalysisSwatch>(dialog, "hueColorViewer")->GetColour(), QColor(255, 0, 0));

  Slide(dialog, "controlColorSlider", 120);  // matches become green
  EXPECT_EQ(Find<KEPAnalysisSwatch>(dialog, "controlColorViewer")->GetColour(), QColor(0, 255, 0));
  const Bytes& control = dialog->GetControlImage(true);
  EXPECT_EQ(control[1], 255);
  EXPECT_EQ(Current(), original);  // no preview yet

  Click(dialog, "previewCheckButton");
  EXPECT_EQ(Pixel(Current(), 3, 3)[1], 255);
  EXPECT_EQ(std::memcmp(Pixel(Current(), 30, 3), Pixel(original, 30, 3), 4), 0);
  image->SetSaved();  // Save As while the preview shows: the file holds the preview
  Click(dialog, "cancelBtn");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Current(), original);
  EXPECT_FALSE(image->IsSaved()) << "the pixels put back are not those of the file";
  EXPECT_TRUE(doc->FindAction("saveItem")->isEnabled());
  EXPECT_EQ(dialog->GetConfirmedSettings().control.GetHue(), 0.0f);

  doc->LightAction();
  EXPECT_EQ(dialog->GetSettings().control.GetHue(), 0.0f);  // the cancelled one is gone
  Slide(dialog, "controlColorSlider", 240);
  Click(dialog, "okBtn");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->GetConfirmedSettings().control.GetHue(), 240.0f);
  for (KEPAtelIma* eye : {image, twin}) {
    const unsigned char* p = eye->GetPixels();
    EXPECT_EQ(p[0] + p[1], 0);
    EXPECT_EQ(p[2], 255);
  }
  EXPECT_EQ(image->SwapUndo(), 2);
  EXPECT_EQ(Current(), original);
}

TEST_F(AnalysisDialogs, ColourAnalysisRefusesBadValuesAndKeepsTheStoredOnes) {
  doc->LightAction();
  auto* dialog = doc->findChild<KEPAteloLight*>("lightDialog");
  ASSERT_NE(dialog, nullptr);
  const KEPLightSettings before = dialog->GetSettings();
  struct {
    const char* control;
    const char* value;
    const char* warning;
    const char* shownAfter;
  } cases[] = {
      // 360, the hue's upper bound, is refused in the program test.
      {"hueEditor", "-1", "Hue value must bellow to 0-359(deg)", "0"},
      {"lightEditor", "101", "Light value must bellow to 0-100(deg)", "50"},
      {"lightEditor", "half", "Light value must bellow to 0-100(deg)", "50"},
      {"saturationEditor", "-3", "Saturation value must bellow to 0-100(deg)", "100"},
      {"huePrecisionSpinner", "181", "Hue Precision value must bellow to 0-180(deg)", "18"},
      {"lightPrecisionSpinner", "-1", "Light Precision value must bellow to 0-100(deg)", "10"},
      {"saturationPrecisionSpinner", "100.5",
       "Saturation Precision value must bellow to 0-100(deg)", "10"},
  };
  for (const auto& c : cases) {
    Prompt().Clear();
    if (auto* spinner = dialog->findChild<QDoubleSpinBox*>(c.control)) {
      spinner->setValue(QString(c.value).toDouble());
      EXPECT_EQ(spinner->text().toStdString(), c.shownAfter) << c.control;
    } else {
      Type(dialog, c.control, c.value);
      EXPECT_EQ(Find<QLineEdit>(dialog, c.control)->text().toStdString(), c.shownAfter);
    }
    ASSERT_EQ(Prompt().asked.size(), 1u) << c.control << " " << c.value;
    EXPECT_EQ(Prompt().asked[0].name, "warnDlg");
    EXPECT_EQ(Prompt().asked[0].text, c.warning);
  }
  auto stored = [](const KEPLightSettings& s) {
    return std::vector<float>{s.selected.GetHue(),        s.selected.GetLightness(),
                              s.selected.GetSaturation(), s.huePrecision,
                              s.lightPrecision,           s.saturationPrecision};
  };
  EXPECT_EQ(stored(dialog->GetSettings()), stored(before));

  Prompt().Clear();
  Type(dialog, "hueEditor", "359");
  Find<QDoubleSpinBox>(dialog, "huePrecisionSpinner")->setValue(90);
  EXPECT_TRUE(Prompt().asked.empty());
  EXPECT_EQ(dialog->GetSettings().selected.GetHue(), 359.0f);
  EXPECT_EQ(Find<QSlider>(dialog, "hueSlider")->value(), 359);
  EXPECT_FLOAT_EQ(dialog->GetSettings().huePrecision, 0.5f);
}

TEST_F(AnalysisDialogs, ColourAnalysisTakesTheColourClickedOnTheDocument) {
  doc->LightAction();
  auto* dialog = doc->findChild<KEPAteloLight*>("lightDialog");
  ASSERT_NE(dialog, nullptr);
  KEP2DIndicator* indicator = doc->GetViewerIndicator();
  // A grey has no hue: the hue test goes off, with a warning.
  indicator->Deliver(KEP2DIndicator::kBegin, View(30, 4), nullptr);
  indicator->Deliver(KEP2DIndicator::kEnd, View(30, 4), nullptr);
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].text,
            "Warning: Hue is undefined for this color, so it will be unchecked");
  EXPECT_FALSE(Find<QCheckBox>(dialog, "hueCheckButton")->isChecked());
  EXPECT_EQ(dialog->GetSettings().hueTest, 0);
  EXPECT_TRUE(Find<QLineEdit>(dialog, "hueEditor")->text().isEmpty());
  EXPECT_EQ(Find<QLineEdit>(dialog, "lightEditor")->text(), "39");  // 100 / 255
  EXPECT_EQ(Find<QLineEdit>(dialog, "saturationEditor")->text(), "0");

  indicator->Deliver(KEP2DIndicator::kBegin, View(2, 2), nullptr);
  EXPECT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Find<QLineEdit>(dialog, "hueEditor")->text(), "0");
  EXPECT_EQ(Find<QSlider>(dialog, "lightSlider")->value(), 50);
  EXPECT_EQ(Find<KEPAnalysisSwatch>(dialog, "hlsColorViewer")->GetColour(), QColor(255, 0, 0));
  Click(dialog, "cancelBtn");
  indicator->Deliver(KEP2DIndicator::kBegin, View(30, 4), nullptr);  // no longer listened to
  EXPECT_EQ(Prompt().asked.size(), 1u);
}

TEST_F(AnalysisDialogs, LuminosityAnalysisMeasuresShowsTheValueAndApplies) {
  doc->LuminosityAction();
  auto* dialog = doc->findChild<KEPAteloLuminosity*>("luminosityDialog");
  ASSERT_TRUE(dialog && dialog->isVisible());
  EXPECT_EQ(image->GetUndoState(), 1);
  EXPECT_GT(dialog->GetSmallest(), 0.2f);  // the darkest grey, 60 / 255
  EXPECT_LT(dialog->GetSmallest(), 0.3f);
  EXPECT_GT(dialog->GetLargest(), 0.4f);  // the lightest, 136 / 255

  // The value under the pointer, over the picture as it was opened.
  auto hover = [&](const KEPMathPoint2Df& at) {
    KEP2DViewer* viewer = doc->GetViewer();
    QMouseEvent move(QEvent::MouseMove, viewer->ViewToWidget(at), viewer->mapToGlobal(QPointF()),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewer, &move);
    return doc->GetStatusText().toStdString();
  };
  EXPECT_EQ(hover(View(5, 5)), "The luminosity value under the cursor is 30.0 %");
  EXPECT_EQ(hover(View(-3, 5)), "");
  Click(dialog, "distributionAnalysisRadioButton");
  EXPECT_FALSE(Find<QCheckBox>(dialog, "OutlinesCheckButton")->isEnabled());
  EXPECT_EQ(hover(View(5, 5)), "The contrast value under the cursor is 0.0 %");
  Click(dialog, "intensityAnalysisRadioButton");

  // The last active level cannot be switched off.
  Click(dialog, "Luminosity2CheckButton");
  Click(dialog, "Luminosity3CheckButton");
  EXPECT_FALSE(Find<QCheckBox>(dialog, "Luminosity1CheckButton")->isEnabled());
  Click(dialog, "Luminosity3CheckButton");
  EXPECT_TRUE(Find<QCheckBox>(dialog, "Luminosity1CheckButton")->isEnabled());

  Click(dialog, "autoAdjustmentPushButton");
  const float mn = dialog->GetSmallest(), mx = dialog->GetLargest();
  EXPECT_EQ(Find<QSlider>(dialog, "Luminosity1Slider")->value(), std::lround(mx * 100));
  EXPECT_EQ(Find<QSlider>(dialog, "Luminosity3Slider")->value(),
            std::lround(static_cast<float>((mn + mx) / 3.0) * 100));
  EXPECT_FLOAT_EQ(dialog->GetSettings().levels[2].GetLevel(),
                  Find<QSlider>(dialog, "Luminosity3Slider")->value() / 100.0f);
  Slide(dialog, "LuminosityFreqSlider", 6);
  Click(dialog, "OutlinesCheckButton");
  Click(dialog, "previewCheckButton");
  const Bytes previewed = Current();
  EXPECT_NE(previewed, original);
  EXPECT_EQ(hover(View(-3, 5)), "");
  Click(dialog, "okBtn");
  EXPECT_EQ(hover(View(5, 5)), "");  // no longer listened to
  // The program test checks the applied analysis against its settings; here
  // the confirmed settings are the ones previewed.
  EXPECT_EQ(dialog->GetConfirmedSettings().frequency, 6);
  EXPECT_EQ(Current(), previewed);
}

TEST_F(AnalysisDialogs, AnImageClosedUnderAnOpenWindowIsLetGo) {
  doc->LuminosityAction();
  auto* dialog = doc->findChild<KEPAteloLuminosity*>("luminosityDialog");
  ASSERT_NE(dialog, nullptr);
  Click(dialog, "previewCheckButton");
  Prompt().QueueAnswer(2);  // do not save the changed picture
  doc->CloseAction();
  ASSERT_EQ(doc->GetNbrImage(), 0);
  EXPECT_FALSE(dialog->isVisible());
  errmsg[0] = 0;
  doc->LuminosityAction();  // nothing to analyse
  EXPECT_STREQ(errmsg, "No image to analyse !\nSelect an image.");
  EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
