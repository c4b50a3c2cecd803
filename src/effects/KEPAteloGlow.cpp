// The glow window: its controls, the parameters they set and its life
// cycle. The viewers and the preview are in KEPAteloGlowPreview.cpp, the
// apply in KEPAteloGlowApply.cpp.
#include "effects/KEPAteloGlow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "effects/KEPAteloProgress.h"
#include "effects/KEPGlowColour.h"
#include "effects/KEPGlowPixelView.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPIdleWork.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "series/KEPAteloDocumentHost.h"

using KEPDialogParts::Named;

namespace {

// Slider positions to parameters, and back (truncated) when the window is
// shown.
float IntensityOf(int x) {
  return static_cast<float>(std::pow(x / 1000.0, 10.0) * 99990000.0 + 10000.0);
}
int IntensityPosition(float intensity) {
  const double t = std::max(0.0, (intensity - 10000.0) / 99990000.0);
  return static_cast<int>(std::pow(t, 0.1) * 1000.0);
}
float FlarePropOf(int x) {
  return static_cast<float>(std::pow(x / 100.0, 4.0) * 300.0);
}
int FlarePropPosition(float proportion) {
  return static_cast<int>(std::pow(std::max(0.0, proportion / 300.0), 0.25) * 100.0);
}
float FlareDiffOf(int x) {
  return static_cast<float>(std::pow(x / 100.0, 1.0) * 0.7 + 0.3);
}
int FlareDiffPosition(float diffusion) {
  return static_cast<int>((diffusion - 0.3) / 0.7 * 100.0);
}
float RadLinesOf(int x) {
  return static_cast<float>(std::pow(x / 100.0, 1.0) * 15.0);
}
int RadLinesPosition(float extent) {
  return static_cast<int>(extent / 15.0 * 100.0);
}
float SymmetryOf(int x) {
  return static_cast<float>(std::pow(x / 100.0, 1.0));
}
int SymmetryPosition(float symmetry) {
  return static_cast<int>(symmetry * 100.0);
}

// A slider over [minimum, maximum] moved by (maximum - minimum) / steps a
// page, and its spinner, which shows `digits` characters.
QSlider* Slider(const char* name, int minimum, int maximum, int steps) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setObjectName(name);
  slider->setRange(minimum, maximum);
  slider->setPageStep(std::max(1, (maximum - minimum) / steps));
  return slider;
}

QSpinBox* Spinner(const char* name, int minimum, int maximum, int digits) {
  auto* spinner = new QSpinBox;
  spinner->setObjectName(name);
  spinner->setRange(minimum, maximum);
  // A value typed digit by digit is taken once, when complete.
  spinner->setKeyboardTracking(false);
  spinner->setMinimumWidth(spinner->fontMetrics().horizontalAdvance(QString(digits + 3, '0')));
  return spinner;
}

// Each slider sets its spinner and each spinner its slider, quietly; the
// value then sets the parameter.
int FromSlider(QSlider* slider, QSpinBox* spinner) {
  QSignalBlocker quiet(spinner);
  spinner->setValue(slider->value());
  return slider->value();
}

int FromSpinner(QSlider* slider, QSpinBox* spinner) {
  QSignalBlocker quiet(slider);
  slider->setValue(spinner->value());
  return spinner->value();
}

void SetQuietly(QSlider* slider, QSpinBox* spinner, int value) {
  QSignalBlocker quietSlider(slider), quietSpinner(spinner);
  slider->setValue(value);
  spinner->setValue(value);
}

}  // namespace

KEPAteloGlow::KEPAteloGlow(KEPAteloDocumentHost* host, QWidget* parent)
    : QDialog(parent), _host(host) {
  KEP_TRACE(2, "(KEPAteloGlow::KEPAteloGlow)");
  setObjectName("glowDialog");
  setWindowTitle("Glow Effect");
  // The line values are drawn from a fixed seed, so a session's first halo
  // is always the same.
  std::srand(1);
  DrawNewRadLineValues(_lines);
  ComputeSizes();
  BuildControls();
}

KEPAteloGlow::~KEPAteloGlow() {
  KEP_TRACE(2, "(KEPAteloGlow::~KEPAteloGlow)");
  KEPIdleWork::RemoveSubscribe(_previewIdle);
  KEPIdleWork::RemoveSubscribe(_applyIdle);
  RemoveViewerCallbacks();
}

