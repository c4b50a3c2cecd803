#pragma once

#include "platform/viewer/KEP2DGraphicPrimitive.h"
#include "platform/viewer/KEPMathPoint2Df.h"

// A circle, or an arc of it: angles in degrees, counter-clockwise from the
// view's +x axis (the view's y axis points up); the default sweep is the
// whole circle.
class KEP2DArcCircleGP : public KEP2DGraphicPrimitive {
 public:
  KEP2DArcCircleGP(const KEPMathPoint2Df& centre, float radius, float startDegrees = 0.0f,
                   float sweepDegrees = 360.0f)
      : _centre(centre), _radius(radius), _start(startDegrees), _sweep(sweepDegrees) {}

  KEPMathPoint2Df GetCentre() const { return _centre; }
  float GetRadius() const { return _radius; }
  void SetCentre(const KEPMathPoint2Df& centre) { _centre = centre; }
  void SetRadius(float radius) { _radius = radius; }
  void SetAngles(float startDegrees, float sweepDegrees) {
    _start = startDegrees;
    _sweep = sweepDegrees;
  }

  void Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect& clip,
            bool filled) const override;
  QRectF GetBounds() const override;

 private:
  KEPMathPoint2Df _centre;
  float _radius;
  float _start, _sweep;
};
