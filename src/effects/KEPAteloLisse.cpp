#include "effects/KEPAteloLisse.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>

#include "effects/KEPAteloProgress.h"
#include "effects/KEPComponentArrays.h"
#include "effects/KEPSmoothingRun.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPIdleWork.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloDocumentHost.h"
#include "series/KEPAteloSeries.h"

using KEPDialogParts::Named;

namespace {

// The K slider counts hundredths of ln K.
constexpr int kSliderScale = 100;
// How long one piece of the image run may keep the interface waiting, and
// the rows it is given at a time within that.
constexpr auto kPieceTime = std::chrono::milliseconds(40);
constexpr int kPieceRows = 64;

const char* const kTitles[2][3] = {
    {" Red          ", " Green        ", " Blue         "},
    {" Hue          ", " Lightness    ", " Saturation   "},
};

// Busy cursor for the life of a handler.
class BusyCursor {
 public:
  explicit BusyCursor(KEPAteloDocumentHost* host) : _host(host) { _host->SetBusyCursor(true); }
  ~BusyCursor() { _host->SetBusyCursor(false); }

 private:
  KEPAteloDocumentHost* _host;
};

}  // namespace

KEPAteloLisse::KEPAteloLisse(KEPAteloDocumentHost* document, QWidget* parent)
    : QDialog(parent), _document(document) {
  KEP_TRACE(2, "(KEPAteloLisse::KEPAteloLisse)");
  setObjectName("lisseDialog");
  setWindowTitle("Smoothing");
  auto* main = new QVBoxLayout(this);

  auto* params = Named(new QGroupBox("Smoothing parameters"), "paramsFrame");
  auto* paramsBox = new QVBoxLayout(params);
  auto* kRow = new QHBoxLayout;
  _kSlider = Named(new QSlider(Qt::Horizontal), "kSlider");
  _kSlider->setRange(-5 * kSliderScale, 0);
  _kSlider->setSingleStep(kSliderScale / 2);
  _kSlider->setPageStep(kSliderScale / 2);
  _kSlider->setValue(static_cast<int>(std::lround(std::log(0.05) * kSliderScale)));
  _kValue = Named(new QLabel, "kValue");
  kRow->addWidget(Named(new QLabel("Influence : Low"), "kLbl1"));
  kRow->addWidget(_kSlider, 1);
  kRow->addWidget(Named(new QLabel("High"), "kLbl2"));
  kRow->addWidget(_kValue);
  paramsBox->addLayout(kRow);
  auto* iterRow = new QHBoxLayout;
  // The count is 0 after a reset, and the slider shows it.
  _iterSlider = Named(new QSlider(Qt::Horizontal), "iterSlider");
  _iterSlider->setRange(0, kMaxIterations);
  _iterSlider->setValue(1);
  _iterValue = Named(new QLabel("1"), "iterValue");
  iterRow->addWidget(Named(new QLabel("Iterations:"), "iterLbl"));
  iterRow->addWidget(_iterSlider, 1);
  iterRow->addWidget(_iterValue);
  paramsBox->addLayout(iterRow);
  main->addWidget(params);

  auto* compo = Named(new QGroupBox("Color components"), "compoFrame");
  auto* compoBox = new QHBoxLayout(compo);
  _compoCmb = Named(new QComboBox, "compoCmb");
  _compoCmb->addItems({"  RGB  ", "  HLS  "});
  _compoCmb->setCurrentIndex(1);
  compoBox->addWidget(_compoCmb);
  const char* checkNames[3] = {"compo1Chk", "compo2Chk", "compo3Chk"};
  for (int c = 0; c < 3; ++c) {
    _compoChk[c] = Named(new QCheckBox(kTitles[1][c]), checkNames[c]);
    _compoChk[c]->setChecked(_compo[c] != 0);
    compoBox->addWidget(_compoChk[c]);
  }
  main->addWidget(compo);

  _previewer = new KEP2DViewer(this, 160, 160);
  _previewer->setObjectName("previewer");
  _previewer->setMinimumSize(160, 160);
  _previewRep = std::make_unique<KEPCatalog2DImagePixelRep>();
  _previewer->AddRep(_previewRep.get());
  main->addWidget(_previewer, 1);

  auto* previewButtons = new QHBoxLayout;
  _stepBtn = Named(new QPushButton("Step"), "stepBtn", "Compute Smoothing For Preview");
  _resetBtn = Named(new QPushButton("Reset"), "resetBtn", "Undo Last Step");
  _selectBtn = Named(new QRadioButton("Select"), "selectBtn", "Select Area To Preview");
  _selectBtn->setAutoExclusive(false);
  _reframeBtn = Named(new QPushButton("Reframe"), "reframeBtn", "Restore Initial Viewpoint");
  for (QWidget* w : {static_cast<QWidget*>(_stepBtn), static_cast<QWidget*>(_resetBtn),
                     static_cast<QWidget*>(_selectBtn), static_cast<QWidget*>(_reframeBtn)})
    previewButtons->addWidget(w);
  main->addLayout(previewButtons);
  _stepBtn->setEnabled(false);
  _resetBtn->setEnabled(false);
  _reframeBtn->setEnabled(false);

  auto* ok = Named(new QPushButton("OK"), "okBtn");
  auto* close = Named(new QPushButton("Close"), "cancelBtn");
  KEPDialogParts::AddSpreadButtons(main, {ok, close});

  connect(_kSlider, &QSlider::valueChanged, this,
          [this](int value) { KAction(static_cast<double>(value) / kSliderScale); });
  connect(_iterSlider, &QSlider::valueChanged, this, &KEPAteloLisse::IterAction);
  connect(_compoCmb, qOverload<int>(&QComboBox::activated), this, &KEPAteloLisse::CompoAction);
  connect(_compoChk[0], &QCheckBox::toggled, this, &KEPAteloLisse::Check1Action);
  connect(_compoChk[1], &QCheckBox::toggled, this, &KEPAteloLisse::Check2Action);
  connect(_compoChk[2], &QCheckBox::toggled, this, &KEPAteloLisse::Check3Action);
  connect(_stepBtn, &QPushButton::clicked, this, &KEPAteloLisse::StepAction);
  connect(_resetBtn, &QPushButton::clicked, this, &KEPAteloLisse::ResetAction);
  connect(_selectBtn, &QRadioButton::clicked, this, &KEPAteloLisse::SelectAction);
  connect(_reframeBtn, &QPushButton::clicked, this, &KEPAteloLisse::ReframeAction);
  connect(ok, &QPushButton::clicked, this, &KEPAteloLisse::OkAction);
  connect(close, &QPushButton::clicked, this, &KEPAteloLisse::HideAction);
  _kValue->setText(QString::number(_kSlider->value() / static_cast<double>(kSliderScale), 'f', 2));
}

