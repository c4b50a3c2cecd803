#include "platform/KEPPrompt.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace {

class QtPromptHandler : public KEPPromptHandler {
 public:
  int Ask(QWidget* parent, const KEPQuestion& question) override {
    QMessageBox box(parent);
    box.setObjectName(QString::fromStdString(question.name));
    box.setWindowTitle(QString::fromStdString(question.title));
    box.setText(QString::fromStdString(question.text));
    box.setIcon(question.buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Warning);
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < question.buttons.size(); ++i) {
      auto role = i == 0 ? QMessageBox::AcceptRole
                         : (i + 1 == question.buttons.size() ? QMessageBox::RejectRole
                                                             : QMessageBox::ActionRole);
      buttons.push_back(box.addButton(QString::fromStdString(question.buttons[i]), role));
    }
    if (buttons.empty()) buttons.push_back(box.addButton(QMessageBox::Ok));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      if (box.clickedButton() == buttons[i]) return static_cast<int>(i) + 1;
    }
    return 0;
  }

  KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request) override {
    QFileDialog box(parent, QString::fromStdString(request.title),
                    QString::fromStdString(request.directory));
    box.setObjectName(QString::fromStdString(request.name));
    box.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(request.save       ? QFileDialog::AnyFile
                    : request.multiple ? QFileDialog::ExistingFiles
                                       : QFileDialog::ExistingFile);
    box.setOption(QFileDialog::DontUseNativeDialog, true);
    QStringList filters;
    QString selected;
    for (const auto& [label, pattern] : request.types) {
      QString entry = QString::fromStdString(label + " (" + pattern + ")");
      filters << entry;
      if (pattern == request.filter) selected = entry;
    }
    if (selected.isEmpty() && !request.filter.empty()) {
      selected = QString::fromStdString(request.filter + " (" + request.filter + ")");
      filters.prepend(selected);
    }
    box.setNameFilters(filters);
    if (!selected.isEmpty()) box.selectNameFilter(selected);

    KEPFileBoxAnswer answer;
    if (box.exec() != QDialog::Accepted) return answer;
    answer.accepted = true;
    for (const QString& file : box.selectedFiles()) answer.files.push_back(file.toStdString());
    QString filter = box.selectedNameFilter();
    int open = filter.lastIndexOf('('), close = filter.lastIndexOf(')');
    if (open >= 0 && close > open) filter = filter.mid(open + 1, close - open - 1);
    answer.filter = filter.toStdString();
    return answer;
  }
};

std::shared_ptr<KEPPromptHandler>& Current() {
  static std::shared_ptr<KEPPromptHandler> handler = std::make_shared<QtPromptHandler>();
  return handler;
}

}  // namespace

namespace KEPPrompt {

int Ask(QWidget* parent, const KEPQuestion& question) {
  return Current()->Ask(parent, question);
}

void Warn(QWidget* parent, const std::string& name, const std::string& title,
          const std::string& text) {
  Ask(parent, KEPQuestion{name, title, text, {"OK"}});
}

KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request) {
  return Current()->ChooseFiles(parent, request);
}

std::shared_ptr<KEPPromptHandler> SetHandler(std::shared_ptr<KEPPromptHandler> handler) {
  auto previous = Current();
  Current() = handler ? std::move(handler) : std::make_shared<QtPromptHandler>();
  return previous;
}

}  // namespace KEPPrompt
