#pragma once

#include "platform/viewer/KEP2DViewer.h"

// The document's viewer: a 2D viewer with wheel zoom and middle-button pan
// (the navigation every KEP2DViewer has switched on by default).
class KEPNavigation2DViewer : public KEP2DViewer {
 public:
  explicit KEPNavigation2DViewer(QWidget* parent = nullptr, int width = 0, int height = 0)
      : KEP2DViewer(parent, width, height) {
    SetNavigation(true);
  }
};