void KEPAteloGlow::BuildControls() {
  auto* sc = Named(new QGroupBox("Selection Color"), "scFrame");
  _hcSlider = Slider("hcSlider", 0, 359, 359);
  _hcSlider->setValue(300);  // the default highlight, magenta
  _hcViewer = new KEPGlowPixelView(sc, "hcViewer", 40, 20);
  _scControlViewer = new KEPGlowPixelView(sc, "scControlViewer", 200, 200);
  auto* scLayout = new QGridLayout(sc);
  scLayout->addWidget(Named(new QLabel("Highlight Color :"), "hcLbl"), 0, 0);
  scLayout->addWidget(_hcSlider, 0, 1);
  scLayout->addWidget(_hcViewer, 0, 2);
  scLayout->addWidget(_scControlViewer, 1, 0, 1, 3, Qt::AlignCenter);

  auto* rp = Named(new QGroupBox("Result Preview"), "rpFrame");
  _rpControlViewer = new KEPGlowPixelView(rp, "rpControlViewer", 200, 200);
  _previewRTBtn = Named(new QCheckBox("Real Time Preview"), "ResultPreviewRadBtnRT");
  _previewDoBtn = Named(new QPushButton("Refresh Preview"), "ResultPreviewDoPBtn");
  _previewInterruptBtn =
      Named(new QPushButton("Interrupt Calculation"), "ResultPreviewInterruptBtn");
  _previewInterruptBtn->setEnabled(false);
  _calcViewer = new KEPGlowPixelView(rp, "CalcViewer1", 16, 16);
  auto* rpLayout = new QGridLayout(rp);
  rpLayout->addWidget(_rpControlViewer, 0, 0, 1, 3, Qt::AlignCenter);
  rpLayout->addWidget(_previewRTBtn, 1, 0);
  rpLayout->addWidget(_previewDoBtn, 1, 1);
  rpLayout->addWidget(_previewInterruptBtn, 2, 1);
  rpLayout->addWidget(_calcViewer, 2, 2);

  auto* ls = Named(new QGroupBox("Light Source"), "lsFrame");
  _intensSlider = Slider("lsIntensSlider", 0, 1000, 200);
  _intensSpinner = Spinner("lsIntensSpinner", 0, 1000, 4);
  _hueSatViewer =
      new KEPGlowPixelView(ls, "hueSatViewer", 2 * kDiscCentre + 1, 2 * kDiscCentre + 1);
  _lsColorViewer = new KEPGlowPixelView(ls, "lsColorViewer", 40, 20);
  _whiteSatBtn = Named(new QCheckBox("White Saturation"), "lsWhiteSatChkBtn");
  auto* lsLayout = new QGridLayout(ls);
  lsLayout->addWidget(Named(new QLabel("Intensity :"), "lsIntensLbl"), 0, 0);
  lsLayout->addWidget(_intensSlider, 0, 1);
  lsLayout->addWidget(_intensSpinner, 0, 2);
  lsLayout->addWidget(Named(new QLabel("Color :"), "lsColorLbl"), 1, 0);
  lsLayout->addWidget(_hueSatViewer, 1, 1);
  lsLayout->addWidget(_lsColorViewer, 1, 2);
  lsLayout->addWidget(_whiteSatBtn, 2, 1);

  auto* hv = Named(new QGroupBox("Halo Visualization"), "hvFrame");
  _hvViewer = new KEPGlowPixelView(hv, "hvViewer", 101, 101);
  _haloRTBtn = Named(new QCheckBox("Real Time Visualization"), "haloVisuRadBtnRT");
  _haloGetBtn = Named(new QPushButton("Refresh Visualization"), "haloVisuGetVBtn");
  auto* hvLayout = new QGridLayout(hv);
  hvLayout->addWidget(_hvViewer, 0, 0, 2, 1);
  hvLayout->addWidget(_haloRTBtn, 0, 1);
  hvLayout->addWidget(_haloGetBtn, 1, 1);

  auto* hp = Named(new QGroupBox("Halo Parameters"), "hpFrame");
  _sizeSlider = Slider("haloSizeSlider", 50, 500, 18);
  _sizeSpinner = Spinner("haloSizeSpinner", 50, 500, 3);
  auto* flare = Named(new QGroupBox("Flare"), "flareFrame");
  _flarePropSlider = Slider("flarePropSlider", 0, 100, 100);
  _flarePropSpinner = Spinner("flarePropSpinner", 0, 100, 3);
  _flareDiffSlider = Slider("flareDiffSlider", 0, 100, 100);
  _flareDiffSpinner = Spinner("flareDiffSpinner", 0, 100, 3);
  auto* flareLayout = new QGridLayout(flare);
  flareLayout->addWidget(Named(new QLabel("Intensity :"), "fpLbl"), 0, 0);
  flareLayout->addWidget(_flarePropSlider, 0, 1);
  flareLayout->addWidget(_flarePropSpinner, 0, 2);
  flareLayout->addWidget(Named(new QLabel("Diffusion :"), "fdLbl"), 1, 0);
  flareLayout->addWidget(_flareDiffSlider, 1, 1);
  flareLayout->addWidget(_flareDiffSpinner, 1, 2);
  auto* rd = Named(new QGroupBox("Radial Lines"), "rdFrame");
  _radLinesSlider = Slider("radLinesSlider", 0, 100, 100);
  _radLinesSpinner = Spinner("radLinesSpinner", 0, 100, 3);
  _starSlider = Slider("starEffectSlider", 0, 100, 100);
  _starSpinner = Spinner("starEffectSpinner", 0, 100, 3);
  auto* newValues = Named(new QPushButton("New Random Values"), "DrawRLValuesBtn");
  auto* rdLayout = new QGridLayout(rd);
  rdLayout->addWidget(Named(new QLabel("Extent :"), "radLinesLbl"), 0, 0);
  rdLayout->addWidget(_radLinesSlider, 0, 1);
  rdLayout->addWidget(_radLinesSpinner, 0, 2);
  rdLayout->addWidget(Named(new QLabel("Symmetry :"), "starEffectLbl"), 1, 0);
  rdLayout->addWidget(_starSlider, 1, 1);
  rdLayout->addWidget(_starSpinner, 1, 2);
  rdLayout->addWidget(newValues, 2, 1);
  auto* hpLayout = new QGridLayout(hp);
  hpLayout->addWidget(Named(new QLabel("Size (in pixels) :"), "hsLbl"), 0, 0);
  hpLayout->addWidget(_sizeSlider, 0, 1);
  hpLayout->addWidget(_sizeSpinner, 0, 2);
  hpLayout->addWidget(flare, 1, 0, 1, 3);
  hpLayout->addWidget(rd, 2, 0, 1, 3);

  auto* ok = Named(new QPushButton("OK"), "glowOkBtn");
  auto* cancel = Named(new QPushButton("Cancel"), "glowCancelBtn");
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(sc);
  left->addWidget(rp);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(ls);
  right->addWidget(hv);
  right->addWidget(hp);
  columns->addLayout(left);
  columns->addLayout(right);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(buttons);

  connect(_hcSlider, &QSlider::valueChanged, this, [this] { HCSliderAction(); });
  ConnectSlider(_intensSlider, _intensSpinner, &KEPAteloGlow::LSIntensSliderAction,
                &KEPAteloGlow::LSIntensSpinnerAction);
  ConnectSlider(_sizeSlider, _sizeSpinner, &KEPAteloGlow::HaloSizeSliderAction,
                &KEPAteloGlow::HaloSizeSpinnerAction);
  ConnectSlider(_flarePropSlider, _flarePropSpinner, &KEPAteloGlow::FlarePropSliderAction,
                &KEPAteloGlow::FlarePropSpinnerAction);
  ConnectSlider(_flareDiffSlider, _flareDiffSpinner, &KEPAteloGlow::FlareDiffSliderAction,
                &KEPAteloGlow::FlareDiffSpinnerAction);
  ConnectSlider(_radLinesSlider, _radLinesSpinner, &KEPAteloGlow::RadLinesSliderAction,
                &KEPAteloGlow::RadLinesSpinnerAction);
  ConnectSlider(_starSlider, _starSpinner, &KEPAteloGlow::StarEffectSliderAction,
                &KEPAteloGlow::StarEffectSpinnerAction);
  connect(_whiteSatBtn, &QCheckBox::clicked, this, [this] { LSWhiteSatChkBtnAction(); });
  connect(_previewRTBtn, &QCheckBox::clicked, this, [this] { ResultPreviewChkRTAction(); });
  connect(_previewDoBtn, &QPushButton::clicked, this, [this] { ResultPreviewDoPBtnAction(); });
  connect(_previewInterruptBtn, &QPushButton::clicked, this,
          [this] { ResultPreviewInterruptBtnAction(); });
  connect(_haloRTBtn, &QCheckBox::clicked, this, [this] { HaloVisuChkRTAction(); });
  connect(_haloGetBtn, &QPushButton::clicked, this, [this] { HaloVisuGetVBtnAction(); });
  connect(newValues, &QPushButton::clicked, this, [this] { DrawRLValuesBtnAction(); });
  connect(ok, &QPushButton::clicked, this, [this] { OkAction(); });
  connect(cancel, &QPushButton::clicked, this, [this] { HideAction(); });

  _hueSatViewer->SetCallback([this](KEPGlowPixelView::Gesture gesture, int x, int y) {
    if (gesture == KEPGlowPixelView::kRelease)
      GrabLSColorEndAction();
    else
      GrabLSColorAction(x, y);
  });
  _scControlViewer->SetCallback([this](KEPGlowPixelView::Gesture gesture, int x, int y) {
    // Only a pixel of the zoomed area picks its colour.
    if (x < 0 || y < 0 || x >= _zoomW || y >= _zoomH) return;
    if (gesture != KEPGlowPixelView::kRelease) {
      const unsigned char* p = &_zoomPixels[4 * (static_cast<std::size_t>(y) * _zoomW + x)];
      SetSelectionColor(p[0], p[1], p[2]);
    } else {
      GrabColorSelectionEndAction();
    }
  });
  SetControlsFromParameters();
}

