#pragma once

#include <QRectF>
#include <algorithm>
#include <span>

#include "platform/viewer/KEPMathPoint2Df.h"

class KEP2DViewMapping;
class QPainter;
class QRect;

// A shape of a custom representation, in view coordinates. The painter's
// pen and brush are set by the representation from its attributes.
class KEP2DGraphicPrimitive {
 public:
  KEP2DGraphicPrimitive() = default;
  KEP2DGraphicPrimitive(const KEP2DGraphicPrimitive&) = delete;
  KEP2DGraphicPrimitive& operator=(const KEP2DGraphicPrimitive&) = delete;
  virtual ~KEP2DGraphicPrimitive() = default;

  // `clip` is the widget rectangle being painted: a primitive made of many
  // pieces skips those that miss it.
  virtual void Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect& clip,
                    bool filled) const = 0;
  virtual QRectF GetBounds() const = 0;

 protected:
  // The smallest rectangle holding the points; empty for no points.
  static QRectF BoundsOf(std::span<const KEPMathPoint2Df> points) {
    if (points.empty()) return QRectF();
    float x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
    for (const KEPMathPoint2Df& p : points) {
      x0 = std::min(x0, p.x);
      x1 = std::max(x1, p.x);
      y0 = std::min(y0, p.y);
      y1 = std::max(y1, p.y);
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
  }
};
