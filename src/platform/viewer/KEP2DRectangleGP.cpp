#include "platform/viewer/KEP2DRectangleGP.h"

#include <QPainter>

#include "platform/viewer/KEP2DViewMapping.h"

void KEP2DRectangleGP::Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect&,
                            bool filled) const {
  const KEPMathPoint2Df corners[] = {mapping.ToWidget(_c1), mapping.ToWidget(_c2)};
  const QRectF r = BoundsOf(corners);
  if (filled) painter.fillRect(r, painter.pen().color());
  painter.drawRect(r);
}

QRectF KEP2DRectangleGP::GetBounds() const {
  const KEPMathPoint2Df corners[] = {_c1, _c2};
  return BoundsOf(corners);
}
