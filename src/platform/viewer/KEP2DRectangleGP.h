#pragma once

#include "platform/viewer/KEP2DGraphicPrimitive.h"
#include "platform/viewer/KEPMathPoint2Df.h"

// An axis-aligned rectangle given by two opposite corners in any order.
class KEP2DRectangleGP : public KEP2DGraphicPrimitive {
 public:
  KEP2DRectangleGP(const KEPMathPoint2Df& corner1, const KEPMathPoint2Df& corner2)
      : _c1(corner1), _c2(corner2) {}

  void SetCorners(const KEPMathPoint2Df& corner1, const KEPMathPoint2Df& corner2) {
    _c1 = corner1;
    _c2 = corner2;
  }
  void GetCorners(KEPMathPoint2Df& corner1, KEPMathPoint2Df& corner2) const {
    corner1 = _c1;
    corner2 = _c2;
  }

  void Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect& clip,
            bool filled) const override;
  QRectF GetBounds() const override;

 private:
  KEPMathPoint2Df _c1, _c2;
};
