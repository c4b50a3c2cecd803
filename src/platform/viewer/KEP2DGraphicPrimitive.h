#pragma once

#include <QRectF>

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
};
