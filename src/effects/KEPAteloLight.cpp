#include "effects/KEPAteloLight.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "colour/KEPRGBColor.h"
#include "effects/KEPAnalysisControls.h"
#include "effects/KEPAnalysisSpinner.h"
#include "effects/KEPAnalysisSwatch.h"
#include "effects/KEPLightAnalysis.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "series/KEPAteloDocumentHost.h"

using KEPAnalysisControls::Frame;
using KEPAnalysisControls::Named;
using KEPAnalysisControls::OnSlider;
using KEPAnalysisControls::SetQuietly;

namespace {

const char* const kHueWarning = "Hue value must bellow to 0-359(deg)";
const char* const kHuePrecisionWarning = "Hue Precision value must bellow to 0-180(deg)";
const char* const kLightWarning = "Light value must bellow to 0-100(deg)";
const char* const kLightPrecisionWarning = "Light Precision value must bellow to 0-100(deg)";
const char* const kSaturationWarning = "Saturation value must bellow to 0-100(deg)";
const char* const kSaturationPrecisionWarning =
    "Saturation Precision value must bellow to 0-100(deg)";
const char* const kUndefinedHueWarning =
    "Warning: Hue is undefined for this color, so it will be unchecked";

// Hue in whole degrees as the controls show it (0..359).
int HueDegrees(float hue) {
  return static_cast<int>(std::floor(hue + 0.5f)) % 360;
}

int Percent(float value) {
  return static_cast<int>(std::floor(value * 100.0f + 0.5f));
}

void Paint(KEPAnalysisSwatch* swatch, const KEPHLSColor& hls) {
  KEPRGBColor rgb(0.0f, 0.0f, 0.0f);
  hls.ConvertToRGBColor(rgb);
  swatch->SetColour(static_cast<int>(rgb.GetRed() * 255.0),
                    static_cast<int>(rgb.GetGreen() * 255.0),
                    static_cast<int>(rgb.GetBlue() * 255.0));
}

}  // namespace

KEPAteloLight::KEPAteloLight(KEPAteloDocumentHost* document, QWidget* parent)
    : KEPAnalysisDialog(document, parent) {
  KEP_TRACE(2, "(KEPAteloLight::KEPAteloLight)");
  setObjectName("lightDialog");
  setWindowTitle("Color Analysis");
  BuildWindow();
}

KEPAteloLight::~KEPAteloLight() {
  KEP_TRACE(2, "(KEPAteloLight::~KEPAteloLight)");
  // The document's images and indicator may already be gone: nothing of
  // theirs is touched here.
}

