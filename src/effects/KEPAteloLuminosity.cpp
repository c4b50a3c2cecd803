#include "effects/KEPAteloLuminosity.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "effects/KEPAnalysisControls.h"
#include "effects/KEPAnalysisSwatch.h"
#include "effects/KEPAnalysisView.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloDocumentHost.h"

using KEPAnalysisControls::Frame;
using KEPAnalysisControls::Named;
using KEPAnalysisControls::OnSlider;
using KEPAnalysisControls::SetQuietly;

namespace {

int SliderPercent(double value) {
  return static_cast<int>(std::lround(value * 100.0));
}

}  // namespace

KEPAteloLuminosity::KEPAteloLuminosity(KEPAteloDocumentHost* document, QWidget* parent)
    : KEPAnalysisDialog(document, parent) {
  KEP_TRACE(2, "(KEPAteloLuminosity::KEPAteloLuminosity)");
  setObjectName("luminosityDialog");
  setWindowTitle("Luminosity Analysis");
  InitSortedShadingStep();
  BuildWindow();
}

KEPAteloLuminosity::~KEPAteloLuminosity() {
  KEP_TRACE(2, "(KEPAteloLuminosity::~KEPAteloLuminosity)");
  // The document's images may already be gone; its viewer is checked.
  if (_viewer && _hoverId) _viewer->RemoveHoverCallback(_hoverId);
}

void KEPAteloLuminosity::BuildWindow() {
  auto* main = new QVBoxLayout(this);
  AddResultsControl(main, "Result Preview");

  auto* type = Frame("analysisType", "Analysis Type");
  auto* typeBox = new QHBoxLayout(type);
  _luminosityRadio = Named(new QRadioButton("Luminosity"), "intensityAnalysisRadioButton");
  _contrastRadio = Named(new QRadioButton("Contrast"), "distributionAnalysisRadioButton");
  typeBox->addWidget(_luminosityRadio);
  typeBox->addWidget(_contrastRadio);
  main->addWidget(type);

  auto* parameters = Frame("analysisParameters", "Analysis Parameters");
  auto* grid = new QGridLayout(parameters);
  grid->addWidget(Named(new QLabel("Freq.:  "), "LuminosityFreqLabel"), 0, 0);
  _frequencySlider =
      KEPAnalysisControls::Slider("LuminosityFreqSlider", KEPLuminositySettings::kMinFrequency,
                                  KEPLuminositySettings::kMaxFrequency);
  grid->addWidget(_frequencySlider, 0, 1, 1, 2);
  _outlinesCheck = Named(new QCheckBox("Outlines    "), "OutlinesCheckButton");
  grid->addWidget(_outlinesCheck, 1, 0, 1, 3);

  // The shading bar with its scale, beside the three levels.
  auto* bar = new QGridLayout;
  bar->addWidget(Named(new QLabel("Intensity:     "), "lumLabel"), 0, 0, 1, 2);
  _shadingViewer = new KEPAnalysisView(parameters, KEPLuminosityAnalysis::kBarWidth,
                                       KEPLuminosityAnalysis::kBarHeight);
  _shadingViewer->setObjectName("ColorShadingViewer");
  bar->addWidget(_shadingViewer, 1, 0, 2, 1);
  bar->addWidget(Named(new QLabel("100%"), "maxLumLabel"), 1, 1, Qt::AlignTop);
  bar->addWidget(Named(new QLabel("0%"), "minLumLabel"), 2, 1, Qt::AlignBottom);
  grid->addLayout(bar, 2, 0, 5, 1);
  grid->addWidget(Named(new QLabel("Colors Position:"), "colorAdjustLabel"), 2, 1, 1, 2);
  const char* const checkNames[3] = {"Luminosity1CheckButton", "Luminosity2CheckButton",
                                     "Luminosity3CheckButton"};
  const char* const sliderNames[3] = {"Luminosity1Slider", "Luminosity2Slider",
                                      "Luminosity3Slider"};
  const char* const swatchNames[3] = {"hueColorViewer", "lightColorViewer",
                                      "saturationColorViewer"};
  for (int i = 0; i < 3; ++i) {
    _levelChecks[i] = Named(new QCheckBox("   "), checkNames[i]);
    _levelSliders[i] = KEPAnalysisControls::Slider(sliderNames[i], 0, 100);
    _levelSwatches[i] = new KEPAnalysisSwatch(swatchNames[i], 24, 18);
    const KEPRGBColor& c = _settings.levels[i].GetColor();
    _levelSwatches[i]->SetColour(static_cast<int>(c.GetRed() * 255.0),
                                 static_cast<int>(c.GetGreen() * 255.0),
                                 static_cast<int>(c.GetBlue() * 255.0));
    auto* row = new QHBoxLayout;
    row->addWidget(_levelChecks[i]);
    row->addWidget(_levelSliders[i]);
    row->addWidget(_levelSwatches[i]);
    grid->addLayout(row, 3 + i, 1, 1, 2);
  }
  _autoAdjust = Named(new QPushButton("Auto Adjustment"), "autoAdjustmentPushButton");
  _autoAdjust->setAutoDefault(false);
  grid->addWidget(_autoAdjust, 6, 1, 1, 2);
  main->addWidget(parameters);

  AddOkCancel(main);

  connect(_luminosityRadio, &QRadioButton::clicked, this,
          &KEPAteloLuminosity::LuminosityRadBAction);
  connect(_contrastRadio, &QRadioButton::clicked, this, &KEPAteloLuminosity::ContrastRadBAction);
  connect(_outlinesCheck, &QCheckBox::clicked, this, &KEPAteloLuminosity::OutlinesChkBAction);
  connect(_autoAdjust, &QPushButton::clicked, this, &KEPAteloLuminosity::AutoAdjustmentPushBAction);
  OnSlider(
      _frequencySlider, this, [this] { LuminosityFreqSliderAction(); },
      [this] { LuminosityFreqSliderEndAction(); });
  for (int i = 0; i < 3; ++i) {
    connect(_levelChecks[i], &QCheckBox::clicked, this, [this, i] { LevelCheckAction(i); });
    OnSlider(
        _levelSliders[i], this, [this, i] { LevelSliderAction(i); },
        [this, i] { LevelSliderEndAction(i); });
  }
}

