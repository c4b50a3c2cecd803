#include "effects/KEPAteloSplit.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "image/KEPAtelIma.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DLineGP.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloDocumentHost.h"
#include "series/KEPAteloSeries.h"

using KEPDialogParts::Named;

namespace {

QLineEdit* ReadOnlyField(const char* name) {
  auto* field = Named(new QLineEdit, name);
  field->setReadOnly(true);
  field->setMaximumWidth(80);
  return field;
}

}  // namespace

KEPAteloSplit::KEPAteloSplit(KEPAteloDocumentHost* document, QWidget* parent)
    : QDialog(parent), _document(document) {
  KEP_TRACE(2, "(KEPAteloSplit::KEPAteloSplit)");
  setObjectName("splitImageDialog");
  setWindowTitle("Split");
  auto* outer = new QVBoxLayout(this);
  auto* main = Named(new QGroupBox, "mainFrame");
  auto* mainBox = new QVBoxLayout(main);

  auto* parameters = Named(new QGroupBox, "patchParmFrame");
  auto* grid = new QGridLayout(parameters);
  _patchNbHorizVal = ReadOnlyField("patchNbHorizVal");
  _patchNbVertVal = ReadOnlyField("patchNbVertVal");
  _patchWidthVal = ReadOnlyField("patchWidthVal");
  _patchHeightVal = ReadOnlyField("patchHeightVal");
  grid->addWidget(new QLabel("Patch Count"), 0, 0);
  grid->addWidget(new QLabel("Horizontal :"), 0, 1);
  grid->addWidget(_patchNbHorizVal, 0, 2);
  grid->addWidget(new QLabel("Vertical :"), 0, 3);
  grid->addWidget(_patchNbVertVal, 0, 4);
  grid->addWidget(new QLabel("Patch Size"), 1, 0);
  grid->addWidget(new QLabel("Width :"), 1, 1);
  grid->addWidget(_patchWidthVal, 1, 2);
  grid->addWidget(new QLabel("Height :"), 1, 3);
  grid->addWidget(_patchHeightVal, 1, 4);
  mainBox->addWidget(parameters);

  auto* preview = Named(new QGroupBox, "previewFrame");
  auto* previewBox = new QVBoxLayout(preview);
  _splitPreviewer = new KEP2DViewer(preview, kPreviewSide, kPreviewSide);
  _splitPreviewer->setObjectName("splitPreviewer");
  _splitPreviewer->setMinimumSize(kPreviewSide, kPreviewSide);
  _thumbRep = std::make_unique<KEPCatalog2DImagePixelRep>();
  _gridRep = std::make_unique<KEP2DCustomRep>();
  _splitPreviewer->AddRep(_thumbRep.get());
  _splitPreviewer->AddRep(_gridRep.get());
  previewBox->addWidget(_splitPreviewer, 1);
  auto* previewButtons = Named(new QGroupBox, "previewBtnFrame");
  auto* previewButtonsBox = new QHBoxLayout(previewButtons);
  _prevBtn = Named(new QPushButton("Previous"), "prevBtn", "Previous proposition");
  _nextBtn = Named(new QPushButton("Next"), "nextBtn", "Next proposition");
  previewButtonsBox->addWidget(_prevBtn);
  previewButtonsBox->addWidget(_nextBtn);
  previewBox->addWidget(previewButtons);
  mainBox->addWidget(preview, 1);
  outer->addWidget(main, 1);

  _okBtn = Named(new QPushButton("OK"), "okBtn");
  auto* cancel = Named(new QPushButton("Cancel"), "cancelBtn");
  KEPDialogParts::AddSpreadButtons(outer, {_okBtn, cancel});

  connect(_prevBtn, &QPushButton::clicked, this, &KEPAteloSplit::PreviousAction);
  connect(_nextBtn, &QPushButton::clicked, this, &KEPAteloSplit::NextAction);
  connect(_okBtn, &QPushButton::clicked, this, &KEPAteloSplit::OkAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAteloSplit::HideAction);
  UpdateButtons();
}

KEPAteloSplit::~KEPAteloSplit() {
  KEP_TRACE(2, "(KEPAteloSplit::~KEPAteloSplit)");
}