void KEPAteloGlow::ConnectSlider(QSlider* slider, QSpinBox* spinner,
                                 void (KEPAteloGlow::*sliderAction)(),
                                 void (KEPAteloGlow::*spinnerAction)()) {
  connect(slider, &QSlider::valueChanged, this, [this, sliderAction] { (this->*sliderAction)(); });
  connect(spinner, &QSpinBox::valueChanged, this,
          [this, spinnerAction] { (this->*spinnerAction)(); });
}

void KEPAteloGlow::SetControlsFromParameters() {
  SetQuietly(_intensSlider, _intensSpinner, IntensityPosition(_light.intensity));
  SetQuietly(_sizeSlider, _sizeSpinner, _halo.size);
  SetQuietly(_flarePropSlider, _flarePropSpinner, FlarePropPosition(_halo.flareProportion));
  SetQuietly(_flareDiffSlider, _flareDiffSpinner, FlareDiffPosition(_halo.flareDiffusion));
  SetQuietly(_radLinesSlider, _radLinesSpinner, RadLinesPosition(_halo.radialLines));
  SetQuietly(_starSlider, _starSpinner, SymmetryPosition(_halo.symmetry));
  QSignalBlocker quietWhite(_whiteSatBtn), quietPreview(_previewRTBtn), quietHalo(_haloRTBtn);
  _whiteSatBtn->setChecked(_light.whiteSaturation != 0);
  _previewRTBtn->setChecked(_previewRT != 0);
  _haloRTBtn->setChecked(_haloRT != 0);
  _previewDoBtn->setEnabled(!_previewRT);
  _haloGetBtn->setEnabled(!_haloRT);
}

