#pragma once

#include <QObject>
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

 private:
  std::unique_ptr<KEPAteloDocument> _document;
};
