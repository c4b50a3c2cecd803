#pragma once

// Sizing rules of the document window: the room taken around the viewer by
// menus, status bar and docked toolbars, and the minimum window size they
// need.
struct KEPAteloMargins {
  int vertical = 142;
  int horizontal = 44;
  int minimumWidth = 430;
  int minimumHeight = 400;
};

// Dock codes of the toolbars (0 = not shown).
enum KEPAteloDock : int {
  DOCK_NONE = 0,
  DOCK_TOP = 0x20000,
  DOCK_BOTTOM = 0x40000,
  DOCK_LEFT = 0x80000,
  DOCK_RIGHT = 0x100000,
};

inline bool IsHorizontalDock(int dock) {
  return dock == DOCK_TOP || dock == DOCK_BOTTOM;
}
inline bool IsVerticalDock(int dock) {
  return dock == DOCK_LEFT || dock == DOCK_RIGHT;
}

// Margins for the toolbars' dock states; with `toolbarsHidden` the docks are
// ignored.
KEPAteloMargins ComputeMargins(bool toolbarsHidden, int editDock, int playbackDock, int drawDock);

// Raises the viewer size until the window reaches its minimum, then lowers
// it to the largest window (maxWidth x maxHeight, 1280 x 1024 when a side is
// 0) less the margins.
void FitVisuSize(int& width, int& height, const KEPAteloMargins& margins, int maxWidth,
                 int maxHeight);

// Zoom at which a width x height image fills a visuWidth x visuHeight
// viewer, in single precision.
float FitZoom(int visuWidth, int visuHeight, int width, int height);
