#include "paint/KEPAteloToolsSetting.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "paint/KEPToolSample.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloDocumentHost.h"

namespace {

// Tools that use each parameter.
constexpr int kThicknessTools = 1194;  // rectangle, circle, line, pen, eraser
constexpr int kBlendTools = 2558;      // every drawing tool but the fill and the eraser
constexpr int kSprayTools = KEPAteloDocumentHost::TOOL_SPRAY;

static_assert(KEP_SAMPLE_SPRAY == KEPAteloDocumentHost::TOOL_SPRAY &&
              KEP_SAMPLE_ERASER == KEPAteloDocumentHost::TOOL_ERASER &&
              KEP_SAMPLE_COLOR == KEPAteloDocumentHost::TOOL_SAMPLE_COLOR &&
              KEP_SAMPLE_SELECT_CIRCLE == KEPAteloDocumentHost::TOOL_SELECT_CIRCLE);

// Slider step b stands for the weight b / (b + 1) of the pixel already there.
float BlendOfStep(int step) {
  return static_cast<float>(step / (step + 1.0));
}

// The step nearest to a stored weight w, the inverse of BlendOfStep.
int StepOfBlend(float weight) {
  if (!(weight > 0.0f)) return 0;
  if (weight >= 1.0f) return 15;
  return std::clamp(static_cast<int>(std::lround(weight / (1.0 - weight))), 0, 15);
}

QSlider* MakeSlider(const char* name, int low, int high) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setObjectName(name);
  slider->setRange(low, high);
  slider->setSingleStep(1);
  slider->setPageStep(1);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(1);
  return slider;
}

}  // namespace

KEPAteloToolsSetting::KEPAteloToolsSetting(KEPAteloDocumentHost* document, QWidget* parent)
    : QDialog(parent),
      _document(document),
      _preview(static_cast<std::size_t>(kPreviewWidth) * kPreviewHeight * 4, 255) {
  KEP_TRACE(2, "(KEPAteloToolsSetting::KEPAteloToolsSetting)");
  setObjectName("toolsSettingDialog");
  setWindowTitle("Tools Settings");
  auto* main = new QVBoxLayout(this);

  _toolsViewer = new KEP2DViewer(this, kPreviewWidth, kPreviewHeight);
  _toolsViewer->setObjectName("toolsViewer");
  _toolsViewer->setFixedSize(kPreviewWidth, kPreviewHeight);
  _toolsViewer->SetNavigation(false);
  _previewRep = std::make_unique<KEPCatalog2DImagePixelRep>(_preview.data(), kPreviewWidth,
                                                            kPreviewHeight, 0.0f, 0.0f);
  _toolsViewer->AddRep(_previewRep.get());
  // The view spans the sample exactly: 0 ... 160 by 0 ... 100.
  _toolsViewer->Reframe(KEPMathPoint2Df(0.5f * kPreviewWidth, 0.5f * kPreviewHeight), 1.0f);
  main->addWidget(_toolsViewer, 0, Qt::AlignHCenter);

  auto* grid = new QGridLayout;
  struct Row {
    const char* labelName;
    const char* label;
    QSlider*& slider;
    const char* sliderName;
    int low, high;
  };
  const Row rows[] = {
      {"thicknessLabel", "Thickness : ", _thicknessSlider, "thicknessSlider", 0, 7},
      {"blendLabel", "Blend : ", _blendSlider, "blendSlider", 0, 15},
      {"radiusLabel", "Radius : ", _radiusSlider, "radiusSlider", 2, 30},
      {"densityLabel", "Density : ", _densitySlider, "densitySlider", 2, 30},
  };
  int line = 0;
  for (const Row& row : rows) {
    auto* label = new QLabel(row.label);
    label->setObjectName(row.labelName);
    row.slider = MakeSlider(row.sliderName, row.low, row.high);
    grid->addWidget(label, line, 0);
    grid->addWidget(row.slider, line, 1);
    ++line;
    // Moving or dragging redraws the sample.
    connect(row.slider, &QSlider::valueChanged, this, [this] { ModifyParamsAction(); });
  }
  main->addLayout(grid);

  auto* ok = new QPushButton("OK");
  ok->setObjectName("okBtn");
  auto* close = new QPushButton("Close");
  close->setObjectName("cancelBtn");
  KEPDialogParts::AddSpreadButtons(main, {ok, close});
  connect(ok, &QPushButton::clicked, this, &KEPAteloToolsSetting::ApplyAction);
  connect(close, &QPushButton::clicked, this, &KEPAteloToolsSetting::HideAction);

  ResetParams();
  UpdateTool(_document->GetCurrentTool());
}

KEPAteloToolsSetting::~KEPAteloToolsSetting() {
  KEP_TRACE(2, "(KEPAteloToolsSetting::~KEPAteloToolsSetting)");
}

void KEPAteloToolsSetting::UpdateTool(int code) {
  KEP_TRACE(6, "(KEPAteloToolsSetting::UpdateTool) %#x", code);
  _tool = code;
  _thicknessSlider->setEnabled((code & kThicknessTools) != 0);
  _blendSlider->setEnabled((code & kBlendTools) != 0);
  _radiusSlider->setEnabled((code & kSprayTools) != 0);
  _densitySlider->setEnabled((code & kSprayTools) != 0);
  ModifyParamsAction();
}

void KEPAteloToolsSetting::ResetParams() {
  int thickness = 0, radius = 0, density = 0;
  float blend = 0.0f;
  _document->GetDrawParams(thickness, blend, radius, density);
  // Set without a redraw each; the caller redraws once.
  const QSignalBlocker b1(_thicknessSlider), b2(_blendSlider), b3(_radiusSlider),
      b4(_densitySlider);
  _thicknessSlider->setValue(thickness);
  // The slider shows the step whose weight is the stored one.
  _blendSlider->setValue(StepOfBlend(blend));
  _radiusSlider->setValue(radius);
  _densitySlider->setValue(density);
}

void KEPAteloToolsSetting::ModifyParamsAction() {
  std::fill(_preview.begin(), _preview.end(), 255);
  static constexpr int kBlack[4] = {0, 0, 0, 255};
  KEPToolParameters parameters;
  parameters.thickness = _thicknessSlider->value();
  parameters.blend = BlendOfStep(_blendSlider->value());
  parameters.radius = _radiusSlider->value();
  parameters.density = _densitySlider->value();
  DrawToolSample(_preview, kPreviewWidth, kPreviewHeight, _tool, kBlack, parameters);
  _previewRep->UpdatePixels();
}

void KEPAteloToolsSetting::ApplyAction() {
  KEP_TRACE(4, "(KEPAteloToolsSetting::ApplyAction)");
  _document->SetDrawParams(_thicknessSlider->value(), BlendOfStep(_blendSlider->value()),
                           _radiusSlider->value(), _densitySlider->value());
}

void KEPAteloToolsSetting::HideAction() {
  KEP_TRACE(4, "(KEPAteloToolsSetting::HideAction)");
  ResetParams();
  ModifyParamsAction();
  hide();
}

void KEPAteloToolsSetting::closeEvent(QCloseEvent* event) {
  HideAction();
  event->accept();
}

void KEPAteloToolsSetting::reject() {
  HideAction();
}
