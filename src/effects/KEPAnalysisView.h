#pragma once

#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"

// A fixed-size picture inside an analysis window (the control copy, the
// shading bar): one pixel buffer that belongs to the window, shown whole.
class KEPAnalysisView : public KEP2DViewer {
 public:
  KEPAnalysisView(QWidget* parent, int width, int height);

  // Shows the buffer (4 bytes a pixel, bottom row first), fitted to the
  // view; the caller keeps it alive while it is shown. Call again after
  // changing its pixels.
  void Show(const unsigned char* pixels, int width, int height);
  const unsigned char* GetShownPixels() const { return _rep.GetPixels(); }

 private:
  KEPCatalog2DImagePixelRep _rep;
};
