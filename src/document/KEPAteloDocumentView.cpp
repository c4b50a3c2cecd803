// View commands: fit, reframe, full screen, the grid, stereoscopy, the
// toolbars' View items, playback and the logo.
#include <QAction>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "platform/viewer/KEP2DViewer.h"
#include "series/KEPAteloSeries.h"

// --- fit and reframe ----------------------------------------------------------------------

void KEPAteloDocument::Reframe(float x, float y, float zoom) {
  if (!_viewer) return;
  _viewer->Reframe(KEPMathPoint2Df(x, y), zoom);
}

void KEPAteloDocument::FitAction() {
  QAction* fitItem = FindAction("fitItem");
  if (fitItem && !fitItem->isChecked()) Reframe(0.0f, 0.0f, 1.0f);
  DisplayImage(_series->GetCurImage(), true);
}

void KEPAteloDocument::ReframeAction() {
  Reframe(0.0f, 0.0f, 1.0f);
  UncheckQuietly("fitItem");
  if (_viewer) _viewer->Redraw();
}

void KEPAteloDocument::FullScreenAction() {
  UncheckQuietly("fullScreenItem");
  NotAvailable("Full Screen");
}

void KEPAteloDocument::GridAction() {
  UncheckQuietly("gridItem");
  NotAvailable("Grid");
}

// --- stereo -----------------------------------------------------------------------------

void KEPAteloDocument::StereoAction() {
  UncheckQuietly("stereoItem");
  NotAvailable("Stereoscopy");
}

bool KEPAteloDocument::IsStereoActivate() const {
  QAction* item = FindAction("stereoItem");
  return item && item->isChecked();
}

void KEPAteloDocument::PromptIfOddImageNumber(int) {}

// --- toolbars -----------------------------------------------------------------------------

void KEPAteloDocument::TogglePlaybackAction() {
  UncheckQuietly("playbackChkItem");
  NotAvailable("Playback Toolbar");
}

void KEPAteloDocument::ToggleDrawAction() {
  UncheckQuietly("drawChkItem");
  NotAvailable("Draw Toolbar");
}

// --- playback -----------------------------------------------------------------------------

void KEPAteloDocument::PauseSelection() {
  _playbackState = 3;
}

// --- logo -----------------------------------------------------------------------------------

void KEPAteloDocument::LogoAction() {
  UncheckQuietly("logoItem");
  NotAvailable("Logo");
}

void KEPAteloDocument::LogoSetupAction() {
  NotAvailable("Logo Setup");
}
