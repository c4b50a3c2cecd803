#include "paint/KEPAteloColor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "image/KEPAtelIma.h"
#include "paint/KEPColourMatch.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloDocumentHost.h"

namespace {

constexpr int kSensitive = 8;
// The swatch is shown twice its size.
constexpr float kSwatchZoom = 2.0f;

const char* const kFrames[3] = {"Red", "Green", "Blue"};
const char* const kChecks[3] = {"redChk", "greenChk", "blueChk"};
const char* const kCheckHelp[3] = {"Activate Red Component", "Activate Green Component",
                                   "Activate Blue Component"};
const char* const kSliders[3] = {"redSlider", "greenSlider", "blueSlider"};
const char* const kSpinners[3] = {"redSpinner", "greenSpinner", "blueSpinner"};

// Changes `pixels` (a width x height image) as Match does; false when
// the number of pixels it changes (would change, with countOnly).
long long Replace(unsigned char* pixels, int width, int height, int x, int y, int w, int h,
                  const KEPSelectionMask* mask, int side, const int* match, const int* paint,
                  bool countOnly) {
  if (!pixels) return 0;
  return MatchColor(std::span<unsigned char>(pixels, static_cast<std::size_t>(width) * height * 4),
                    width, height, x, y, w, h, mask, side, std::span<const int, 4>(match, 4),
                    std::span<const int, 4>(paint, 4), countOnly);
}

}  // namespace

KEPAteloColor::KEPAteloColor(KEPAteloDocumentHost* document, QWidget* parent)
    : QDialog(parent),
      _document(document),
      _swatch(static_cast<std::size_t>(kSwatchSide) * kSwatchSide * 4, 0) {
  KEP_TRACE(2, "(KEPAteloColor::KEPAteloColor)");
  setObjectName("colorDialog");
  setWindowTitle("Color Chooser");
  auto* main = new QVBoxLayout(this);

  const int side = static_cast<int>(kSwatchSide * kSwatchZoom);
  _colorViewer = new KEP2DViewer(this, side, side);
  _colorViewer->setObjectName("colorViewer");
  _colorViewer->setFixedSize(side, side);
  _colorViewer->SetNavigation(false);
  _swatchRep = std::make_unique<KEPCatalog2DImagePixelRep>(_swatch.data(), kSwatchSide, kSwatchSide,
                                                           0.0f, 0.0f);
  _colorViewer->AddRep(_swatchRep.get());
  _colorViewer->Reframe(KEPMathPoint2Df(0.5f * kSwatchSide, 0.5f * kSwatchSide), kSwatchZoom);
  main->addWidget(_colorViewer, 0, Qt::AlignHCenter);

  for (int c = 0; c < 3; ++c) {
    auto* frame = new QGroupBox(kFrames[c]);
    frame->setObjectName(QString(kFrames[c]).toLower() + "Frame");
    auto* row = new QHBoxLayout(frame);
    _channelChk[c] = new QCheckBox;
    _channelChk[c]->setObjectName(kChecks[c]);
    _channelChk[c]->setToolTip(kCheckHelp[c]);
    _channelChk[c]->setChecked(true);
    _channelSlider[c] = new QSlider(Qt::Horizontal);
    _channelSlider[c]->setObjectName(kSliders[c]);
    _channelSlider[c]->setRange(0, 255);
    // Ten page steps from end to end.
    _channelSlider[c]->setPageStep(26);
    _channelSpinner[c] = new QSpinBox;
    _channelSpinner[c]->setObjectName(kSpinners[c]);
    _channelSpinner[c]->setRange(0, 255);
    row->addWidget(_channelChk[c]);
    row->addWidget(_channelSlider[c], 1);
    row->addWidget(_channelSpinner[c]);
    main->addWidget(frame);
    connect(_channelChk[c], &QCheckBox::toggled, this,
            [this, c](bool on) { ChannelChkAction(c, on); });
    connect(_channelSlider[c], &QSlider::valueChanged, this,
            [this, c](int value) { ChannelSliderAction(c, value); });
    connect(_channelSpinner[c], &QSpinBox::valueChanged, this,
            [this, c](int value) { ChannelSpinnerAction(c, value); });
  }

  auto* options = new QHBoxLayout;
  _transparentChk = new QCheckBox("Transparent");
  _transparentChk->setObjectName("transparentChk");
  _transparentChk->setToolTip("Activate Transparency");
  _sampleColorBtn = new QPushButton("Sample");
  _sampleColorBtn->setObjectName("sampleColorBtn");
  _sampleColorBtn->setToolTip("Grab Color");
  _sampleColorBtn->setCheckable(true);
  _matchBtn = new QPushButton("Match");
  _matchBtn->setObjectName("matchBtn");
  _matchBtn->setToolTip("Replace Color");
  options->addWidget(_transparentChk);
  options->addStretch();
  options->addWidget(_sampleColorBtn);
  options->addWidget(_matchBtn);
  main->addLayout(options);
  connect(_transparentChk, &QCheckBox::toggled, this, &KEPAteloColor::AlphaChkAction);
  connect(_sampleColorBtn, &QPushButton::toggled, this, &KEPAteloColor::SampleColorAction);
  connect(_matchBtn, &QPushButton::clicked, this, &KEPAteloColor::MatchAction);

  auto* ok = new QPushButton("OK");
  ok->setObjectName("okBtn");
  auto* close = new QPushButton("Close");
  close->setObjectName("cancelBtn");
  KEPDialogParts::AddSpreadButtons(main, {ok, close});
  connect(ok, &QPushButton::clicked, this, &KEPAteloColor::ApplyAction);
  connect(close, &QPushButton::clicked, this, &KEPAteloColor::HideAction);

  // The colour the document paints with, which is also the first to match.
  _document->GetColor(_color[0], _color[1], _color[2], _color[3]);
  std::copy(std::begin(_color), std::end(_color), _match);
  ShowColour();
  SetSampleState(_document->GetPosImage(0) ? kSensitive : 16);
}

