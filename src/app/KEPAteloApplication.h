#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "app/KEPAteloCommandLine.h"

class KEPAteloDocument;

// The process's one application object, "ImageViewer": reads the command
// line, protects the process against terminal signals, opens the renderer
// link and builds the document window.
class KEPAteloApplication : public QObject {
  Q_OBJECT

 public:
  KEPAteloApplication();
  ~KEPAteloApplication() override;

  // Exit status of a batch run that no renderer can reach.
  static constexpr int EXIT_NO_LINK = 8;

  // 0 = the workbench is up and the event loop may run; otherwise the
  // status the program ends with.
  int BeginApplication(const KEPAteloCommandLine& line);
  int EndApplication();

  // Ignores SIGHUP, SIGINT and SIGQUIT: a workbench started from a terminal
  // or by the host product must outlive them. Batch runs keep them so that
  // they can be stopped.
  static void IgnoreTerminalSignals();

  // Seconds a batch run waits for another renderer once its own is gone:
  // ATELO_RENDERER_GRACE when it is a whole number up to a day, else 30.
  static int RendererGrace();

 private:
  // A batch run looks at its renderer every second, so that a renderer
  // killed half-way does not leave it waiting for ever.
  void WatchRenderer();

  std::unique_ptr<KEPAteloDocument> _document;
  QTimer _rendererWatch;
  double _rendererGoneSince = -1;
};
