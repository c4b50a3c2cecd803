#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QWidget;

// A blocking question: a message box named `name` (such as "warnDlg") with
// its title, text and buttons in order.
struct KEPQuestion {
  std::string name;
  std::string title;
  std::string text;
  std::vector<std::string> buttons;
};

// A file box: its name ("open", "saveAs", ...), title, start directory,
// the type list as (label, pattern) pairs, the filter pattern to start with,
// and whether several files may be chosen or a file is saved.
struct KEPFileBoxRequest {
  std::string name;
  std::string title;
  std::string directory;
  std::vector<std::pair<std::string, std::string>> types;
  std::string filter;
  bool multiple = false;
  bool save = false;
};

struct KEPFileBoxAnswer {
  bool accepted = false;           // OK (true) or Cancel / window closed (false)
  std::vector<std::string> files;  // absolute names, in selection order
  std::string filter;              // the filter pattern in force at OK, such as "*.tif"
};

// Where every blocking question and file box of the workbench goes. The real
// handler shows Qt boxes; tests install a scripted one, so nothing ever waits
// for a click.
class KEPPromptHandler {
 public:
  virtual ~KEPPromptHandler() = default;
  // Returns the 1-based index of the button chosen, 0 when the box was closed.
  virtual int Ask(QWidget* parent, const KEPQuestion& question) = 0;
  virtual KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request) = 0;
};

namespace KEPPrompt {
int Ask(QWidget* parent, const KEPQuestion& question);
// One-button warning box: Ask with the single button "OK".
void Warn(QWidget* parent, const std::string& name, const std::string& title,
          const std::string& text);
KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request);
// Installs a handler (null restores the Qt one) and returns the previous one.
std::shared_ptr<KEPPromptHandler> SetHandler(std::shared_ptr<KEPPromptHandler> handler);
}  // namespace KEPPrompt
