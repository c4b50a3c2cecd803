#include "app/KEPAteloApplication.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "document/KEPAteloDocument.h"
#include "link/KEPAteloBridge.h"
#include "link/KEPAteloLinkSession.h"
#include "link/rikcb.h"
#include "platform/KEPClock.h"
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
  if (linked == 0 && declared != 0) {
    // The window works without renderers, but its user should know why none
    // shows up.
    char text[512];
    std::snprintf(
        text, sizeof text,
        "%s: renderers cannot reach this window: %s the identifier '%s'. Start atelo "
        "with another -id to render into it.\n",
        line.title.c_str(),
        declared == LNK_ERR_IN_USE ? "another live process holds" : "the link could not publish",
        line.identifier.c_str());
    std::fputs(text, stdout);
    std::fflush(stdout);
    _document->RenderMessage(0, text);
  }
  if (line.IsBatch()) WatchRenderer();
  return 0;
}

int KEPAteloApplication::RendererGrace() {
  const char* text = std::getenv("ATELO_RENDERER_GRACE");
  if (!text || !*text) return 30;
  char* end = nullptr;
  const long seconds = std::strtol(text, &end, 10);
  return (*end == '\0' && seconds >= 0 && seconds <= 86400) ? static_cast<int>(seconds) : 30;
}

void KEPAteloApplication::WatchRenderer() {
  const int grace = RendererGrace();
  _rendererWatch.setInterval(1000);
  connect(&_rendererWatch, &QTimer::timeout, this, [this, grace] {
    if (!KEPAteloParentGone()) {
      _rendererGoneSince = -1;
      return;
    }
    // A renderer killed half-way may come back under its name, or another
    // take its place: only a silence of `grace` seconds ends the run.
    const double now = KEPClock::Now();
    if (_rendererGoneSince < 0) _rendererGoneSince = now;
    if (now - _rendererGoneSince < grace) return;
    _rendererWatch.stop();
    char parent[9];
    rikidray(parent);
    _document->RendererGone(parent);
  });
  _rendererWatch.start();
}

int KEPAteloApplication::EndApplication() {
  KEP_TRACE(2, "(KEPAteloApplication::EndApplication)");
  _rendererWatch.stop();
  // Renderer messages that still arrive find no document.
  InitKEPAtelo(nullptr);
  _document.reset();
  return 0;
}