// --- parameters ------------------------------------------------------------------------

void KEPAteloGlow::GetSelectionColor(int& red, int& green, int& blue) const {
  red = _selColor[0];
  green = _selColor[1];
  blue = _selColor[2];
}

void KEPAteloGlow::SetSelectionColor(int red, int green, int blue) {
  _selColor[0] = red;
  _selColor[1] = green;
  _selColor[2] = blue;
  DrawSelectionViewer();
}

void KEPAteloGlow::GetHighlightColor(int& red, int& green, int& blue) const {
  red = _hlColor[0];
  green = _hlColor[1];
  blue = _hlColor[2];
}

void KEPAteloGlow::ComputeSizes() {
  _sizes = GlowSizesForWidth(GlowKernelWidth(_halo.size));
  // The preview's kernel shrinks with its picture.
  int previewN = _sizes.N;
  if (_zoomRatio > 0.0f && _zoomRatio < 1.0f)
    previewN = (static_cast<int>(_halo.size * _zoomRatio) / 2) * 2 + 1;
  _previewSizes = GlowSizesForWidth(previewN);
}

void KEPAteloGlow::ParameterChanged(bool haloChanged) {
  if (haloChanged && _haloRT) UpdateHVViewer();
  if (_previewRT) UpdateRPControlViewer();
}

void KEPAteloGlow::IntensityFrom(int value) {
  _light.intensity = IntensityOf(value);
  ParameterChanged(false);
}

