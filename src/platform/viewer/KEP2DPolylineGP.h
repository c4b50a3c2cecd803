#pragma once

#include <vector>

#include "platform/viewer/KEP2DGraphicPrimitive.h"
#include "platform/viewer/KEPMathPoint2Df.h"

// Points joined in order; closed, the last joins the first.
class KEP2DPolylineGP : public KEP2DGraphicPrimitive {
 public:
  explicit KEP2DPolylineGP(std::vector<KEPMathPoint2Df> points = {}, bool closed = false)
      : _points(std::move(points)), _closed(closed) {}

  const std::vector<KEPMathPoint2Df>& GetPoints() const { return _points; }
  void SetPoints(std::vector<KEPMathPoint2Df> points) { _points = std::move(points); }
  void AddPoint(const KEPMathPoint2Df& point) { _points.push_back(point); }
  bool IsClosed() const { return _closed; }
  void SetClosed(bool closed) { _closed = closed; }

  void Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect& clip,
            bool filled) const override;
  QRectF GetBounds() const override;

 private:
  std::vector<KEPMathPoint2Df> _points;
  bool _closed;
};
