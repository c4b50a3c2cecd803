#pragma once

#include "settings/KEPAteloSettings.h"

// Sizing rules of the document window: the room taken around the viewer by
// menus, status bar and docked toolbars, and the minimum window size they
// need.
struct KEPAteloMargins {
  int vertical = 142;
  int horizontal = 44;
  int minimumWidth = 430;
  int minimumHeight = 400;
};

inline bool IsHorizontalDock(int dock) {
  return dock == KEPAteloSettings::DOCK_TOP || dock == KEPAteloSettings::DOCK_BOTTOM;
}
inline bool IsVerticalDock(int dock) {
  return dock == KEPAteloSettings::DOCK_LEFT || dock == KEPAteloSettings::DOCK_RIGHT;
}

// Margins for the toolbars' dock states; with `toolbarsHidden` the docks are
// ignored.
KEPAteloMargins ComputeMargins(bool toolbarsHidden, int editDock, int playbackDock, int drawDock);

// Raises the viewer size until the window reaches its minimum, then lowers
// it to the largest window (maxWidth x maxHeight, 1280 x 1024 when a side is
// 0) less the margins.
void FitVisuSize(int& width, int& height, const KEPAteloMargins& margins, int maxWidth,
                 int maxHeight);
