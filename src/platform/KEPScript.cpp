#include "platform/KEPScript.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QPrinter>
#include <QSpinBox>
#include <QTextEdit>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <type_traits>

#include "platform/viewer/KEP2DViewer.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The rest of the line after its first `count` words.
std::string Rest(const std::string& line, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < count; ++i) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos) return "";
    at = line.find_first_of(" \t", at);
    if (at == std::string::npos) return "";
  }
  at = line.find_first_not_of(" \t", at);
  return at == std::string::npos ? "" : line.substr(at);
}

template <class T>
T* FindNamed(const std::string& name) {
  // "window/name": the control of that window, when several have one so
  // named (their OK buttons).
  if (const std::size_t slash = name.find('/'); slash != std::string::npos) {
    const QString window = QString::fromStdString(name.substr(0, slash));
    const QString child = QString::fromStdString(name.substr(slash + 1));
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->objectName() == window)
        if (T* found = top->findChild<T*>(child)) return found;
    return nullptr;
  }
  const QString wanted = QString::fromStdString(name);
  // A control that is shown first: several windows have an "okBtn", and
  // the dialogs are children of the main window, so a hidden one's would
  // otherwise come first.
  auto shown = [](T* found) {
    if constexpr (std::is_base_of_v<QWidget, T>)
      return found->isVisible();
    else
      return true;  // actions: the first one
  };
  T* hidden = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    std::vector<T*> candidates;
    if (auto* self = qobject_cast<T*>(window); self && window->objectName() == wanted)
      candidates.push_back(self);
    for (T* found : window->findChildren<T*>(wanted)) candidates.push_back(found);
    for (T* found : candidates) {
      if (shown(found)) return found;
      if (!hidden) hidden = found;
    }
  }
  return hidden;
}

bool ParseInt(const std::string& text, int& value) {
  char* end = nullptr;
  long parsed = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParseDouble(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && !*end;
}

}  // namespace

// Answers the workbench's questions and file boxes from the script's
// queues, and logs every one.
class KEPScript::Handler : public KEPPromptHandler {
 public:
  explicit Handler(KEPScript* script) : _script(script) {}

  int Ask(QWidget*, const KEPQuestion& question) override {
    int answer = 1;
    if (!_answers.empty()) {
      answer = _answers.front();
      _answers.pop_front();
    }
    std::string text = question.text;
    for (char& c : text)
      if (c == '\n') c = '|';
    _script->Log("ask " + question.name + " \"" + text + "\" -> " + std::to_string(answer));
    return answer;
  }

  KEPFileBoxAnswer ChooseFiles(QWidget*, const KEPFileBoxRequest& request) override {
    KEPFileBoxAnswer answer;
    if (!_files.empty()) {
      answer = _files.front();
      _files.pop_front();
    }
    _script->Log("filebox " + request.name + (answer.accepted ? " accepted" : " cancelled"));
    return answer;
  }

  bool ConfigurePrinter(QWidget*, const KEPPrintRequest& request, QPrinter& printer) override {
    bool accepted = !_printFiles.empty();
    if (accepted) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(_printFiles.front()));
      _printFiles.pop_front();
    }
    _script->Log("printer " + request.name + (accepted ? " accepted" : " cancelled"));
    return accepted;
  }

  std::deque<int> _answers;
  std::deque<KEPFileBoxAnswer> _files;
  std::deque<std::string> _printFiles;

 private:
  KEPScript* _script;
};

