#pragma once

#include <vector>

#include "platform/viewer/KEP2DGraphicPrimitive.h"
#include "platform/viewer/KEPMathPoint2Df.h"

// A line from one point to another or, in segment mode, a list of separate
// segments drawn as one primitive (a pixel grid is thousands of them, of
// which only those crossing the painted area are drawn).
class KEP2DLineGP : public KEP2DGraphicPrimitive {
 public:
  KEP2DLineGP(const KEPMathPoint2Df& from, const KEPMathPoint2Df& to) : _points{from, to} {}
  // Segment mode: points 2k and 2k+1 make segment k; an odd last point is
  // ignored.
  explicit KEP2DLineGP(std::vector<KEPMathPoint2Df> segmentEnds)
      : _points(std::move(segmentEnds)), _segments(true) {}

  bool IsSegmentMode() const { return _segments; }
  int GetSegmentCount() const { return static_cast<int>(_points.size() / 2); }
  const std::vector<KEPMathPoint2Df>& GetPoints() const { return _points; }
  void SetEnds(const KEPMathPoint2Df& from, const KEPMathPoint2Df& to);
  void SetSegments(std::vector<KEPMathPoint2Df> segmentEnds);

  void Draw(QPainter& painter, const KEP2DViewMapping& mapping, const QRect& clip,
            bool filled) const override;
  QRectF GetBounds() const override;

 private:
  std::vector<KEPMathPoint2Df> _points;
  bool _segments = false;
};