// --- session ------------------------------------------------------------------------

void KEPAteloLuminosity::StartSession() {
  _settings = _confirmed;
  _smallest = _largest = -1.0f;
  SetControls();
  SortShadingStep();
  ControlCheckBoxes();
  UpdateColorShadingViewer();
}

void KEPAteloLuminosity::Subscribe() {
  Unsubscribe();
  _viewer = _document->GetViewer();
  if (_viewer) {
    _hoverId = _viewer->AddHoverCallback(
        [this](const KEPMathPoint2Df& at) { DisplayLuminosityValueAction(at); });
  }
}

void KEPAteloLuminosity::Unsubscribe() {
  if (_viewer && _hoverId) _viewer->RemoveHoverCallback(_hoverId);
  _viewer = nullptr;
  _hoverId = 0;
}

void KEPAteloLuminosity::SetControls() {
  const QSignalBlocker quiet[] = {QSignalBlocker(_previewCheck),  QSignalBlocker(_analysisRadio),
                                  QSignalBlocker(_imageRadio),    QSignalBlocker(_luminosityRadio),
                                  QSignalBlocker(_contrastRadio), QSignalBlocker(_outlinesCheck)};
  _previewCheck->setChecked(false);
  _analysisRadio->setChecked(true);
  _imageRadio->setChecked(false);
  const bool luminosity = _settings.type == KEPLuminositySettings::TYPE_LUMINOSITY;
  _luminosityRadio->setChecked(luminosity);
  _contrastRadio->setChecked(!luminosity);
  _outlinesCheck->setChecked(_settings.outlines != 0);
  _outlinesCheck->setEnabled(luminosity);
  SetQuietly(_frequencySlider, _settings.frequency);
  for (int i = 0; i < 3; ++i) {
    QSignalBlocker quietCheck(_levelChecks[i]);
    _levelChecks[i]->setChecked(_settings.levels[i].GetActive() != 0);
    SetQuietly(_levelSliders[i], SliderPercent(_settings.levels[i].GetLevel()));
  }
}

// --- shading --------------------------------------------------------------------------

void KEPAteloLuminosity::InitSortedShadingStep() {
  _shading.InitSortedShadingStep(&_settings.levels[0], &_settings.levels[1], &_settings.levels[2]);
}

void KEPAteloLuminosity::SortShadingStep() {
  _shading.SortShadingStep();
}

void KEPAteloLuminosity::ControlCheckBoxes() {
  int active = 0;
  for (const KEPShadingStep& level : _settings.levels) active += level.GetActive() ? 1 : 0;
  for (int i = 0; i < 3; ++i)
    _levelChecks[i]->setEnabled(active != 1 || !_settings.levels[i].GetActive());
}

void KEPAteloLuminosity::UpdateColorShadingViewer() {
  SortShadingStep();
  _shadingBar = KEPLuminosityAnalysis::ShadingBar(_settings, _shading);
  _shadingViewer->Show(_shadingBar.data(), KEPLuminosityAnalysis::kBarWidth,
                       KEPLuminosityAnalysis::kBarHeight);
}

