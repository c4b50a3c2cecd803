#include "document/KEPAteloWindowRules.h"

#include <algorithm>

KEPAteloMargins ComputeMargins(bool toolbarsHidden, int editDock, int playbackDock, int drawDock) {
  KEPAteloMargins m;
  if (toolbarsHidden) return m;
  if (IsHorizontalDock(editDock)) m.vertical = 187;
  if (IsVerticalDock(editDock)) m.horizontal = 89;
  if (IsHorizontalDock(playbackDock)) {
    m.vertical += 51;
    m.minimumHeight = std::max(400, m.vertical + 470);
    m.minimumWidth = 700;
  }
  if (IsVerticalDock(drawDock)) {
    m.horizontal += 96;
    m.minimumHeight = std::max(m.minimumHeight, m.vertical + 565);
    m.minimumWidth = std::max(m.minimumWidth, 744);
  }
  return m;
}

void FitVisuSize(int& width, int& height, const KEPAteloMargins& margins, int maxWidth,
                 int maxHeight) {
  if (maxWidth <= 0) maxWidth = 1280;
  if (maxHeight <= 0) maxHeight = 1024;
  width = std::max(width, margins.minimumWidth - margins.horizontal);
  height = std::max(height, margins.minimumHeight - margins.vertical);
  width = std::min(width, maxWidth - margins.horizontal);
  height = std::min(height, maxHeight - margins.vertical);
}
