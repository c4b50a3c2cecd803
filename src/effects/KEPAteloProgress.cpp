#include "effects/KEPAteloProgress.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

KEPAteloProgress::KEPAteloProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("progressDialog");
  setWindowTitle("Progress");
  auto* frame = new QFrame(this);
  frame->setObjectName("mainFrame");
  _text = new QLabel(frame);
  _text->setObjectName("text");
  _bar = new QProgressBar(frame);
  _bar->setObjectName("progressBar");
  _bar->setRange(0, 100);
  _bar->setValue(0);
  auto* interrupt = new QPushButton("Interrupt", this);
  interrupt->setObjectName("okBtn");
  connect(interrupt, &QPushButton::clicked, this, &KEPAteloProgress::OkAction);

  auto* inner = new QVBoxLayout(frame);
  inner->addWidget(_text);
  inner->addWidget(_bar);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addWidget(interrupt, 0, Qt::AlignHCenter);
}

void KEPAteloProgress::SetText(const QString& text) {
  _text->setText(text);
}

void KEPAteloProgress::Init(int minimum, int maximum, int step) {
  _bar->setRange(minimum, maximum);
  _bar->setValue(std::clamp(0, minimum, maximum));
  _step = step;
}

void KEPAteloProgress::StepIt() {
  _bar->setValue(std::min(_bar->maximum(), _bar->value() + _step));
}

int KEPAteloProgress::GetValue() const {
  return _bar->value();
}

void KEPAteloProgress::OkAction() {
  if (_flag) *_flag = 1;
  hide();
}

void KEPAteloProgress::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}