// --- pictures -------------------------------------------------------------------------

void KEPAteloLuminosity::AnalyseImage(const unsigned char* src, unsigned char* dst, int width,
                                      int height, const KEPAnalysisArea& area, bool busy) {
  if (busy) _document->SetBusyCursor(true);
  float smallest = 0, largest = 0;
  KEPLuminosityAnalysis::AnalyseImage(src, dst, width, height, area, _settings, _shading, smallest,
                                      largest);
  // Only the first analysis after opening is measured: auto adjustment
  // works from the picture as it was then.
  if (_smallest == -1.0f) {
    _smallest = smallest;
    _largest = largest;
  }
  if (busy) _document->SetBusyCursor(false);
}

void KEPAteloLuminosity::DisplayLuminosityValueAction(const KEPMathPoint2Df& viewPoint) {
  KEPAtelIma* image = _target.GetImage();
  const unsigned char* kept = _target.GetKeptPixels();
  if (!image || !kept) return;
  float ox = 0, oy = 0;
  image->GetOrigin(ox, oy);
  const int x = static_cast<int>(std::floor(viewPoint.x - ox));
  const int y = static_cast<int>(std::floor(viewPoint.y - oy));
  const int width = _target.GetWidth(), height = _target.GetHeight();
  if (x < 0 || y < 0 || x >= width || y >= height) {
    _document->SetStatusText("");
    return;
  }
  char text[96];
  if (_settings.type == KEPLuminositySettings::TYPE_CONTRAST) {
    std::snprintf(text, sizeof text, "The contrast value under the cursor is %3.1f %%",
                  KEPLuminosityAnalysis::ContrastAt(kept, width, height, x, y));
  } else {
    std::snprintf(text, sizeof text, "The luminosity value under the cursor is %3.1f %%",
                  KEPLuminosityAnalysis::LuminosityAt(kept, width, height, x, y));
  }
  _document->SetStatusText(text);
}

// --- controls -------------------------------------------------------------------------

void KEPAteloLuminosity::SetType(int type) {
  _settings.type = type;
  _outlinesCheck->setEnabled(type == KEPLuminositySettings::TYPE_LUMINOSITY);
  UpdateColorShadingViewer();
  UpdateAnalysisImage(1);
  UpdateDocumentIfPreview();
}

void KEPAteloLuminosity::LuminosityRadBAction() {
  SetType(KEPLuminositySettings::TYPE_LUMINOSITY);
}

void KEPAteloLuminosity::ContrastRadBAction() {
  SetType(KEPLuminositySettings::TYPE_CONTRAST);
}

void KEPAteloLuminosity::LuminosityFreqSliderAction() {
  _settings.frequency = _frequencySlider->value();
  UpdateColorShadingViewer();
  UpdateAnalysisImage(1);
}

void KEPAteloLuminosity::LuminosityFreqSliderEndAction() {
  LuminosityFreqSliderAction();
  UpdateDocumentIfPreview();
}

void KEPAteloLuminosity::OutlinesChkBAction() {
  _settings.outlines = _outlinesCheck->isChecked() ? 1 : 0;
  UpdateAnalysisImage(1);
  UpdateDocumentIfPreview();
}

void KEPAteloLuminosity::LevelCheckAction(int level) {
  _settings.levels[level].SetActive(_levelChecks[level]->isChecked() ? 1 : 0);
  SortShadingStep();
  ControlCheckBoxes();
  UpdateColorShadingViewer();
  UpdateAnalysisImage(1);
  UpdateDocumentIfPreview();
}

void KEPAteloLuminosity::LevelSliderAction(int level) {
  _settings.levels[level].SetLevel(static_cast<float>(_levelSliders[level]->value() / 100.0));
  UpdateColorShadingViewer();
  UpdateAnalysisImage(1);
}

void KEPAteloLuminosity::LevelSliderEndAction(int level) {
  LevelSliderAction(level);
  UpdateDocumentIfPreview();
}

void KEPAteloLuminosity::AutoAdjustmentPushBAction() {
  const float mn = _smallest, mx = _largest;
  SetQuietly(_levelSliders[0], SliderPercent(mx));
  SetQuietly(_levelSliders[1], SliderPercent(static_cast<float>((mn + mx) * 2.0 / 3.0)));
  SetQuietly(_levelSliders[2], SliderPercent(static_cast<float>((mn + mx) / 3.0)));
  // The levels take the sliders' steps.
  for (int i = 0; i < 3; ++i)
    _settings.levels[i].SetLevel(static_cast<float>(_levelSliders[i]->value() / 100.0));
  UpdateColorShadingViewer();
  UpdateAnalysisImage(1);
  UpdateDocumentIfPreview();
}
