#include "platform/viewer/KEP2DRep.h"

#include "platform/viewer/KEP2DViewer.h"

KEP2DRep::~KEP2DRep() {
  if (_viewer) _viewer->ForgetRep(this);
}

bool KEP2DRep::Contains(const KEPMathPoint2Df& viewPoint) const {
  QRectF bounds = GetViewBounds();
  return _visible && viewPoint.x >= bounds.left() && viewPoint.x < bounds.right() &&
         viewPoint.y >= bounds.top() && viewPoint.y < bounds.bottom();
}

QRectF KEP2DRep::GetViewBounds() const {
  return GetLocalBounds().translated(_translation.x, _translation.y);
}

void KEP2DRep::SetTranslation(const KEPMathPoint2Df& translation) {
  if (translation == _translation) return;
  _translation = translation;
  Invalidate();
}

void KEP2DRep::SetVisible(bool visible) {
  if (visible == _visible) return;
  _visible = visible;
  Invalidate();
}

void KEP2DRep::Invalidate() {
  QRectF now = GetViewBounds();
  int margin = GetScreenMargin();
  if (_viewer) {
    _viewer->InvalidateViewRect(_shownBounds, _shownMargin);
    _viewer->InvalidateViewRect(now, margin);
  }
  _shownBounds = now;
  _shownMargin = margin;
}

void KEP2DRep::InvalidateLocal(const QRectF& localRect) const {
  if (_viewer) {
    _viewer->InvalidateViewRect(localRect.translated(_translation.x, _translation.y),
                                GetScreenMargin());
  }
}

KEP2DViewer* KEP2DRep::GetViewer() const {
  return _viewer.data();
}
