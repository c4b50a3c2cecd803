#pragma once

#include <QImage>
#include <QRect>
#include <algorithm>

#include "platform/viewer/KEP2DViewMapping.h"

class QPainter;

// What a representation is given to draw itself: the painter on the
// viewer, where view coordinates land, the widget rectangle being painted
// (nothing outside it needs drawing), whether the viewer is in stereo mode,
// and scratch images kept by the viewer between paints so that drawing a
// pixel buffer allocates nothing.
class KEP2DDrawContext {
 public:
  KEP2DDrawContext(QPainter& painter, const KEP2DViewMapping& mapping, const QRect& clip,
                   bool stereo, QImage* opaqueScratch, QImage* alphaScratch)
      : _painter(painter),
        _mapping(mapping),
        _clip(clip),
        _stereo(stereo),
        _opaque(opaqueScratch),
        _alpha(alphaScratch) {}

  QPainter& Painter() const { return _painter; }
  const KEP2DViewMapping& Mapping() const { return _mapping; }
  const QRect& Clip() const { return _clip; }
  bool IsStereo() const { return _stereo; }

  // A 32-bit image at least width x height: RGB32 for opaque pixels,
  // premultiplied ARGB32 for pixels drawn over others. Grown, never shrunk.
  QImage& Scratch(bool alpha, int width, int height) const {
    QImage& image = alpha ? *_alpha : *_opaque;
    if (image.width() < width || image.height() < height) {
      image = QImage(std::max(width, image.width()), std::max(height, image.height()),
                     alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
    return image;
  }

 private:
  QPainter& _painter;
  const KEP2DViewMapping& _mapping;
  QRect _clip;
  bool _stereo;
  QImage* _opaque;
  QImage* _alpha;
};
