#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QTextBrowser;

// One of the workbench's manuals, shown in a help window.
//
// A manual is named ("atvug" the user guide, "atvch" the interface
// description) and has pages. Its file is looked for, in this order:
// $HOME/<manual>/<manual><page, 3 digits>.frm, the same under $KEPFRAME (a
// site's own manuals), and the Markdown documentation installed with the
// program (share/atelo/doc beside the program's bin directory, then the
// installation prefix). Whatever is found is shown as Markdown.
class KEPAteloHelp {
 public:
  // `name` is the help window's object name, `title` its title.
  KEPAteloHelp(QWidget* parent, const char* name, const char* title);
  virtual ~KEPAteloHelp();

  virtual void SetManual(const char* manual, int page);
  virtual void GetManual(std::string& manual, int& page) const;
  // An anchor of the page to show first ("" for its top).
  virtual void SetPosition(const std::string& position);
  virtual const std::string& GetPosition() const;
  // Shows the resolved page in the help window: 0 shown; 1 no file found
  // (the window then says where it looked); 2 the file cannot be read.
  virtual int DisplayDocumentation();

  // The page found by SetManual, "" when none.
  const std::string& GetPath() const { return _path; }
  QDialog* GetWindow() const { return _window.get(); }
  QTextBrowser* GetBrowser() const { return _browser; }

  // "<base>/<manual>/<manual><page %03d>.frm".
  static std::string FramePath(const std::string& base, const std::string& manual, int page);
  // The installed Markdown file of a manual ("user-guide.md" for "atvug",
  // "interface.md" for "atvch"), "" for another manual.
  static std::string MarkdownName(const std::string& manual);
  // Where installed manuals are looked for, in order.
  static std::vector<std::string> DocumentationDirectories();

 private:
  void CreateWindow();

  QWidget* _parent;
  std::string _name, _title;
  std::string _manual;
  int _page = 0;
  std::string _position;
  std::string _path;
  std::unique_ptr<QDialog> _window;
  QTextBrowser* _browser = nullptr;  // in the window
};
