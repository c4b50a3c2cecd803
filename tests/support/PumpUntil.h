#pragma once

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

// Runs the Qt event loop until `done` holds or `milliseconds` have passed;
// false on time-out. For tests that wait on another process or a socket.
template <class Predicate>
bool PumpUntil(Predicate done, int milliseconds = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    usleep(100);
  }
  return true;
}
