#include "effects/KEPAnalysisView.h"

KEPAnalysisView::KEPAnalysisView(QWidget* parent, int width, int height)
    : KEP2DViewer(parent, width, height) {
  setFixedSize(width, height);
  SetNavigation(false);
}

void KEPAnalysisView::Show(const unsigned char* pixels, int width, int height) {
  if (_rep.SetPixels(pixels, width, height) != 0) return;
  if (!HasRep(&_rep)) AddRep(&_rep);
  float viewWidth = 0, viewHeight = 0;
  GetGraphicSize(viewWidth, viewHeight);
  const float zoom = FitZoom(viewWidth, viewHeight, width, height);
  const KEPMathPoint2Df centre(static_cast<float>(width) * 0.5f, static_cast<float>(height) * 0.5f);
  if (zoom > 0.0f) GetViewpoint().Set(centre, zoom);
  _rep.UpdatePixels();
  Redraw();
}
