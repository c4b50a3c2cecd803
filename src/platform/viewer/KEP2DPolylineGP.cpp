#include "platform/viewer/KEP2DPolylineGP.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>

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
  if (_points.empty()) return QRectF();
  float x0 = _points[0].x, x1 = x0, y0 = _points[0].y, y1 = y0;
  for (const KEPMathPoint2Df& p : _points) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}
