#pragma once

#include <functional>

// Wall-clock seconds used for rendering times and playback. Tests replace the
// source to make time-dependent rules repeatable.
class KEPClock {
 public:
  static double Now();
  static void SetSourceForTesting(std::function<double()> source);
};
