#include "platform/viewer/KEP2DRectangleGP.h"

#include <QPainter>
#include <algorithm>

#include "platform/viewer/KEP2DViewMapping.h"

void KEP2DRectangleGP::Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect&,
                            bool filled) const {
  KEPMathPoint2Df a = mapping.ToWidget(_c1), b = mapping.ToWidget(_c2);
  QRectF r(QPointF(std::min(a.x, b.x), std::min(a.y, b.y)),
           QPointF(std::max(a.x, b.x), std::max(a.y, b.y)));
  if (filled) painter.fillRect(r, painter.pen().color());
  painter.drawRect(r);
}

QRectF KEP2DRectangleGP::GetBounds() const {
  return QRectF(QPointF(std::min(_c1.x, _c2.x), std::min(_c1.y, _c2.y)),
                QPointF(std::max(_c1.x, _c2.x), std::max(_c1.y, _c2.y)));
}