KEPScript* KEPScript::LoadFromEnvironment() {
  const char* path = std::getenv("ATELO_SCRIPT");
  if (!path || !*path) return nullptr;
  std::FILE* log = stderr;
  if (const char* logPath = std::getenv("ATELO_SCRIPT_LOG"); logPath && *logPath) {
    if (std::FILE* file = std::fopen(logPath, "a")) log = file;
  }
  std::ifstream in(path);
  if (!in) {
    std::fprintf(log, "atelo-script: error cannot read the script '%s'\n", path);
    std::fflush(log);
    return nullptr;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  // Parented to the application: it lives as long as the event loop.
  auto* script = new KEPScript(std::move(lines), log);
  script->setParent(QCoreApplication::instance());
  return script;
}

KEPScript::KEPScript(std::vector<std::string> lines, std::FILE* log)
    : _lines(std::move(lines)), _log(log), _handler(std::make_shared<Handler>(this)) {
  KEPPrompt::SetHandler(_handler);
  _timer.setSingleShot(true);
  connect(&_timer, &QTimer::timeout, this, [this] { Next(); });
}

void KEPScript::Start() {
  _timer.start(0);
}

KEPScript::~KEPScript() {
  if (_log && _log != stderr) std::fclose(_log);
}

void KEPScript::Log(const std::string& text) {
  std::fprintf(_log, "atelo-script: %s\n", text.c_str());
  std::fflush(_log);
}

bool KEPScript::Holds(const std::string& state, const std::string& name) {
  if (QAction* action = FindNamed<QAction>(name)) {
    if (state == "enabled") return action->isEnabled();
    if (state == "disabled") return !action->isEnabled();
    if (state == "visible") return action->isVisible();
    if (state == "hidden") return !action->isVisible();
  }
  if (QWidget* widget = FindNamed<QWidget>(name)) {
    if (state == "enabled") return widget->isEnabled();
    if (state == "disabled") return !widget->isEnabled();
    if (state == "visible") return widget->isVisible();
    if (state == "hidden") return !widget->isVisible();
  }
  return state == "hidden";
}

bool KEPScript::Describe(const std::string& name, std::string& state) {
  auto onOff = [](bool on) { return std::string(on ? "on" : "off"); };
  if (QAction* action = FindNamed<QAction>(name)) {
    state = action->isCheckable() ? onOff(action->isChecked()) : action->text().toStdString();
    return true;
  }
  QWidget* widget = FindNamed<QWidget>(name);
  if (!widget) return false;
  if (auto* label = qobject_cast<QLabel*>(widget))
    state = label->text().toStdString();
  else if (auto* edit = qobject_cast<QLineEdit*>(widget))
    state = edit->text().toStdString();
  else if (auto* slider = qobject_cast<QAbstractSlider*>(widget))
    state = std::to_string(slider->value());
  else if (auto* spin = qobject_cast<QSpinBox*>(widget))
    state = std::to_string(spin->value());
  else if (auto* decimal = qobject_cast<QDoubleSpinBox*>(widget))
    state = QString::number(decimal->value(), 'f', decimal->decimals()).toStdString();
  else if (auto* text = qobject_cast<QTextEdit*>(widget))
    state = text->toPlainText().replace('\n', '|').toStdString();
  else if (auto* combo = qobject_cast<QComboBox*>(widget))
    state = std::to_string(combo->currentIndex());
  else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable())
    state = onOff(button->isChecked());
  else if (widget->isWindow())
    state = widget->windowTitle().toStdString();
  else
    return false;
  return true;
}

void KEPScript::Next() {
  constexpr int kPollMilliseconds = 20;
  if (!_waitFor.empty()) {
    if (Holds(_waitFor[1], _waitFor[2])) {
      _waitFor.clear();
    } else if (--_pollsLeft > 0) {
      _timer.start(kPollMilliseconds);
      return;
    } else {
      Log("error waitfor " + _waitFor[1] + " " + _waitFor[2]);
      _waitFor.clear();
    }
  }
  while (_next < _lines.size()) {
    const std::string line = _lines[_next++];
    std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') continue;
    int milliseconds = 0;
    if (words[0] == "wait" && words.size() == 2 && ParseInt(words[1], milliseconds)) {
      Log("run " + line);
      _timer.start(milliseconds);
      return;
    }
    if (words[0] == "waitfor" && words.size() == 3) {
      Log("run " + line);
      _waitFor = words;
      _pollsLeft = 20000 / kPollMilliseconds;
      _timer.start(0);
      return;
    }
    Log("run " + line);
    if (!Execute(line)) Log("error " + line);
    // One command per turn of the event loop, as a user's actions come.
    _timer.start(0);
    return;
  }
  Log("end");
}

