#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QPrinter;
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

// A print dialog: "printDialog" chooses the printer (or a PDF file) and the
// copies before printing; with `setup`, "printerManagerDialog" only sets up
// the printer and the page for later prints.
struct KEPPrintRequest {
  std::string name;
  std::string title;
  bool setup = false;
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
  // A file box in which a folder may be chosen instead of a file ("Use This
  // Folder", or the name of an existing folder typed), answered with a
  // trailing "/", and in which names that do not exist yet may be typed;
  // `selection` stands in the name field at the start. Handlers without
  // one of their own answer as ChooseFiles.
  virtual KEPFileBoxAnswer ChooseFolderOrFile(QWidget* parent, const KEPFileBoxRequest& request,
                                              const std::string& selection) {
    (void)selection;
    return ChooseFiles(parent, request);
  }
  // Lets the user set up `printer`; false when the dialog was cancelled.
  // Handlers that know nothing of printing cancel.
  virtual bool ConfigurePrinter(QWidget* parent, const KEPPrintRequest& request,
                                QPrinter& printer) {
    (void)parent;
    (void)request;
    (void)printer;
    return false;
  }
};

namespace KEPPrompt {
int Ask(QWidget* parent, const KEPQuestion& question);
// One-button warning box: Ask with the single button "OK".
void Warn(QWidget* parent, const std::string& name, const std::string& title,
          const std::string& text);
KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request);
KEPFileBoxAnswer ChooseFolderOrFile(QWidget* parent, const KEPFileBoxRequest& request,
                                    const std::string& selection);
bool ConfigurePrinter(QWidget* parent, const KEPPrintRequest& request, QPrinter& printer);
// Installs a handler (null restores the Qt one) and returns the previous one.
std::shared_ptr<KEPPromptHandler> SetHandler(std::shared_ptr<KEPPromptHandler> handler);
}  // namespace KEPPrompt
