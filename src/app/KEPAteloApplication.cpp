#include "app/KEPAteloApplication.h"

#include <QMainWindow>
#include <csignal>

#include "platform/KEPTrace.h"

KEPAteloApplication::KEPAteloApplication() {
  setObjectName("ImageViewer");
  KEP_TRACE(2, "(KEPAteloApplication::KEPAteloApplication)");
}

KEPAteloApplication::~KEPAteloApplication() {
  KEP_TRACE(2, "(KEPAteloApplication::~KEPAteloApplication)");
}

void KEPAteloApplication::IgnoreTerminalSignals() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  for (int signal : {SIGHUP, SIGINT, SIGQUIT}) sigaction(signal, &ignore, nullptr);
}

int KEPAteloApplication::BeginApplication(const KEPAteloCommandLine& line) {
  KEP_TRACE(2, "(KEPAteloApplication::BeginApplication) id '%s' style %#x files %zu",
            line.identifier.c_str(), line.style, line.files.size());
  _line = line;
  if (!_line.IsBatch()) IgnoreTerminalSignals();

  _window = std::make_unique<QMainWindow>();
  _window->setObjectName("atelo");
  _window->setWindowTitle(QString::fromStdString(_line.title));
  if (_line.width > 0 && _line.height > 0) _window->resize(_line.width, _line.height);
  if (!_line.IsBatch()) _window->show();
  return 0;
}

int KEPAteloApplication::EndApplication() {
  KEP_TRACE(2, "(KEPAteloApplication::EndApplication)");
  _window.reset();
  return 0;
}
