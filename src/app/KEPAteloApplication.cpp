#include "app/KEPAteloApplication.h"

#include <csignal>

#include "document/KEPAteloDocument.h"
#include "link/KEPAteloBridge.h"
#include "link/KEPAteloLinkSession.h"
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
  if (!line.IsBatch()) IgnoreTerminalSignals();

  KEPAteloLinkInit(line.title.c_str());
  _document =
      std::make_unique<KEPAteloDocument>("atelo", line.width, line.height, line.files, line.style);
  _document->setWindowTitle(QString::fromStdString(line.title));
  KEPAteloLinkDeclare(line.identifier.c_str(), _document.get());
  return 0;
}

int KEPAteloApplication::EndApplication() {
  KEP_TRACE(2, "(KEPAteloApplication::EndApplication)");
  // Renderer messages that still arrive find no document.
  InitKEPAtelo(nullptr);
  _document.reset();
  return 0;
}
