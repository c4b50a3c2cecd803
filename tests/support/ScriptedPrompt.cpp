#include "support/ScriptedPrompt.h"

#include <QPrinter>

int ScriptedPrompt::Ask(QWidget*, const KEPQuestion& question) {
  asked.push_back(question);
  if (answers.empty()) return 1;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

KEPFileBoxAnswer ScriptedPrompt::ChooseFiles(QWidget*, const KEPFileBoxRequest& request) {
  fileBoxes.push_back(request);
  if (fileAnswers.empty()) return {};
  KEPFileBoxAnswer answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

bool ScriptedPrompt::ConfigurePrinter(QWidget*, const KEPPrintRequest& request, QPrinter& printer) {
  printRequests.push_back(request);
  if (printAnswers.empty()) return false;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(printAnswers.front()));
  printAnswers.pop_front();
  return true;
}

void ScriptedPrompt::Clear() {
  answers.clear();
  fileAnswers.clear();
  asked.clear();
  fileBoxes.clear();
  printAnswers.clear();
  printRequests.clear();
}

namespace {
std::shared_ptr<ScriptedPrompt>& Shared() {
  static auto prompt = std::make_shared<ScriptedPrompt>();
  return prompt;
}
}  // namespace

ScriptedPrompt& Prompt() {
  return *Shared();
}

std::shared_ptr<ScriptedPrompt> SharedPromptForMain() {
  return Shared();
}
