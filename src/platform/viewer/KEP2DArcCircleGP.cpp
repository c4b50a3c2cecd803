#include "platform/viewer/KEP2DArcCircleGP.h"

#include <QPainter>
#include <cmath>

#include "platform/viewer/KEP2DViewMapping.h"

void KEP2DArcCircleGP::Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect&,
                            bool filled) const {
  if (!(_radius >= 0.0f)) return;
  KEPMathPoint2Df c = mapping.ToWidget(_centre);
  double r = _radius * mapping.GetZoom();
  QRectF box(c.x - r, c.y - r, 2 * r, 2 * r);
  bool whole = std::fabs(_sweep) >= 360.0f;
  // The painter counts angles counter-clockwise on the screen in 1/16
  // degree; with y turned over on the screen, the view's counter-clockwise
  // is the screen's counter-clockwise too.
  int start = static_cast<int>(std::lround(_start * 16.0f));
  int span = static_cast<int>(std::lround(_sweep * 16.0f));
  if (filled) {
    QBrush old = painter.brush();
    painter.setBrush(painter.pen().color());
    if (whole)
      painter.drawEllipse(box);
    else
      painter.drawPie(box, start, span);
    painter.setBrush(old);
  } else if (whole) {
    painter.drawEllipse(box);
  } else {
    painter.drawArc(box, start, span);
  }
}

QRectF KEP2DArcCircleGP::GetBounds() const {
  float r = _radius > 0.0f ? _radius : 0.0f;
  return QRectF(_centre.x - r, _centre.y - r, 2 * r, 2 * r);
}