void KEPAteloLight::BuildWindow() {
  auto* main = new QVBoxLayout(this);
  AddResultsControl(main, "Results Control");
  QGridLayout* resultsGrid = GetResultsGrid();
  _controlColorSlider = KEPAnalysisControls::Slider("controlColorSlider", 0, 359);
  _controlColorViewer = new KEPAnalysisSwatch("controlColorViewer", 24, 18);
  resultsGrid->addWidget(_controlColorSlider, 2, 0);
  resultsGrid->addWidget(_controlColorViewer, 2, 1);

  auto* parameters = Frame("analysisParameters", "Analysis Parameters");
  auto* grid = new QGridLayout(parameters);
  struct Row {
    QCheckBox*& check;
    const char* checkName;
    const char* label;
    QSlider*& slider;
    const char* sliderName;
    int high;
    QLineEdit*& editor;
    const char* editorName;
    const char* precisionLabelName;
    const char* unit;
    KEPAnalysisSpinner*& spinner;
    const char* spinnerName;
    int precisionHigh;
    KEPAnalysisSwatch*& swatch;
    const char* swatchName;
  } rows[] = {
      {_hueCheck, "hueCheckButton", "Hue", _hueSlider, "hueSlider", 359, _hueEditor, "hueEditor",
       "HuePrecisionLabel", "deg", _huePrecision, "huePrecisionSpinner", 180, _hueColorViewer,
       "hueColorViewer"},
      {_lightCheck, "lightCheckButton", "Lightness", _lightSlider, "lightSlider", 100, _lightEditor,
       "lightEditor", "LightPrecisionLabel", "%", _lightPrecision, "lightPrecisionSpinner", 100,
       _lightColorViewer, "lightColorViewer"},
      {_saturationCheck, "saturationCheckButton", "Saturation", _saturationSlider,
       "saturationSlider", 100, _saturationEditor, "saturationEditor", "SaturationPrecisionLabel",
       "%", _saturationPrecision, "saturationPrecisionSpinner", 100, _saturationColorViewer,
       "saturationColorViewer"},
  };
  int r = 0;
  for (Row& row : rows) {
    row.check = Named(new QCheckBox(row.label), row.checkName);
    row.slider = KEPAnalysisControls::Slider(row.sliderName, 0, row.high);
    row.editor = Named(new QLineEdit, row.editorName);
    row.editor->setMaximumWidth(48);
    row.spinner = new KEPAnalysisSpinner(row.spinnerName, 0, row.precisionHigh);
    row.swatch = new KEPAnalysisSwatch(row.swatchName, 24, 18);
    grid->addWidget(row.check, r, 0);
    grid->addWidget(row.slider, r, 1);
    grid->addWidget(row.editor, r, 2);
    grid->addWidget(Named(new QLabel(QString(row.unit) + " +/-"), row.precisionLabelName), r, 3);
    grid->addWidget(row.spinner, r, 4);
    grid->addWidget(new QLabel(row.unit), r, 5);
    grid->addWidget(row.swatch, r, 6);
    ++r;
  }
  _hlsColorViewer = new KEPAnalysisSwatch("hlsColorViewer", 48, 24);
  grid->addWidget(_hlsColorViewer, r, 6);
  main->addWidget(parameters);

  AddOkCancel(main);

  connect(_hueCheck, &QCheckBox::clicked, this, &KEPAteloLight::HueChkBAction);
  connect(_lightCheck, &QCheckBox::clicked, this, &KEPAteloLight::LightChkBAction);
  connect(_saturationCheck, &QCheckBox::clicked, this, &KEPAteloLight::SaturationChkBAction);
  OnSlider(
      _controlColorSlider, this, [this] { ControlColorSliderAction(); },
      [this] { ControlColorSliderEndAction(); });
  OnSlider(
      _hueSlider, this, [this] { HueSliderAction(); }, [this] { HueSliderEndAction(); });
  OnSlider(
      _lightSlider, this, [this] { LightSliderAction(); }, [this] { LightSliderEndAction(); });
  OnSlider(
      _saturationSlider, this, [this] { SaturationSliderAction(); },
      [this] { SaturationSliderEndAction(); });
  connect(_hueEditor, &QLineEdit::editingFinished, this, &KEPAteloLight::HueEditAction);
  connect(_lightEditor, &QLineEdit::editingFinished, this, &KEPAteloLight::LightEditAction);
  connect(_saturationEditor, &QLineEdit::editingFinished, this,
          &KEPAteloLight::SaturationEditAction);
  connect(_huePrecision, &QDoubleSpinBox::valueChanged, this,
          &KEPAteloLight::HuePrecisionSpinnerAction);
  connect(_lightPrecision, &QDoubleSpinBox::valueChanged, this,
          &KEPAteloLight::LightPrecisionSpinnerAction);
  connect(_saturationPrecision, &QDoubleSpinBox::valueChanged, this,
          &KEPAteloLight::SaturationPrecisionSpinnerAction);
}

// --- session ------------------------------------------------------------------------

void KEPAteloLight::StartSession() {
  _settings = _confirmed;
  SetControls();
  UpdateColorViewers();
  UpdateControlColorViewer();
}

void KEPAteloLight::Subscribe() {
  Unsubscribe();
  _indicator = _document->GetViewerIndicator();
  if (!_indicator) return;
  auto grab = [this](KEP2DIndicator&, const KEPMathPoint2Df& at) { GrabColorSampleAction(at); };
  _pressId = _indicator->AddCallback(KEP2DIndicator::kBegin, grab);
  _moveId = _indicator->AddCallback(KEP2DIndicator::kManipulate, grab);
  _releaseId = _indicator->AddCallback(
      KEP2DIndicator::kEnd,
      [this](KEP2DIndicator&, const KEPMathPoint2Df&) { GrabColorSampleEndAction(); });
}

void KEPAteloLight::Unsubscribe() {
  if (_indicator) {
    for (int id : {_pressId, _moveId, _releaseId}) _indicator->RemoveCallback(id);
  }
  _indicator = nullptr;
  _pressId = _moveId = _releaseId = 0;
}

