#include "platform/viewer/KEP2DPolylineGP.h"

#include <QPainter>
#include <QPolygonF>

#include "platform/viewer/KEP2DViewMapping.h"

void KEP2DPolylineGP::Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect&,
                           bool filled) const {
  if (_points.empty()) return;
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(_points.size()));
  for (const KEPMathPoint2Df& p : _points) {
    KEPMathPoint2Df w = mapping.ToWidget(p);
    polygon.append(QPointF(w.x, w.y));
  }
  if (polygon.size() == 1) {
    painter.drawPoint(polygon.first());
  } else if (_closed && filled) {
    QBrush old = painter.brush();
    painter.setBrush(painter.pen().color());
    painter.drawPolygon(polygon);
    painter.setBrush(old);
  } else if (_closed) {
    painter.drawPolygon(polygon);
  } else {
    painter.drawPolyline(polygon);
  }
}

QRectF KEP2DPolylineGP::GetBounds() const {
  return BoundsOf(_points);
}