void KEPAteloGlow::SizeFrom(int value) {
  _halo.size = value;
  ComputeSizes();
  ParameterChanged(false);
}

void KEPAteloGlow::FlarePropFrom(int value) {
  _halo.flareProportion = FlarePropOf(value);
  ParameterChanged(true);
}

void KEPAteloGlow::FlareDiffFrom(int value) {
  _halo.flareDiffusion = FlareDiffOf(value);
  ParameterChanged(true);
}

void KEPAteloGlow::RadLinesFrom(int value) {
  _halo.radialLines = RadLinesOf(value);
  ParameterChanged(true);
}

void KEPAteloGlow::SymmetryFrom(int value) {
  _halo.symmetry = SymmetryOf(value);
  // The rays' weights change: new line maps, and a preview rebuilt whole.
  _hvLinesValid = false;
  ForgetPreview();
  ParameterChanged(true);
}

void KEPAteloGlow::LSIntensSliderAction() {
  IntensityFrom(FromSlider(_intensSlider, _intensSpinner));
}
void KEPAteloGlow::LSIntensSpinnerAction() {
  IntensityFrom(FromSpinner(_intensSlider, _intensSpinner));
}
void KEPAteloGlow::HaloSizeSliderAction() {
  SizeFrom(FromSlider(_sizeSlider, _sizeSpinner));
}
void KEPAteloGlow::HaloSizeSpinnerAction() {
  SizeFrom(FromSpinner(_sizeSlider, _sizeSpinner));
}
void KEPAteloGlow::FlarePropSliderAction() {
  FlarePropFrom(FromSlider(_flarePropSlider, _flarePropSpinner));
}
void KEPAteloGlow::FlarePropSpinnerAction() {
  FlarePropFrom(FromSpinner(_flarePropSlider, _flarePropSpinner));
}
void KEPAteloGlow::FlareDiffSliderAction() {
  FlareDiffFrom(FromSlider(_flareDiffSlider, _flareDiffSpinner));
}
void KEPAteloGlow::FlareDiffSpinnerAction() {
  FlareDiffFrom(FromSpinner(_flareDiffSlider, _flareDiffSpinner));
}
void KEPAteloGlow::RadLinesSliderAction() {
  RadLinesFrom(FromSlider(_radLinesSlider, _radLinesSpinner));
}
void KEPAteloGlow::RadLinesSpinnerAction() {
  RadLinesFrom(FromSpinner(_radLinesSlider, _radLinesSpinner));
}
void KEPAteloGlow::StarEffectSliderAction() {
  SymmetryFrom(FromSlider(_starSlider, _starSpinner));
}
void KEPAteloGlow::StarEffectSpinnerAction() {
  SymmetryFrom(FromSpinner(_starSlider, _starSpinner));
}

void KEPAteloGlow::HCSliderAction() {
  float r, g, b;
  HLStoRGB(static_cast<float>(_hcSlider->value()), 0.5f, 1.0f, &r, &g, &b);
  _hlColor[0] = static_cast<int>(r * 255.0);
  _hlColor[1] = static_cast<int>(g * 255.0);
  _hlColor[2] = static_cast<int>(b * 255.0);
  DrawHighlightSwatch();
  DrawSelectionViewer();
}

void KEPAteloGlow::GrabColorSelectionAction(const KEPMathPoint2Df& viewPoint) {
  KEPAtelIma* image = _host ? _host->GetPosImage(0) : nullptr;
  if (!image || !image->GetPixels()) return;
  int width = 0, height = 0;
  float ox = 0.0f, oy = 0.0f;
  image->GetSize(width, height);
  image->GetOrigin(ox, oy);
  const int px = static_cast<int>(std::floor(viewPoint.x - ox));
  const int py = static_cast<int>(std::floor(viewPoint.y - oy));
  if (px < 0 || py < 0 || px >= width || py >= height) return;
  const unsigned char* p = image->GetPixels() + 4 * (static_cast<std::size_t>(py) * width + px);
  KEP_TRACE(4, "(KEPAteloGlow::GrabColorSelectionAction) %d %d: %d %d %d", px, py, p[0], p[1],
            p[2]);
  SetSelectionColor(p[0], p[1], p[2]);
}

void KEPAteloGlow::GrabColorSelectionEndAction() {
  if (_previewRT) UpdateRPControlViewer();
}

