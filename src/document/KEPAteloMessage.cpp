#include "document/KEPAteloMessage.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/KEPTrace.h"

KEPAteloMessage::KEPAteloMessage(QWidget* parent) : QDialog(parent) {
  KEP_TRACE(2, "(KEPAteloMessage::KEPAteloMessage)");
  setObjectName("messageDialog");
  setWindowTitle("Messages");
  _editor = new QPlainTextEdit(this);
  _editor->setObjectName("editor");
  _editor->setReadOnly(true);
  _editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFontMetrics metrics(_editor->font());
  // 100 characters wide, 20 lines high.
  _editor->setMinimumSize(metrics.horizontalAdvance('x') * 100, metrics.lineSpacing() * 20);

  auto* close = new QPushButton(" Close ", this);
  close->setObjectName("closeBtn");
  auto* clear = new QPushButton(" Clear ", this);
  clear->setObjectName("clearBtn");
  connect(close, &QPushButton::clicked, this, &KEPAteloMessage::HideAction);
  connect(clear, &QPushButton::clicked, this, &KEPAteloMessage::ClearAction);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(close);
  buttons->addStretch();
  buttons->addWidget(clear);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(_editor, 1);
  layout->addLayout(buttons);
}

void KEPAteloMessage::AddMessage(const char* text) {
  if (!text) return;
  std::string message(text);
  if (message.empty() || message.back() != '\n') {
    _pending += message;
    return;
  }
  message.pop_back();
  _pending += message;
  _editor->appendPlainText(QString::fromStdString(_pending));
  _pending.clear();
}

void KEPAteloMessage::ClearMessage() {
  _editor->clear();
}

QString KEPAteloMessage::GetText() const {
  return _editor->toPlainText();
}

void KEPAteloMessage::HideAction() {
  hide();
}

void KEPAteloMessage::ClearAction() {
  ClearMessage();
}
