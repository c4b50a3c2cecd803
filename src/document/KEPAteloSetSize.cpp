#include "document/KEPAteloSetSize.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "image/KEPAtelIma.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"

using KEPDialogParts::Named;

namespace {

// An editor `characters` wide that takes at most that many characters.
QLineEdit* Editor(const char* name, int characters) {
  auto* editor = Named(new QLineEdit, name);
  editor->setMaxLength(characters);
  const int digit = editor->fontMetrics().horizontalAdvance(QLatin1Char('0'));
  editor->setFixedWidth(digit * (characters + 2) + 8);
  return editor;
}

// Widths and heights up to the image record's largest side, 65535, need
// five characters.
constexpr int kSizeCharacters = 5;
constexpr int kRatioCharacters = 3;

}  // namespace

KEPAteloSetSize::KEPAteloSetSize(QWidget* parent, ApplyFunction apply)
    : QDialog(parent), _apply(std::move(apply)) {
  KEP_TRACE(2, "(KEPAteloSetSize::KEPAteloSetSize)");
  setObjectName("setSizeDialog");
  setWindowTitle("Set Size");
  auto* main = new QVBoxLayout(this);
  auto* frame = Named(new QFrame, "mainFrame");
  auto* grid = new QGridLayout(frame);
  _widthValue = Editor("imageSetWidthValue", kSizeCharacters);
  _heightValue = Editor("imageSetHeightValue", kSizeCharacters);
  _ratioValue = Editor("sizeRatioValue", kRatioCharacters);
  grid->addWidget(Named(new QLabel("Width : "), "imageWidthLbl"), 0, 0);
  grid->addWidget(_widthValue, 0, 1);
  grid->addWidget(Named(new QLabel("Height : "), "imageHeightLbl"), 1, 0);
  grid->addWidget(_heightValue, 1, 1);
  auto* separator = Named(new QFrame, "sep");
  separator->setFrameShape(QFrame::HLine);
  grid->addWidget(separator, 2, 0, 1, 3);
  grid->addWidget(Named(new QLabel("Size : "), "sizeRatioLbl"), 3, 0);
  grid->addWidget(_ratioValue, 3, 1);
  grid->addWidget(Named(new QLabel("% "), "sizeRatioEndLbl"), 3, 2);
  main->addWidget(frame);

  auto* ok = Named(new QPushButton("Apply"), "setSizeOkBtn");
  auto* cancel = Named(new QPushButton("Cancel"), "setSizeCancelBtn");
  // Return in an editor ends the edit; it must not apply the size as well.
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  KEPDialogParts::AddSpreadButtons(main, {ok, cancel});

  connect(_widthValue, &QLineEdit::editingFinished, this, &KEPAteloSetSize::SetWidthAction);
  connect(_heightValue, &QLineEdit::editingFinished, this, &KEPAteloSetSize::SetHeightAction);
  connect(_ratioValue, &QLineEdit::editingFinished, this, &KEPAteloSetSize::SetRatioAction);
  connect(ok, &QPushButton::clicked, this, &KEPAteloSetSize::OkAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAteloSetSize::HideAction);
}

void KEPAteloSetSize::Show(QLineEdit* field, int value) {
  field->setText(value == 0 ? QString() : QString::number(value));
}

void KEPAteloSetSize::UpdateSize(int width, int height) {
  _width = _startWidth = width;
  _height = _startHeight = height;
  Show(_widthValue, _width);
  Show(_heightValue, _height);
  UpdateRatio();
}

void KEPAteloSetSize::UpdateRatio() {
  _ratio = 0;
  if (_startWidth != 0 && _startHeight != 0) {
    const int ratio = static_cast<int>(_width * 100.0 / _startWidth);
    if (ratio == _height * 100.0 / _startHeight) _ratio = ratio;
  }
  Show(_ratioValue, _ratio);
}

bool KEPAteloSetSize::ReadSize(QLineEdit* field, int& value) {
  const long typed = std::atol(field->text().toLatin1().constData());
  if (typed >= 1 && typed <= KEPAtelIma::kMaxSide) {
    value = static_cast<int>(typed);
    return true;
  }
  if (typed > KEPAtelIma::kMaxSide) {
    KEPPrompt::Warn(
        this, "warnDlg", windowTitle().toStdString(),
        "Width and height go from 1 to " + std::to_string(KEPAtelIma::kMaxSide) + " pixels.");
  }
  return false;
}

void KEPAteloSetSize::SetWidthAction() {
  if (ReadSize(_widthValue, _width))
    UpdateRatio();
  else
    Show(_widthValue, _width);
}

void KEPAteloSetSize::SetHeightAction() {
  if (ReadSize(_heightValue, _height))
    UpdateRatio();
  else
    Show(_heightValue, _height);
}

void KEPAteloSetSize::SetRatioAction() {
  const int ratio = std::atoi(_ratioValue->text().toLatin1().constData());
  if (ratio < 1) {
    _ratio = 0;
    Show(_ratioValue, 0);
    return;
  }
  _ratio = ratio;
  _width = static_cast<int>(static_cast<long long>(_startWidth) * ratio / 100);
  _height = static_cast<int>(static_cast<long long>(_startHeight) * ratio / 100);
  Show(_widthValue, _width);
  Show(_heightValue, _height);
}

void KEPAteloSetSize::OkAction() {
  KEP_TRACE(4, "(KEPAteloSetSize::OkAction) %d x %d new %d", _width, _height, _newImage);
  const bool newImage = _newImage;
  _newImage = false;
  _startWidth = _width;
  _startHeight = _height;
  hide();
  // Last: the document may tell this window the new size.
  if (_apply) _apply(_width, _height, newImage);
}

void KEPAteloSetSize::HideAction() {
  hide();
}

void KEPAteloSetSize::reject() {
  HideAction();
}
