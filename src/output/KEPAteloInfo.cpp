#include "output/KEPAteloInfo.h"

#include <sys/stat.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "image/KEPAtelIma.h"
#include "image/KEPAtelImaFormat.h"
#include "platform/KEPTrace.h"

namespace {

template <class... Args>
std::string Format(const char* format, Args... args) {
  char line[512];
  std::snprintf(line, sizeof line, format, args...);
  return line;
}

}  // namespace

KEPAteloInfo::KEPAteloInfo(QWidget* parent) : QDialog(parent) {
  KEP_TRACE(2, "(KEPAteloInfo::KEPAteloInfo)");
  setObjectName("infoDialog");
  setWindowTitle("Image Information");
  _editor = new QPlainTextEdit(this);
  _editor->setObjectName("editor");
  _editor->setReadOnly(true);
  _editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  // 70 characters wide, 8 lines high; the labels line up in a fixed font.
  _editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  QFontMetrics metrics(_editor->font());
  _editor->setMinimumSize(metrics.horizontalAdvance('x') * 70 + 12, metrics.lineSpacing() * 8 + 12);

  auto* close = new QPushButton(" Close ", this);
  close->setObjectName("closeBtn");
  connect(close, &QPushButton::clicked, this, &KEPAteloInfo::HideAction);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(_editor, 1);
  layout->addLayout(buttons);
}

void KEPAteloInfo::UpdateInfo(const KEPAtelIma* image) {
  ClearMessage();
  if (!image) return;
  int width = 0, height = 0;
  image->GetSize(width, height);
  AddMessage(Format("File Name            : %s", image->GetName()));
  AddMessage(Format("Image Size           : Width  = %d", width));
  AddMessage(Format("                              Height = %d", height));
  AddMessage(Format("Memory Used       : %zu bytes", image->GetMemorySize()));
  AddMessage(Format("File Format           : %s", GetFormat(image).c_str()));
  if (int seconds = image->GetRenderingTime(); seconds > 0)
    AddMessage(Format("Rendering Time    : %d seconds", seconds));
  if (image->IsSaved()) {
    struct stat info;
    if (stat(image->GetName(), &info) == 0)
      AddMessage(Format("Image Status        : Saved     (File size: %lld bytes)",
                        static_cast<long long>(info.st_size)));
    else
      AddMessage("Image Status        : Saved");
  } else {
    AddMessage("Image Status        : Not Saved");
  }
  if (int part = image->GetFramePart(); part != 0)
    AddMessage(Format("Image Frame Part : %d", part));
}

void KEPAteloInfo::AddMessage(const std::string& text) {
  _editor->appendPlainText(QString::fromStdString(text));
}

void KEPAteloInfo::ClearMessage() {
  _editor->clear();
}

QString KEPAteloInfo::GetText() const {
  return _editor->toPlainText();
}

std::string KEPAteloInfo::GetFormat(const KEPAtelIma* image) {
  KEPAtelImaFormat format;
  if (!image || !image->GetFormat(format) || format.GetComment().empty()) return "Unknown";
  return format.GetComment();
}

void KEPAteloInfo::HideAction() {
  hide();
}

void KEPAteloInfo::reject() {
  HideAction();
}
