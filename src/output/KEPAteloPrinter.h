#pragma once

#include <QDialog>
#include <string>
#include <vector>

class KEPAteloDocumentHost;
class QTreeWidget;

// The shell print dialog: the user picks one of the named print commands of
// the print command file, and the command runs with the current image's
// file name as its last argument. The outcome is told through the
// document's error box.
class KEPAteloPrinter : public QDialog {
  Q_OBJECT

 public:
  // One line of the print command file.
  struct Command {
    std::string keyword;
    std::string command;
  };
  // Words of a command at most: the program and its arguments, before the
  // image's file name.
  static constexpr int kMaxWords = 20;

  KEPAteloPrinter(KEPAteloDocumentHost* host, QWidget* parent, const std::string& commandFile);

  // Fills the list from the command file afresh (it may be edited while the
  // workbench runs).
  void LoadCommands();
  const std::vector<Command>& GetCommands() const { return _commands; }

  void PrintAction();
  void HideAction();

  // "virda_atelo.printer" in the home directory; "" without HOME.
  static std::string CommandFileName();
  // Every line not starting with "#" is a command: blanks and tabs before
  // the keyword are skipped, the keyword runs to the next blank or tab, and
  // the command text is the rest after further blanks and tabs.
  static std::vector<Command> ParseCommands(const std::vector<std::string>& lines);
  // The words of a command text, at blanks and tabs, at most kMaxWords.
  static std::vector<std::string> SplitCommand(const std::string& text);
  // The message that tells the outcome of the print program's run.
  static const char* ResultMessage(int code);

 protected:
  void reject() override;

 private:
  // Writes the text to errmsg and shows it in the document's error box.
  void Tell(const char* text);

  KEPAteloDocumentHost* _host;
  std::string _commandFile;
  std::vector<Command> _commands;
  QTreeWidget* _list;
};
