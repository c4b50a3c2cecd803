#pragma once

#include <functional>

#include "platform/viewer/KEPCallbackList.h"
#include "platform/viewer/KEPMathPoint2Df.h"

// Where a 2D viewer looks: the view point shown at the widget's centre
// (origin) and the number of widget pixels per view unit (zoom), kept within
// the zoom bounds. Subscribers hear of every change that actually changes a
// value, once per call.
class KEP2DViewpoint {
 public:
  // Wide enough for a 65535-pixel image to fit a small window and for a
  // single pixel to fill most of a screen.
  static constexpr float kDefaultMinZoom = 1.0f / 256.0f;
  static constexpr float kDefaultMaxZoom = 256.0f;

  using Callback = std::function<void(KEP2DViewpoint&)>;

  KEP2DViewpoint() = default;
  KEP2DViewpoint(const KEP2DViewpoint&) = delete;
  KEP2DViewpoint& operator=(const KEP2DViewpoint&) = delete;

  KEPMathPoint2Df GetOrigin() const { return _origin; }
  float GetZoom() const { return _zoom; }
  void GetZoomBounds(float& minimum, float& maximum) const;

  void SetOrigin(const KEPMathPoint2Df& origin);
  // The zoom is clamped to the bounds; a value that is not a positive number
  // is refused (returns -1, nothing changes).
  int SetZoom(float zoom);
  // Origin and zoom in one step, one notification.
  int Set(const KEPMathPoint2Df& origin, float zoom);
  // Refuses (-1) bounds that are not positive numbers with minimum <=
  // maximum; the current zoom is clamped into new bounds.
  int SetZoomBounds(float minimum, float maximum);

  int Subscribe(Callback callback) { return _subscribers.Add(std::move(callback)); }
  bool RemoveSubscribe(int id) { return _subscribers.Remove(id); }

 private:
  float Clamp(float zoom) const;

  KEPMathPoint2Df _origin;
  float _zoom = 1.0f;
  float _minZoom = kDefaultMinZoom;
  float _maxZoom = kDefaultMaxZoom;
  KEPCallbackList<KEP2DViewpoint&> _subscribers;
};