bool KEPScript::Execute(const std::string& line) {
  std::vector<std::string> words = Words(line);
  if (words.empty()) return true;
  const std::string& verb = words[0];
  const std::size_t n = words.size();

  if (verb == "log") {
    Log(Rest(line, 1));
    return true;
  }
  if (verb == "show" && n == 2) {
    std::string state;
    if (!Describe(words[1], state)) return false;
    Log("show " + words[1] + " " + state);
    return true;
  }
  if (verb == "grab" && n == 3) {
    auto* widget = FindNamed<QWidget>(words[1]);
    return widget && widget->grab().save(QString::fromStdString(words[2]), "PNG");
  }
  if (verb == "answer" && n == 2) {
    int button = 0;
    if (!ParseInt(words[1], button)) return false;
    _handler->_answers.push_back(button);
    return true;
  }
  if (verb == "files" && n >= 3) {
    KEPFileBoxAnswer answer;
    answer.accepted = true;
    answer.filter = words[1];
    answer.files.assign(words.begin() + 2, words.end());
    _handler->_files.push_back(answer);
    return true;
  }
  if (verb == "printto" && n >= 2) {
    _handler->_printFiles.push_back(Rest(line, 1));
    return true;
  }
  if (verb == "cancel" && n == 1) {
    _handler->_files.push_back(KEPFileBoxAnswer{});
    return true;
  }
  if (verb == "trigger" && n == 2) {
    QAction* action = FindNamed<QAction>(words[1]);
    if (!action || !action->isEnabled()) return false;
    action->trigger();
    return true;
  }
  if (verb == "click" && n == 2) {
    auto* button = FindNamed<QAbstractButton>(words[1]);
    if (!button || !button->isEnabled()) return false;
    button->click();
    return true;
  }
  if (verb == "close" && n == 2) {
    auto* window = FindNamed<QWidget>(words[1]);
    if (!window) return false;
    window->close();
    return true;
  }
  if (verb == "set" && n >= 3) {
    auto* widget = FindNamed<QWidget>(words[1]);
    if (!widget || !widget->isEnabled()) return false;
    const std::string value = Rest(line, 2);
    int number = 0;
    double real = 0;
    if (auto* slider = qobject_cast<QAbstractSlider*>(widget); slider && ParseInt(value, number)) {
      // As a user's drag: pressed, moved, released.
      slider->setSliderDown(true);
      slider->setValue(number);
      slider->setSliderDown(false);
      return true;
    }
    if (auto* spin = qobject_cast<QSpinBox*>(widget); spin && ParseInt(value, number)) {
      spin->setValue(number);
      emit spin->editingFinished();
      return true;
    }
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(widget); spin && ParseDouble(value, real)) {
      spin->setValue(real);
      emit spin->editingFinished();
      return true;
    }
    if (auto* check = qobject_cast<QAbstractButton*>(widget); check && check->isCheckable()) {
      bool on = value == "on" || value == "1";
      if (check->isChecked() != on) check->click();
      return true;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo && ParseInt(value, number)) {
      combo->setCurrentIndex(number);
      emit combo->activated(number);
      return true;
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && ParseInt(value, number)) {
      QModelIndex row = view->model() ? view->model()->index(number, 0) : QModelIndex();
      if (!row.isValid()) return false;
      view->setCurrentIndex(row);
      return true;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      edit->setText(QString::fromStdString(value));
      emit edit->editingFinished();
      return true;
    }
    return false;
  }
  if ((verb == "mouse" && n == 5) || (verb == "view" && n == 4)) {
    const bool view = verb == "view";
    QWidget* widget = view ? FindNamed<QWidget>("2DViewer") : FindNamed<QWidget>(words[2]);
    double x = 0, y = 0;
    if (!widget || !ParseDouble(words[view ? 2 : 3], x) || !ParseDouble(words[view ? 3 : 4], y))
      return false;
    QPointF at(x, y);
    if (view) {
      auto* viewer = qobject_cast<KEP2DViewer*>(widget);
      if (!viewer) return false;
      at = viewer->ViewToWidget(KEPMathPoint2Df(static_cast<float>(x), static_cast<float>(y)));
    }
    const std::string& what = words[1];
    QEvent::Type type = what == "press"     ? QEvent::MouseButtonPress
                        : what == "move"    ? QEvent::MouseMove
                        : what == "release" ? QEvent::MouseButtonRelease
                                            : QEvent::None;
    if (type == QEvent::None) return false;
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
    return true;
  }
  if (verb == "key" && n == 3) {
    auto* widget = FindNamed<QWidget>(words[1]);
    if (!widget) return false;
    QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(words[2]));
    if (sequence.isEmpty()) return false;
    QKeyCombination combination = sequence[0];
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QKeyEvent release(QEvent::KeyRelease, combination.key(), combination.keyboardModifiers());
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
    return true;
  }
  return false;
}