KEPAteloLisse::~KEPAteloLisse() {
  KEP_TRACE(2, "(KEPAteloLisse::~KEPAteloLisse)");
  if (_idleId) KEPIdleWork::RemoveSubscribe(_idleId);
}

void KEPAteloLisse::Message(const char* text) {
  KEPFormatError(errmsg, "%s", text);
  _document->DisplayError();
}

// --- parameters ----------------------------------------------------------------------

void KEPAteloLisse::KAction(double value) {
  _k = static_cast<float>(std::exp(value));
  _kValue->setText(QString::number(value, 'f', 2));
}

void KEPAteloLisse::IterAction(int value) {
  _iterations = static_cast<float>(value);
  _iterValue->setText(QString::number(value));
  _stepBtn->setEnabled(true);
}

void KEPAteloLisse::ShowIterations(int count) {
  _iterSlider->setValue(count);
  // An unchanged value sends no signal.
  _iterations = static_cast<float>(count);
  _iterValue->setText(QString::number(count));
}

void KEPAteloLisse::CompoAction(int space) {
  _space = static_cast<unsigned char>(space == KEPComponentArrays::kRGB ? 0 : 1);
  for (int c = 0; c < 3; ++c) {
    QSignalBlocker block(_compoChk[c]);
    _compoChk[c]->setText(kTitles[_space][c]);
    _compoChk[c]->setChecked(true);
    _compo[c] = 1;
  }
}

void KEPAteloLisse::Check1Action(bool on) {
  _compo[0] = on ? 1 : 0;
}

void KEPAteloLisse::Check2Action(bool on) {
  _compo[1] = on ? 1 : 0;
}

void KEPAteloLisse::Check3Action(bool on) {
  _compo[2] = on ? 1 : 0;
}

void KEPAteloLisse::ResetParams() {
  _kSlider->setValue(static_cast<int>(std::lround(std::log(0.05) * kSliderScale)));
  _k = 0.05f;
  _compoCmb->setCurrentIndex(1);
  CompoAction(1);
  for (int c = 0; c < 3; ++c) {
    QSignalBlocker block(_compoChk[c]);
    _compo[c] = c == 1;
    _compoChk[c]->setChecked(c == 1);
  }
  ShowIterations(1);
}

// --- preview ---------------------------------------------------------------------------