void KEPAteloGlow::GrabLSColorAction(int px, int py) {
  DiscHueSaturation(px - kDiscCentre, py - kDiscCentre, kDiscRadius, &_light.hue,
                    &_light.saturation);
  DrawHueSatDisc();
  DrawLightSourceSwatch();
  ParameterChanged(true);
}

void KEPAteloGlow::GrabLSColorEndAction() {
  KEP_TRACE(4, "(KEPAteloGlow::GrabLSColorEndAction) hue %g saturation %g", _light.hue,
            _light.saturation);
}

void KEPAteloGlow::LSWhiteSatChkBtnAction() {
  _light.whiteSaturation = _light.whiteSaturation ? 0 : 1;
  {
    QSignalBlocker quiet(_whiteSatBtn);
    _whiteSatBtn->setChecked(_light.whiteSaturation != 0);
  }
  DrawLightSourceSwatch();
  ParameterChanged(true);
}

void KEPAteloGlow::DrawRLValuesBtnAction() {
  DrawNewRadLineValues(_lines);
  _hvLinesValid = false;
  if (_haloRT) UpdateHVViewer();
  ForgetPreview();
  if (_previewRT) UpdateRPControlViewer();
}

void KEPAteloGlow::ResultPreviewChkRTAction() {
  _previewRT = _previewRTBtn->isChecked() ? 1 : 0;
  _previewDoBtn->setEnabled(!_previewRT);
  if (_previewRT) UpdateRPControlViewer();
}

void KEPAteloGlow::ResultPreviewDoPBtnAction() {
  UpdateRPControlViewer();
}

void KEPAteloGlow::ResultPreviewInterruptBtnAction() {
  _previewInterrupt = 1;
}

void KEPAteloGlow::HaloVisuChkRTAction() {
  _haloRT = _haloRTBtn->isChecked() ? 1 : 0;
  _haloGetBtn->setEnabled(!_haloRT);
  if (_haloRT) UpdateHVViewer();
}

void KEPAteloGlow::HaloVisuGetVBtnAction() {
  UpdateHVViewer();
}

// --- life cycle ------------------------------------------------------------------------

void KEPAteloGlow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (_shown) return;
  _shown = true;
  VisibilityAction();
}

void KEPAteloGlow::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (event->spontaneous()) return;
  _shown = false;
  RemoveViewerCallbacks();
}

void KEPAteloGlow::closeEvent(QCloseEvent* event) {
  event->ignore();
  HideAction();
}

void KEPAteloGlow::VisibilityAction() {
  KEP_TRACE(4, "(KEPAteloGlow::VisibilityAction)");
  SetControlsFromParameters();
  DeallocateReps();
  AllocateReps();
  ComputeSizes();
  ForgetPreview();
  _hvLinesValid = false;
  _lastHalo.valid = false;
  DrawHighlightSwatch();
  DrawLightSourceSwatch();
  DrawHueSatDisc();
  DrawSelectionViewer();
  DrawBusyIndicator(false);
  UpdateHVViewer();
  SubscribeToViewer();
  if (_previewRT) UpdateRPControlViewer();
}

void KEPAteloGlow::HideAction() {
  KEP_TRACE(4, "(KEPAteloGlow::HideAction)");
  if (_previewRunning) {
    _previewInterrupt = 1;
    _hideWhenDone = 1;
    return;
  }
  hide();
  RemoveViewerCallbacks();
  DeallocateReps();
}

void KEPAteloGlow::SubscribeToViewer() {
  RemoveViewerCallbacks();
  KEP2DIndicator* indicator = _host ? _host->GetViewerIndicator() : nullptr;
  if (!indicator) return;
  auto grab = [this](KEP2DIndicator&, const KEPMathPoint2Df& point) {
    GrabColorSelectionAction(point);
  };
  _viewerCallbacks.push_back(indicator->AddCallback(KEP2DIndicator::kBegin, grab));
  _viewerCallbacks.push_back(indicator->AddCallback(KEP2DIndicator::kManipulate, grab));
  _viewerCallbacks.push_back(indicator->AddCallback(
      KEP2DIndicator::kEnd,
      [this](KEP2DIndicator&, const KEPMathPoint2Df&) { GrabColorSelectionEndAction(); }));
}

void KEPAteloGlow::RemoveViewerCallbacks() {
  if (_viewerCallbacks.empty()) return;
  if (KEP2DIndicator* indicator = _host ? _host->GetViewerIndicator() : nullptr)
    for (int id : _viewerCallbacks) indicator->RemoveCallback(id);
  _viewerCallbacks.clear();
}