void KEPAteloLight::SetControls() {
  const KEPHLSColor& c = _settings.selected;
  const QSignalBlocker quiet[] = {
      QSignalBlocker(_previewCheck),    QSignalBlocker(_analysisRadio),
      QSignalBlocker(_imageRadio),      QSignalBlocker(_hueCheck),
      QSignalBlocker(_lightCheck),      QSignalBlocker(_saturationCheck),
      QSignalBlocker(_hueEditor),       QSignalBlocker(_lightEditor),
      QSignalBlocker(_saturationEditor)};
  _previewCheck->setChecked(_preview != 0);
  _analysisRadio->setChecked(_showAnalysed != 0);
  _imageRadio->setChecked(_showAnalysed == 0);
  _hueCheck->setChecked(_settings.hueTest != 0);
  _lightCheck->setChecked(_settings.lightTest != 0);
  _saturationCheck->setChecked(_settings.saturationTest != 0);
  SetQuietly(_controlColorSlider, HueDegrees(_settings.control.GetHue()));
  if (c.GetHue() >= 0.0f) SetQuietly(_hueSlider, HueDegrees(c.GetHue()));
  SetHueEditor();
  SetQuietly(_lightSlider, Percent(c.GetLightness()));
  _lightEditor->setText(QString::number(Percent(c.GetLightness())));
  SetQuietly(_saturationSlider, Percent(c.GetSaturation()));
  _saturationEditor->setText(QString::number(Percent(c.GetSaturation())));
  _huePrecision->SetQuietly(_settings.huePrecision * 180.0);
  _lightPrecision->SetQuietly(_settings.lightPrecision * 100.0);
  _saturationPrecision->SetQuietly(_settings.saturationPrecision * 100.0);
}

void KEPAteloLight::SetHueEditor() {
  const float hue = _settings.selected.GetHue();
  _hueEditor->setText(hue < 0.0f ? QString() : QString::number(HueDegrees(hue)));
}

// --- pictures -------------------------------------------------------------------------

void KEPAteloLight::AnalyseImage(const unsigned char* src, unsigned char* dst, int width,
                                 int height, const KEPAnalysisArea& area) const {
  KEPLightAnalysis::AnalyseImage(src, dst, width, height, area, _settings);
}

void KEPAteloLight::Reanalyse() {
  UpdateAnalysisImage(1);
  UpdateDocumentIfPreview();
}

void KEPAteloLight::UpdateColorViewers() {
  const KEPHLSColor& c = _settings.selected;
  const float hue = c.GetHue();
  Paint(_hueColorViewer, KEPHLSColor(hue, 0.5f, 1.0f));
  Paint(_lightColorViewer, KEPHLSColor(hue, c.GetLightness(), hue == -1.0f ? 0.0f : 1.0f));
  Paint(_saturationColorViewer, KEPHLSColor(hue, 0.5f, c.GetSaturation()));
  Paint(_hlsColorViewer,
        KEPHLSColor(c.GetSaturation() == 0.0f ? -1.0f : hue, c.GetLightness(), c.GetSaturation()));
}

void KEPAteloLight::UpdateControlColorViewer() {
  Paint(_controlColorViewer, _settings.control);
}

// --- controls -------------------------------------------------------------------------

void KEPAteloLight::ControlColorSliderAction() {
  _settings.control.Set(static_cast<float>(_controlColorSlider->value()), 0.5f, 1.0f);
  UpdateControlColorViewer();
  UpdateAnalysisImage(1);
}

void KEPAteloLight::ControlColorSliderEndAction() {
  ControlColorSliderAction();
  UpdateDocumentIfPreview();
}

void KEPAteloLight::HueChkBAction() {
  _settings.hueTest = _hueCheck->isChecked() ? 1 : 0;
  Reanalyse();
}

void KEPAteloLight::LightChkBAction() {
  _settings.lightTest = _lightCheck->isChecked() ? 1 : 0;
  Reanalyse();
}

void KEPAteloLight::SaturationChkBAction() {
  _settings.saturationTest = _saturationCheck->isChecked() ? 1 : 0;
  Reanalyse();
}

void KEPAteloLight::HueSliderAction() {
  _settings.selected.SetHue(static_cast<float>(_hueSlider->value()));
  SetHueEditor();
  UpdateColorViewers();
  UpdateAnalysisImage(1);
}

void KEPAteloLight::HueSliderEndAction() {
  HueSliderAction();
  UpdateDocumentIfPreview();
}

void KEPAteloLight::LightSliderAction() {
  _settings.selected.SetLightness(static_cast<float>(_lightSlider->value() / 100.0));
  _lightEditor->setText(QString::number(_lightSlider->value()));
  UpdateColorViewers();
  UpdateAnalysisImage(1);
}

void KEPAteloLight::LightSliderEndAction() {
  LightSliderAction();
  UpdateDocumentIfPreview();
}

void KEPAteloLight::SaturationSliderAction() {
  _settings.selected.SetSaturation(static_cast<float>(_saturationSlider->value() / 100.0));
  _saturationEditor->setText(QString::number(_saturationSlider->value()));
  UpdateColorViewers();
  UpdateAnalysisImage(1);
}

void KEPAteloLight::SaturationSliderEndAction() {
  SaturationSliderAction();
  UpdateDocumentIfPreview();
}