KEPAteloColor::~KEPAteloColor() {
  KEP_TRACE(2, "(KEPAteloColor::~KEPAteloColor)");
}

// --- channels ---------------------------------------------------------------------------

void KEPAteloColor::ShowChannel(int channel, int value) {
  const QSignalBlocker b1(_channelSlider[channel]), b2(_channelSpinner[channel]);
  _channelSlider[channel]->setValue(value);
  _channelSpinner[channel]->setValue(value);
}

void KEPAteloColor::ShowColour() {
  for (int c = 0; c < 3; ++c) {
    const bool on = _color[c] != kOff;
    {
      const QSignalBlocker block(_channelChk[c]);
      _channelChk[c]->setChecked(on);
    }
    // A channel switched off keeps showing its last value, which switching
    // it on again restores.
    if (on) ShowChannel(c, _color[c]);
    _channelSlider[c]->setEnabled(on);
    _channelSpinner[c]->setEnabled(on);
  }
  {
    const QSignalBlocker block(_transparentChk);
    _transparentChk->setChecked(_color[3] == 0);
  }
  AffColor();
}

void KEPAteloColor::ChannelChkAction(int channel, bool on) {
  _channelSlider[channel]->setEnabled(on);
  _channelSpinner[channel]->setEnabled(on);
  _color[channel] = on ? _channelSpinner[channel]->value() : kOff;
  AffColor();
}

void KEPAteloColor::ChannelSliderAction(int channel, int value) {
  _color[channel] = value;
  ShowChannel(channel, value);
  AffColor();
}

void KEPAteloColor::ChannelSpinnerAction(int channel, int value) {
  _color[channel] = value;
  ShowChannel(channel, value);
  AffColor();
}

void KEPAteloColor::AlphaChkAction(bool on) {
  _color[3] = on ? 0 : 255;
  AffColor();
}

void KEPAteloColor::AffColor() {
  FillColourSwatch(_swatch, kSwatchSide, kSwatchSide, std::span<const int, 4>(_color, 4));
  _swatchRep->UpdatePixels();
}

// --- the colour in and out --------------------------------------------------------------

void KEPAteloColor::SetColor(int red, int green, int blue, int alpha) {
  KEP_TRACE(4, "(KEPAteloColor::SetColor) %d %d %d %d", red, green, blue, alpha);
  const int values[3] = {red, green, blue};
  for (int c = 0; c < 3; ++c) {
    const bool on = _channelChk[c]->isChecked();
    _color[c] = _match[c] = on ? values[c] : kOff;
    ShowChannel(c, std::clamp(values[c], 0, 255));
  }
  _color[3] = _match[3] = alpha;
  {
    const QSignalBlocker block(_transparentChk);
    _transparentChk->setChecked(alpha == 0);
  }
  AffColor();
}

