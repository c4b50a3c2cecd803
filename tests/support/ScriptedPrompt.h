#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/KEPPrompt.h"

// Answers the workbench's questions and file boxes from queues and records
// what was asked. Without a queued answer a question takes its first button
// and a file box is cancelled, so an unscripted test never blocks.
class ScriptedPrompt : public KEPPromptHandler {
 public:
  int Ask(QWidget* parent, const KEPQuestion& question) override;
  KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request) override;
  // A queued PDF path is set as the printer's output and the dialog
  // accepted; without one the dialog is cancelled.
  bool ConfigurePrinter(QWidget* parent, const KEPPrintRequest& request,
                        QPrinter& printer) override;

  void QueueAnswer(int button) { answers.push_back(button); }
  void QueueFiles(KEPFileBoxAnswer answer) { fileAnswers.push_back(std::move(answer)); }
  void QueuePrintToFile(std::string pdf) { printAnswers.push_back(std::move(pdf)); }
  void Clear();
  // The texts of the questions asked, in order.
  std::vector<std::string> AskedTexts() const {
    std::vector<std::string> texts;
    for (const KEPQuestion& question : asked) texts.push_back(question.text);
    return texts;
  }

  std::deque<int> answers;
  std::deque<KEPFileBoxAnswer> fileAnswers;
  std::vector<KEPQuestion> asked;
  std::vector<KEPFileBoxRequest> fileBoxes;
  std::deque<std::string> printAnswers;
  std::vector<KEPPrintRequest> printRequests;
};

// The handler that test_main installs for every test; reset before each test.
ScriptedPrompt& Prompt();
