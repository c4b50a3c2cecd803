#include "app/KEPAteloApplication.h"

#include <csignal>
#include <cstdio>

#include "document/KEPAteloDocument.h"
#include "link/KEPAteloBridge.h"
#include "link/KEPAteloLinkSession.h"
#include "platform/KEPTrace.h"
#include "platform/link/KEPLink.h"

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

  int linked = KEPAteloLinkInit(line.title.c_str());
  _document =
      std::make_unique<KEPAteloDocument>("atelo", line.width, line.height, line.files, line.style);
  _document->setWindowTitle(QString::fromStdString(line.title));
  int declared = KEPAteloLinkDeclare(line.identifier.c_str(), _document.get());
  // A window carries on without renderers; a batch run that no renderer can
  // reach would wait for ever.
  if (line.IsBatch() && (linked != 0 || declared != 0)) {
    std::fprintf(stderr,
                 "%s: batch run ended: no renderer can reach the identifier '%s' on the link "
                 "(%s). Use another -id, or see LNK_DIR.\n",
                 line.title.c_str(), line.identifier.c_str(),
                 linked != 0                  ? "the link could not be set up"
                 : declared == LNK_ERR_IN_USE ? "another live process has it"
                                              : "it could not be declared");
    return EXIT_NO_LINK;
  }
  return 0;
}

int KEPAteloApplication::EndApplication() {
  KEP_TRACE(2, "(KEPAteloApplication::EndApplication)");
  // Renderer messages that still arrive find no document.
  InitKEPAtelo(nullptr);
  _document.reset();
  return 0;
}
