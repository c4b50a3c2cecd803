#pragma once

#include <QString>
#include <memory>

#include "platform/KEPIdleWork.h"

class KEP2DCustomRep;
class KEP2DManipulator;
class KEPAtelIma;
class KEPAteloLogo;
class KEPCatalog2DImagePixelRep;
class QLabel;
class QToolBar;

// The view commands' state: playback, the grid, stereo, the logo over the
// image, the pointer readout and the window title.
struct KEPAteloViewState {
  // Where the grid was built for: rebuilt only when this changes.
  struct GridGeometry {
    int width = 0, height = 0;
    float x = 0, y = 0;
    bool operator==(const GridGeometry&) const = default;
  };

  // Playback direction: 1 backward, 2 forward, 3 stopped.
  int playbackState = 3;
  float delay = 0.0f;
  double lastStepTime = 0.0;  // KEPClock seconds
  KEPIdleWork::Subscription playbackIdle;
  // Between two steps of a long delay the idle work rests on a timer; a
  // stop in between makes the timer's run out of date.
  bool playbackWaiting = false;
  int playbackRun = 0;
  QToolBar* playbackToolBar = nullptr;  // child widget

  std::unique_ptr<KEP2DCustomRep> gridRep;
  unsigned char gridDisplayed = 0;
  float lastGridScale = 7.0f;
  GridGeometry gridGeometry;

  KEPAtelIma* repPartner = nullptr;  // the stereo partner shown, owned by the series
  int stereoPrompts = 0;             // nested stereo questions

  std::unique_ptr<KEPAteloLogo> logoDialog;
  std::unique_ptr<KEPCatalog2DImagePixelRep> logoRep;
  KEPAtelIma* logoImage = nullptr;  // whose logo logoRep shows
  std::unique_ptr<KEP2DManipulator> logoManipulator;

  QLabel* pointerStatus = nullptr;  // child widget
  bool pointerInside = false;
  float pointerX = 0, pointerY = 0;
  QString baseTitle, shownTitle;
};
