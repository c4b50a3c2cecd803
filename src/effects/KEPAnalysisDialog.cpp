#include "effects/KEPAnalysisDialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "effects/KEPAnalysisControls.h"
#include "effects/KEPAnalysisView.h"
#include "platform/KEPTrace.h"
#include "series/KEPAteloDocumentHost.h"

using KEPAnalysisControls::Named;

KEPAnalysisDialog::KEPAnalysisDialog(KEPAteloDocumentHost* document, QWidget* parent)
    : QDialog(parent), _document(document), _target(document) {}

void KEPAnalysisDialog::AddResultsControl(QBoxLayout* main, const char* title) {
  _previewCheck = Named(new QCheckBox("Preview"), "previewCheckButton");
  main->addWidget(_previewCheck);
  auto* results = KEPAnalysisControls::Frame("resultsControlFrame", title);
  _resultsGrid = new QGridLayout(results);
  _resultsControl =
      new KEPAnalysisView(results, KEPAnalysisArea::kControlWidth, KEPAnalysisArea::kControlHeight);
  _resultsControl->setObjectName("resultsControl");
  _resultsControl->setToolTip(title);
  _resultsGrid->addWidget(_resultsControl, 0, 0, 1, 2, Qt::AlignCenter);
  _analysisRadio = Named(new QRadioButton("Analyzed Image"), "analysisRadio");
  _imageRadio = Named(new QRadioButton("Source Image"), "imageRadio");
  _resultsGrid->addWidget(_analysisRadio, 1, 0);
  _resultsGrid->addWidget(_imageRadio, 1, 1);
  main->addWidget(results);
  connect(_previewCheck, &QCheckBox::clicked, this, &KEPAnalysisDialog::PreviewChkBAction);
  connect(_analysisRadio, &QRadioButton::clicked, this, &KEPAnalysisDialog::AnalysisRadBAction);
  connect(_imageRadio, &QRadioButton::clicked, this, &KEPAnalysisDialog::ImageRadBAction);
}

void KEPAnalysisDialog::AddOkCancel(QBoxLayout* main) {
  auto* buttons = new QHBoxLayout;
  auto* ok = Named(new QPushButton("  OK  "), "okBtn");
  auto* cancel = Named(new QPushButton("Cancel"), "cancelBtn");
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  main->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &KEPAnalysisDialog::OKAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAnalysisDialog::HideAction);
}

// --- life cycle ---------------------------------------------------------------------

void KEPAnalysisDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous() && !_initialised && !InitDialog()) {
    // Nothing to analyse: the window does not stay.
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
  }
}

void KEPAnalysisDialog::closeEvent(QCloseEvent* event) {
  event->accept();
  HideAction();
}

void KEPAnalysisDialog::reject() {
  HideAction();
}

bool KEPAnalysisDialog::InitDialog() {
  KEP_TRACE(4, "(KEPAnalysisDialog::InitDialog) %s", qPrintable(objectName()));
  if (!_target.Open()) return false;
  _preview = 0;
  _showAnalysed = 1;
  _target.MakeControl(_controlSource, _controlArea, _controlWidth, _controlHeight);
  _controlAnalysed = _controlSource;
  StartSession();
  UpdateAnalysisImage(1);
  Subscribe();
  _initialised = true;
  return true;
}

void KEPAnalysisDialog::OKAction() {
  KEP_TRACE(4, "(KEPAnalysisDialog::OKAction) %s", qPrintable(objectName()));
  if (!_initialised) {
    hide();
    return;
  }
  ConfirmSettings();
  hide();
  Unsubscribe();
  if (!_preview) UpdateDocumentImage();
  EndSession();
}

void KEPAnalysisDialog::HideAction() {
  KEP_TRACE(4, "(KEPAnalysisDialog::HideAction) %s", qPrintable(objectName()));
  hide();
  if (!_initialised) return;
  Unsubscribe();
  RestoreDocumentImage();
  EndSession();
}

void KEPAnalysisDialog::ImageDeleted(KEPAtelIma* image) {
  if (!_initialised || !_target.Holds(image)) return;
  hide();
  Unsubscribe();
  EndSession();
}

void KEPAnalysisDialog::EndSession() {
  _target.Close();
  _controlSource.clear();
  _controlAnalysed.clear();
  _controlArea = KEPAnalysisArea();
  _initialised = false;
}

// --- pictures -------------------------------------------------------------------------

void KEPAnalysisDialog::UpdateAnalysisImage(short redraw) {
  if (_controlSource.empty()) return;
  Analyse(_controlSource.data(), _controlAnalysed.data(), _controlWidth, _controlHeight,
          _controlArea);
  if (redraw && _showAnalysed) ShowControlImage();
}

void KEPAnalysisDialog::ShowControlImage() {
  const std::vector<unsigned char>& shown = _showAnalysed ? _controlAnalysed : _controlSource;
  if (!shown.empty()) _resultsControl->Show(shown.data(), _controlWidth, _controlHeight);
}

void KEPAnalysisDialog::UpdateDocumentImage() {
  if (!_target.IsOpen()) return;
  _document->SetBusyCursor(true);
  _target.Apply(
      [this](const unsigned char* kept, unsigned char* pixels, int width, int height,
             const KEPAnalysisArea& area) { Analyse(kept, pixels, width, height, area); });
  _document->SetBusyCursor(false);
}

void KEPAnalysisDialog::RestoreDocumentImage() {
  _target.Restore();
}

void KEPAnalysisDialog::UpdateDocumentIfPreview() {
  if (_preview) UpdateDocumentImage();
}

// --- controls -------------------------------------------------------------------------

void KEPAnalysisDialog::PreviewChkBAction() {
  _preview = _previewCheck->isChecked() ? 1 : 0;
  if (_preview)
    UpdateDocumentImage();
  else
    RestoreDocumentImage();
}

void KEPAnalysisDialog::AnalysisRadBAction() {
  _showAnalysed = 1;
  ShowControlImage();
}

void KEPAnalysisDialog::ImageRadBAction() {
  _showAnalysed = 0;
  ShowControlImage();
}