void KEPAteloLisse::SetPreview(const unsigned char* pixels, int width, int height) {
  if (!pixels || width < 1 || height < 1) return;
  if (!_preview) _preview = std::make_unique<KEPAtelIma>(KEPAtelIma::STATE_IN_MEMORY, 0u);
  if (_preview->AllocatePixels(width, height) != 0) {
    _preview.reset();
    return;
  }
  const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
  std::memcpy(_preview->GetPixels(), pixels, bytes);
  _savedPixels.assign(pixels, pixels + bytes);
  _savedWidth = width;
  _savedHeight = height;
  _previewRep->SetPixels(_preview->GetPixels(), width, height);
  ReframeAction();
  _stepBtn->setEnabled(true);
  _reframeBtn->setEnabled(true);
  _resetBtn->setEnabled(false);
  _done = 0;
  ShowIterations(0);
}

void KEPAteloLisse::RestorePreview() {
  int width = 0, height = 0;
  if (_preview) _preview->GetSize(width, height);
  if (!_preview || width != _savedWidth || height != _savedHeight || _savedPixels.empty()) return;
  std::memcpy(_preview->GetPixels(), _savedPixels.data(), _savedPixels.size());
  _previewRep->UpdatePixels();
}

void KEPAteloLisse::StepAction() {
  KEP_TRACE(4, "(KEPAteloLisse::StepAction)");
  const char* failure = nullptr;
  if (!_preview)
    failure = "No preview image selected !";
  else if (!AnyComponent())
    failure = "Choose at least one color component !";
  else if (!(_k > 0.0f))
    failure = "The Gaussian parameter must be greater than Zero !\nChoose another value.";
  if (failure) {
    Message(failure);
    _stepBtn->setEnabled(false);
    return;
  }
  int requested = static_cast<int>(std::trunc(_iterations));
  if (requested < _done) {
    RestorePreview();
    _done = 0;
  }
  if (requested == _done && requested < kMaxIterations) ShowIterations(++requested);
  if (requested >= kMaxIterations) _stepBtn->setEnabled(false);
  LisseImage(true, _preview.get(), requested - _done);
  _resetBtn->setEnabled(true);
  _previewRep->UpdatePixels();
  _previewer->Redraw();
}

void KEPAteloLisse::ResetAction() {
  RestorePreview();
  _previewer->Redraw();
  _stepBtn->setEnabled(true);
  _resetBtn->setEnabled(false);
  _done = 0;
  ShowIterations(0);
}

void KEPAteloLisse::ReframeAction() {
  int width = 0, height = 0;
  if (_preview) _preview->GetSize(width, height);
  float viewWidth = 0, viewHeight = 0;
  _previewer->GetGraphicSize(viewWidth, viewHeight);
  const float zoom = KEP2DViewer::FitZoom(viewWidth, viewHeight, width, height);
  _previewer->Reframe(KEPMathPoint2Df(0.5f * width, 0.5f * height), zoom > 0 ? zoom : 1.0f);
  _previewer->Redraw();
}

void KEPAteloLisse::UpdateImage() {
  SetSelectState(_document->GetPosImage(0) ? 8 : 16);
  _stepBtn->setEnabled(false);
  _resetBtn->setEnabled(false);
  _reframeBtn->setEnabled(false);
  _previewRep->SetPixels(nullptr, 0, 0);
  _preview.reset();
  std::vector<unsigned char>().swap(_savedPixels);
  _savedWidth = _savedHeight = 0;
  _done = 0;
  ShowIterations(0);
  _interrupt = 0;
  if (isVisible()) _previewer->Redraw();
}

// --- preview area ----------------------------------------------------------------------

void KEPAteloLisse::SelectAction() {
  _document->SetToolCallbacks(
      _selectBtn->isChecked() ? KEPAteloDocumentHost::TOOL_PREVIEW_POSITIONING : 0);
}

void KEPAteloLisse::UncheckSelect() {
  QSignalBlocker block(_selectBtn);
  _selectBtn->setChecked(false);
}

void KEPAteloLisse::SetSelectState(int sensitivity) {
  _selectBtn->setEnabled(sensitivity == 8);
}

// --- applying --------------------------------------------------------------------------

void KEPAteloLisse::OkAction() {
  KEP_TRACE(4, "(KEPAteloLisse::OkAction)");
  BusyCursor busy(_document);
  if (IsRunning()) return;
  KEPAtelIma* image = _document->GetPosImage(0);
  if (!image || !image->GetPixels()) return Message("No image to smooth !");
  if (!AnyComponent()) return Message("Select at least one color component !");
  if (static_cast<int>(std::trunc(_iterations)) == 0)
    return Message("Apply at least 1 iteration !");
  if (!(_k > 0.0f))
    return Message("The Gaussian parameter must be greater than Zero !\nChoose another value.");
  if (!_progress) {
    _progress = std::make_unique<KEPAteloProgress>(parentWidget());
    _progress->setObjectName("interruptDialog");
    _progress->SetText("Smoothing In Progress...");
    _progress->AssociateToFlag(&_interrupt);
    // Only Interrupt answers while the image is being changed.
    _progress->setWindowModality(Qt::ApplicationModal);
  }
  _idleId = KEPIdleWork::Subscribe([this] { ExecLisseImage(); });
}