void KEPAteloColor::GetColor(int& red, int& green, int& blue, int& alpha) const {
  red = _color[0];
  green = _color[1];
  blue = _color[2];
  alpha = _color[3];
}

void KEPAteloColor::ApplyAction() {
  KEP_TRACE(4, "(KEPAteloColor::ApplyAction)");
  _document->SetColor(_color[0], _color[1], _color[2], _color[3]);
}

void KEPAteloColor::HideAction() {
  KEP_TRACE(4, "(KEPAteloColor::HideAction)");
  _document->GetColor(_color[0], _color[1], _color[2], _color[3]);
  ShowColour();
  hide();
  UncheckSample();
}

void KEPAteloColor::closeEvent(QCloseEvent* event) {
  HideAction();
  event->accept();
}

void KEPAteloColor::reject() {
  HideAction();
}

// --- sample -----------------------------------------------------------------------------

void KEPAteloColor::SampleColorAction(bool on) {
  KEP_TRACE(4, "(KEPAteloColor::SampleColorAction) %d", on);
  if (on)
    _document->EnterSampleColorTool();
  else
    _document->LeaveSampleColorTool();
}

void KEPAteloColor::UncheckSample() {
  if (!_sampleColorBtn->isChecked()) return;
  {
    const QSignalBlocker block(_sampleColorBtn);
    _sampleColorBtn->setChecked(false);
  }
  _document->LeaveSampleColorTool();
}

bool KEPAteloColor::IsSampling() const {
  return _sampleColorBtn->isChecked() && _sampleColorBtn->isEnabled();
}

void KEPAteloColor::SetSampleState(int sensitivity) {
  const bool sensitive = sensitivity == kSensitive;
  const bool was = _sampleColorBtn->isEnabled();
  _sampleColorBtn->setEnabled(sensitive);
  _matchBtn->setEnabled(sensitive);
  if (!_sampleColorBtn->isChecked() || was == sensitive) return;
  if (sensitive)
    _document->EnterSampleColorTool();
  else
    _document->LeaveSampleColorTool();
}

// --- match ------------------------------------------------------------------------------

void KEPAteloColor::MatchAction() {
  KEP_TRACE(4, "(KEPAteloColor::MatchAction)");
  KEPAtelIma* image = _document->GetPosImage(0);
  if (!image || !image->GetPixels()) {
    SetSampleState(16);
    return;
  }
  int width = 0, height = 0;
  image->GetSize(width, height);
  int x = 0, y = 0, w = 0, h = 0;
  const unsigned char* bytes = _document->GetSelectionMasque(x, y, w, h);
  const int side = _document->GetSelZoneSide();
  KEPSelectionMask mask;
  if (bytes) {
    mask.bytes = std::span<const unsigned char>(bytes, static_cast<std::size_t>(w) * h);
    mask.x = x, mask.y = y, mask.width = w, mask.height = h;
  }
  if (!bytes || side != 0) x = 0, y = 0, w = width, h = height;
  const KEPSelectionMask* shape = bytes ? &mask : nullptr;
  // The stereo companion changes at the same positions, under the same
  // selection, when it has the same size.
  KEPAtelIma* partner = image->GetCoupledImage();
  int partnerWidth = 0, partnerHeight = 0;
  if (partner) partner->GetSize(partnerWidth, partnerHeight);
  if (partnerWidth != width || partnerHeight != height) partner = nullptr;

  const bool changes =
      Replace(image->GetPixels(), width, height, x, y, w, h, shape, side, _match, _color, true) ||
      (partner &&
       Replace(partner->GetPixels(), width, height, x, y, w, h, shape, side, _match, _color, true));
  if (changes) {
    _document->SaveImageForUndo(image, 1);
    Replace(image->GetPixels(), width, height, x, y, w, h, shape, side, _match, _color, false);
    if (partner)
      Replace(partner->GetPixels(), width, height, x, y, w, h, shape, side, _match, _color, false);
    _document->RedisplayImageRect(image, x, y, w, h);
  }
  // A second Match replaces what this one painted no further.
  std::copy(std::begin(_color), std::end(_color), _match);
}