bool KEPAteloLight::ReadEditor(QLineEdit* editor, int low, int high, const char* warning,
                               int& value) {
  bool ok = false;
  value = editor->text().trimmed().toInt(&ok);
  if (ok && value >= low && value <= high) return true;
  Warn(warning);
  return false;
}

void KEPAteloLight::HueEditAction() {
  // An undefined hue shows as an empty field; leaving it empty keeps it so.
  if (_settings.selected.GetHue() < 0.0f && _hueEditor->text().trimmed().isEmpty()) return;
  int value = 0;
  if (ReadEditor(_hueEditor, 0, 359, kHueWarning, value)) {
    _settings.selected.SetHue(static_cast<float>(value));
    SetQuietly(_hueSlider, value);
  } else {
    SetHueEditor();
  }
  UpdateColorViewers();
  Reanalyse();
}

void KEPAteloLight::LightEditAction() {
  int value = 0;
  if (ReadEditor(_lightEditor, 0, 100, kLightWarning, value)) {
    _settings.selected.SetLightness(static_cast<float>(value / 100.0));
    SetQuietly(_lightSlider, value);
  } else {
    _lightEditor->setText(QString::number(Percent(_settings.selected.GetLightness())));
  }
  UpdateColorViewers();
  Reanalyse();
}

void KEPAteloLight::SaturationEditAction() {
  int value = 0;
  if (ReadEditor(_saturationEditor, 0, 100, kSaturationWarning, value)) {
    _settings.selected.SetSaturation(static_cast<float>(value / 100.0));
    SetQuietly(_saturationSlider, value);
  } else {
    _saturationEditor->setText(QString::number(Percent(_settings.selected.GetSaturation())));
  }
  UpdateColorViewers();
  Reanalyse();
}

void KEPAteloLight::ReadSpinner(KEPAnalysisSpinner* spinner, float unit, const char* warning,
                                float& precision) {
  const double value = spinner->value();
  if (value >= spinner->GetLow() && value <= spinner->GetHigh()) {
    precision = static_cast<float>(value / unit);
  } else {
    Warn(warning);
    spinner->SetQuietly(precision * unit);
  }
  Reanalyse();
}

void KEPAteloLight::HuePrecisionSpinnerAction() {
  ReadSpinner(_huePrecision, 180.0f, kHuePrecisionWarning, _settings.huePrecision);
}

void KEPAteloLight::LightPrecisionSpinnerAction() {
  ReadSpinner(_lightPrecision, 100.0f, kLightPrecisionWarning, _settings.lightPrecision);
}

void KEPAteloLight::SaturationPrecisionSpinnerAction() {
  ReadSpinner(_saturationPrecision, 100.0f, kSaturationPrecisionWarning,
              _settings.saturationPrecision);
}

void KEPAteloLight::Warn(const char* text) {
  KEPPrompt::Warn(this, "warnDlg", windowTitle().toStdString(), text);
}

// --- colour picked on the document ----------------------------------------------------

void KEPAteloLight::GrabColorSampleAction(const KEPMathPoint2Df& viewPoint) {
  KEPAtelIma* image = _document->GetPosImage(0);
  const unsigned char* pixels = image ? image->GetPixels() : nullptr;
  if (!pixels) return;
  int width = 0, height = 0;
  float ox = 0, oy = 0;
  image->GetSize(width, height);
  image->GetOrigin(ox, oy);
  const int x = static_cast<int>(std::floor(viewPoint.x - ox));
  const int y = static_cast<int>(std::floor(viewPoint.y - oy));
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  const unsigned char* p = pixels + (static_cast<std::size_t>(y) * width + x) * 4;
  KEPRGBColor(p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f).ConvertToHLSColor(_settings.selected);
  const KEPHLSColor& c = _settings.selected;
  if (c.GetHue() >= 0.0f) {
    SetQuietly(_hueSlider, HueDegrees(c.GetHue()));
  } else if (_settings.hueTest) {
    Warn(kUndefinedHueWarning);
    _settings.hueTest = 0;
    QSignalBlocker quiet(_hueCheck);
    _hueCheck->setChecked(false);
  }
  SetHueEditor();
  SetQuietly(_lightSlider, Percent(c.GetLightness()));
  _lightEditor->setText(QString::number(Percent(c.GetLightness())));
  SetQuietly(_saturationSlider, Percent(c.GetSaturation()));
  _saturationEditor->setText(QString::number(Percent(c.GetSaturation())));
  UpdateColorViewers();
  UpdateAnalysisImage(1);
}

void KEPAteloLight::GrabColorSampleEndAction() {
  // The document's picture follows once the button is released, not at
  // every position of a drag.
  UpdateDocumentIfPreview();
}
