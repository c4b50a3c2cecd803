#include "effects/KEPGlowProgressWindow.h"

#include <QCoreApplication>

#include "effects/KEPAteloProgress.h"

namespace {

constexpr int kUpdateMilliseconds = 15;

}  // namespace

void KEPGlowProgressWindow::Init(int minimum, int maximum, int step) {
  if (_window) _window->Init(minimum, maximum, step);
}

void KEPGlowProgressWindow::StepIt() {
  if (_window) _window->StepIt();
}

void KEPGlowProgressWindow::UpdateDisplay() {
  if (_sinceUpdate.isValid() && _sinceUpdate.elapsed() < kUpdateMilliseconds) return;
  QCoreApplication::processEvents();
  _sinceUpdate.start();
}
