#include "platform/viewer/KEP2DLineGP.h"

#include <QLineF>
#include <QPainter>
#include <algorithm>

#include "platform/viewer/KEP2DViewMapping.h"

void KEP2DLineGP::SetEnds(const KEPMathPoint2Df& from, const KEPMathPoint2Df& to) {
  _points = {from, to};
  _segments = false;
}

void KEP2DLineGP::SetSegments(std::vector<KEPMathPoint2Df> segmentEnds) {
  _points = std::move(segmentEnds);
  _segments = true;
}

void KEP2DLineGP::Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect& clip,
                       bool) const {
  // Widened by a few pixels so that thick lines just outside still count.
  const QRectF area = QRectF(clip).adjusted(-4, -4, 4, 4);
  QList<QLineF> lines;
  for (std::size_t k = 0; k + 1 < _points.size(); k += 2) {
    KEPMathPoint2Df a = mapping.ToWidget(_points[k]), b = mapping.ToWidget(_points[k + 1]);
    if (std::max(a.x, b.x) < area.left() || std::min(a.x, b.x) > area.right() ||
        std::max(a.y, b.y) < area.top() || std::min(a.y, b.y) > area.bottom()) {
      continue;
    }
    lines.append(QLineF(a.x, a.y, b.x, b.y));
  }
  if (!lines.isEmpty()) painter.drawLines(lines);
}

QRectF KEP2DLineGP::GetBounds() const {
  // An odd last point belongs to no segment.
  return BoundsOf(std::span(_points).first(_points.size() & ~std::size_t{1}));
}
