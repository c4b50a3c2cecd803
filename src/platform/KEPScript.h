#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/KEPPrompt.h"

class QWidget;

// Drives the running workbench from a text file, one command per line, so
// that a session can be replayed without a person at the screen (and the
// workbench tested as the user runs it). The file is named by the
// environment variable ATELO_SCRIPT; what happens is logged, one line per
// event, to the file named by ATELO_SCRIPT_LOG (standard error without it).
//
// Commands (blank lines and lines starting with "#" are skipped; names are
// Qt object names, found in every top-level window, or "window/name" for
// the control of one window):
//   trigger <action>             runs a menu item or toolbar action
//   click <button>               clicks a button of a window
//   set <control> <value>        sets a slider, spin box, check box,
//                                combo box (its index), list (the row
//                                made current and selected) or text field
//   mouse press|move|release <widget> <x> <y>
//                                a left-button event at widget pixel (x, y)
//   view press|move|release <x> <y>
//                                the same on the viewer "2DViewer", at the
//                                view point (x, y)
//   key <widget> <key>           a key press and release (a Qt key name
//                                such as Escape or Return)
//   close <window>               closes a window as its title bar would
//   answer <button>              the next question is answered with its
//                                button number (1-based)
//   files <filter> <path>...     the next file box is accepted with these
//   cancel                       the next file box is cancelled
//   printto <file>               the next print or printer set-up dialog is
//                                accepted, printing to that PDF file
//   wait <milliseconds>          lets the workbench run for a while
//   waitfor enabled|disabled|visible|hidden <name>
//                                waits (at most 20 s) until the action or
//                                widget is so; logged as an error otherwise
//   log <text>                   writes the text to the log
//   show <name>                  logs "show <name> <state>": an action's or
//                                a check box's on/off, a label's or text
//                                field's text, a slider's or spin box's
//                                value, a combo box's index, a window's title
//   grab <widget> <path>         saves a picture of the widget (PNG)
// Questions without a queued answer take their first button; file boxes
// and print dialogs without one are cancelled. A command that cannot be carried out is logged
// as "error" and the script goes on.
class KEPScript : public QObject {
  Q_OBJECT

 public:
  // Reads the script named by ATELO_SCRIPT, if any, and answers questions
  // from then on, so that a question asked while the program starts does
  // not wait for a click either. Null when there is none or it cannot be
  // read (which is logged).
  static KEPScript* LoadFromEnvironment();

  explicit KEPScript(std::vector<std::string> lines, std::FILE* log);
  // Carries out the commands, from the next turn of the event loop.
  void Start();
  ~KEPScript() override;

  // Runs one command; false when it could not be carried out.
  bool Execute(const std::string& line);
  void Log(const std::string& text);

 private:
  void Next();
  // Whether the condition of a "waitfor" line holds.
  static bool Holds(const std::string& state, const std::string& name);
  // The state "show" logs; false when there is no such object.
  static bool Describe(const std::string& name, std::string& state);

  class Handler;
  std::vector<std::string> _lines;
  std::size_t _next = 0;
  // The "waitfor" line being waited on, and how many polls are left.
  std::vector<std::string> _waitFor;
  int _pollsLeft = 0;
  std::FILE* _log;
  std::shared_ptr<Handler> _handler;
  QTimer _timer;
};