int KEPAteloSplit::Init(std::unique_ptr<KEPAtelIma> image, int position) {
  KEP_TRACE(4, "(KEPAteloSplit::Init) '%s' after %d", image ? image->GetName() : "", position);
  _image = std::move(image);
  _position = position;
  char error[KEP_ERRMSG_SIZE] = {0};
  if (!_image || _image->LoadPixels(_width, _height, error) != 0) {
    KEPFormatError(errmsg, "%s", error);
    hide();
    return 1;
  }
  _thumbnail = KEPSplit::Thumbnail(_image->GetPixels(), _width, _height, kPreviewSide, _thumbWidth,
                                   _thumbHeight);
  _thumbRep->SetPixels(_thumbnail.data(), _thumbWidth, _thumbHeight);
  _splitPreviewer->Reframe(KEPMathPoint2Df(0.5f * _thumbWidth, 0.5f * _thumbHeight), 1.0f);
  _aspect = static_cast<float>(_width) / static_cast<float>(_height);
  ComputeValues();
  UpdatePreview();
  return 0;
}

void KEPAteloSplit::ComputeValues() {
  _proposals = KEPSplit::Proposals(_width, _height);
  _current = 0;
  UpdateButtons();
}

void KEPAteloSplit::UpdateButtons() {
  const int count = static_cast<int>(_proposals.size());
  _prevBtn->setEnabled(_current > 0);
  _nextBtn->setEnabled(_current + 1 < count);
  _okBtn->setEnabled(count > 0);
}

void KEPAteloSplit::NextAction() {
  if (_current + 1 < static_cast<int>(_proposals.size())) ++_current;
  UpdateButtons();
  UpdatePreview();
}

void KEPAteloSplit::PreviousAction() {
  if (_current > 0) --_current;
  UpdateButtons();
  UpdatePreview();
}

void KEPAteloSplit::UpdatePreview() {
  _gridRep->RemoveAllPrimitives();
  if (_proposals.empty()) {
    for (QLineEdit* field : {_patchNbHorizVal, _patchNbVertVal, _patchWidthVal, _patchHeightVal})
      field->clear();
    _splitPreviewer->Redraw();
    return;
  }
  const KEPSplit::Proposal& tile = _proposals[_current];
  const int columns = _width / tile.width, rows = _height / tile.height;
  _patchWidthVal->setText(QString::asprintf("%d", tile.width));
  _patchHeightVal->setText(QString::asprintf("%d", tile.height));
  _patchNbHorizVal->setText(QString::asprintf("%d", columns));
  _patchNbVertVal->setText(QString::asprintf("%d", rows));
  // The grid is drawn over the preview picture, at its scale.
  const float sx = static_cast<float>(_thumbWidth) / _width;
  const float sy = static_cast<float>(_thumbHeight) / _height;
  std::vector<KEPMathPoint2Df> ends;
  for (int c = 1; c < columns; ++c) {
    const float x = static_cast<float>(c) * tile.width * sx;
    ends.emplace_back(x, 0.0f);
    ends.emplace_back(x, static_cast<float>(_thumbHeight));
  }
  for (int r = 1; r < rows; ++r) {
    const float y = static_cast<float>(r) * tile.height * sy;
    ends.emplace_back(0.0f, y);
    ends.emplace_back(static_cast<float>(_thumbWidth), y);
  }
  if (!ends.empty()) _gridRep->AddPrimitive(std::make_unique<KEP2DLineGP>(std::move(ends)));
  _splitPreviewer->Redraw();
}

void KEPAteloSplit::OkAction() {
  if (_proposals.empty() || !_image || !_image->GetPixels()) return;
  KEP_TRACE(4, "(KEPAteloSplit::OkAction) %d x %d tiles", _proposals[_current].width,
            _proposals[_current].height);
  _document->SetBusyCursor(true);
  KEPAteloSeries* series = _document->GetSeries();
  const bool failed =
      !series ||
      KEPSplit::CutTiles(
          *_image, _proposals[_current], [&](std::unique_ptr<KEPAtelIma> tile, int, int column) {
            _document->LinkImageToViewer(tile.get());
            // The series takes the tile.
            return series->InsertSingleAfter(tile.release(), _position + column) == 0;
          }) != 0;
  _image->UnloadPixels();
  _document->SetBusyCursor(false);
  if (failed) _document->DisplayError();
  if (series) series->SelectImage(_position + 1);
  HideAction();
}

void KEPAteloSplit::HideAction() {
  hide();
  emit Finished();
}

void KEPAteloSplit::reject() {
  HideAction();
}

void KEPAteloSplit::closeEvent(QCloseEvent* event) {
  event->accept();
  HideAction();
}
