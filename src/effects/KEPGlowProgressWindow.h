#pragma once

#include <QElapsedTimer>

#include "effects/KEPGlowKernels.h"

class KEPAteloProgress;

// The glow computation's progress shown in a Progress window (or in none,
// for the preview), with the display brought up to date between pieces of
// work so that an Interrupt button can be pressed. The display is updated
// at most every few milliseconds: a small kernel makes thousands of pieces
// a second.
class KEPGlowProgressWindow : public KEPGlowProgress {
 public:
  explicit KEPGlowProgressWindow(KEPAteloProgress* window) : _window(window) {}

  void Init(int minimum, int maximum, int step) override;
  void StepIt() override;
  void UpdateDisplay() override;

 private:
  KEPAteloProgress* _window;
  QElapsedTimer _sinceUpdate;
};
