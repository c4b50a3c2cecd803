#include "platform/viewer/KEP2DViewpoint.h"

#include <algorithm>
#include <cmath>

namespace {
bool PositiveNumber(float v) {
  return std::isfinite(v) && v > 0.0f;
}
}  // namespace

void KEP2DViewpoint::GetZoomBounds(float& minimum, float& maximum) const {
  minimum = _minZoom;
  maximum = _maxZoom;
}

float KEP2DViewpoint::Clamp(float zoom) const {
  return std::clamp(zoom, _minZoom, _maxZoom);
}

void KEP2DViewpoint::SetOrigin(const KEPMathPoint2Df& origin) {
  Set(origin, _zoom);
}

int KEP2DViewpoint::SetZoom(float zoom) {
  return Set(_origin, zoom);
}

int KEP2DViewpoint::Set(const KEPMathPoint2Df& origin, float zoom) {
  if (!PositiveNumber(zoom) || !std::isfinite(origin.x) || !std::isfinite(origin.y)) return -1;
  float clamped = Clamp(zoom);
  if (origin == _origin && clamped == _zoom) return 0;
  _origin = origin;
  _zoom = clamped;
  _subscribers.Notify(*this);
  return 0;
}

int KEP2DViewpoint::SetZoomBounds(float minimum, float maximum) {
  if (!PositiveNumber(minimum) || !PositiveNumber(maximum) || minimum > maximum) return -1;
  _minZoom = minimum;
  _maxZoom = maximum;
  float clamped = Clamp(_zoom);
  if (clamped != _zoom) {
    _zoom = clamped;
    _subscribers.Notify(*this);
  }
  return 0;
}