int KEPAteloLisse::LisseImage(bool preview, KEPAtelIma* image, int iterations) {
  if (!image || !image->GetPixels() || iterations <= 0) return 1;
  KEPSmoothing::Params params;
  params.k = _k;
  std::memcpy(params.components, _compo, 3);
  KEPSelectionMask mask;
  if (!preview) {
    mask.bytes = _document->GetSelectionMasque(mask.x, mask.y, mask.width, mask.height);
    mask.side = _document->GetSelZoneSide();
  }
  auto run = std::make_unique<KEPSmoothingRun>(params, _space, mask, iterations);
  int width = 0, height = 0;
  image->GetSize(width, height);
  if (!run->AddImage(image->GetPixels(), width, height)) return 1;
  if (preview) {
    while (!run->IsFinished() && !_interrupt) {
      run->Advance(run->GetHeight());
      ShowIterations(_done + run->GetDone());
    }
    _done += run->GetDone();
    run->WriteBack();
    return 0;
  }
  _runPixels.assign(1, {image, image->GetPixels()});
  if (KEPAtelIma* partner = image->GetCoupledImage(); partner && partner->GetPixels()) {
    int pw = 0, ph = 0;
    partner->GetSize(pw, ph);
    if (run->AddImage(partner->GetPixels(), pw, ph))
      _runPixels.emplace_back(partner, partner->GetPixels());
  }
  _run = std::move(run);
  _runImage = image;
  _progress->Init(
      0,
      static_cast<int>(std::min<long>(INT_MAX, static_cast<long>(iterations) * _run->GetHeight())),
      1);
  _progress->show();
  return 0;
}

void KEPAteloLisse::ExecLisseImage() {
  if (!_run) return LisseImageWithInterrupt();
  // The images must still be there, with the buffers the run writes to.
  KEPAteloSeries* series = _document->GetSeries();
  for (const auto& [image, pixels] : _runPixels) {
    if (!series || !series->LocateImage(image) || image->GetPixels() != pixels)
      return EndLisseImage(false);
  }
  if (_interrupt) return EndLisseImage(true);
  const auto start = std::chrono::steady_clock::now();
  while (_run->Advance(kPieceRows) && !_interrupt &&
         std::chrono::steady_clock::now() - start < kPieceTime) {
  }
  AffProgress(_run->GetRowsDone());
  if (_run->GetDone() != _done) {
    _done = _run->GetDone();
    ShowIterations(_done);
  }
  if (_run->IsFinished()) EndLisseImage(true);
}

void KEPAteloLisse::LisseImageWithInterrupt() {
  _done = 0;
  KEPAtelIma* image = _document->GetPosImage(0);
  if (!image || !image->GetPixels()) return EndLisseImage(false);
  _document->SaveImageForUndo(image, 1);
  if (LisseImage(false, image, static_cast<int>(std::trunc(_iterations))) != 0)
    EndLisseImage(false);
}

void KEPAteloLisse::AffProgress(long rowsDone) {
  if (!_progress) return;
  for (long shown = _progress->GetValue(); shown < rowsDone; ++shown) _progress->StepIt();
}

void KEPAteloLisse::EndLisseImage(bool write) {
  KEP_TRACE(4, "(KEPAteloLisse::EndLisseImage) %d of %d iterations", _done,
            _run ? _run->GetIterations() : 0);
  if (write && _run) _run->WriteBack();
  _run.reset();
  _runPixels.clear();
  if (_progress) _progress->hide();
  _interrupt = 0;
  KEPIdleWork::RemoveSubscribe(_idleId);
  _idleId = 0;
  if (write && _runImage) _document->RedisplayImage(_runImage);
  _runImage = nullptr;
}

// --- window ------------------------------------------------------------------------------

void KEPAteloLisse::HideAction() {
  hide();
  if (_progress) _progress->hide();
  if (_selectBtn->isChecked()) {
    UncheckSelect();
    _document->SetToolCallbacks(0);
  }
}

void KEPAteloLisse::closeEvent(QCloseEvent* event) {
  HideAction();
  event->accept();
}

void KEPAteloLisse::reject() {
  HideAction();
}
