#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdint>
#include <vector>

#include "platform/viewer/KEP2DViewer.h"

// Pixels whose colour tells their place: (c * 16, r * 16, 200, 255), bottom
// row first.
inline std::vector<unsigned char> PlacePixels(int width, int height) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      unsigned char* p = &pixels[(static_cast<std::size_t>(r) * width + c) * 4];
      p[0] = static_cast<unsigned char>(c * 16);
      p[1] = static_cast<unsigned char>(r * 16);
      p[2] = 200;
      p[3] = 255;
    }
  }
  return pixels;
}

inline std::vector<unsigned char> FlatPixels(int width, int height, unsigned char r,
                                             unsigned char g, unsigned char b, unsigned char a) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = r;
    pixels[i + 1] = g;
    pixels[i + 2] = b;
    pixels[i + 3] = a;
  }
  return pixels;
}

inline QImage Shot(KEP2DViewer& viewer) {
  return viewer.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline void Mouse(KEP2DViewer& viewer, QEvent::Type type, QPointF at, Qt::MouseButton button,
                  Qt::MouseButtons held) {
  QMouseEvent event(type, at, viewer.mapToGlobal(at), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(&viewer, &event);
}

inline void Drag(KEP2DViewer& viewer, QPointF from, QPointF to,
                 Qt::MouseButton button = Qt::LeftButton) {
  Mouse(viewer, QEvent::MouseButtonPress, from, button, button);
  Mouse(viewer, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
  Mouse(viewer, QEvent::MouseMove, to, Qt::NoButton, button);
  Mouse(viewer, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

inline void Wheel(KEP2DViewer& viewer, QPointF at, int delta) {
  QWheelEvent event(at, viewer.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&viewer, &event);
}

inline void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}
