#pragma once

#include "platform/viewer/KEPMathPoint2Df.h"

// Where view coordinates land on the widget. The view's y axis points up and
// the widget's down; the viewpoint's origin sits at the widget's centre and
// one view unit spans `zoom` widget pixels. Double precision inside, so that
// a large image at a high zoom still puts each pixel edge on the right
// widget column.
class KEP2DViewMapping {
 public:
  KEP2DViewMapping(float originX, float originY, float zoom, float widgetWidth, float widgetHeight)
      : _ox(originX),
        _oy(originY),
        _zoom(zoom > 0.0f ? zoom : 1.0f),
        _cx(0.5 * widgetWidth),
        _cy(0.5 * widgetHeight) {}

  double ToWidgetX(double viewX) const { return (viewX - _ox) * _zoom + _cx; }
  double ToWidgetY(double viewY) const { return _cy - (viewY - _oy) * _zoom; }
  double ToViewX(double widgetX) const { return _ox + (widgetX - _cx) / _zoom; }
  double ToViewY(double widgetY) const { return _oy + (_cy - widgetY) / _zoom; }

  KEPMathPoint2Df ToWidget(const KEPMathPoint2Df& view) const {
    return {static_cast<float>(ToWidgetX(view.x)), static_cast<float>(ToWidgetY(view.y))};
  }
  KEPMathPoint2Df ToView(const KEPMathPoint2Df& widget) const {
    return {static_cast<float>(ToViewX(widget.x)), static_cast<float>(ToViewY(widget.y))};
  }

  double GetZoom() const { return _zoom; }

 private:
  double _ox, _oy, _zoom, _cx, _cy;
};
