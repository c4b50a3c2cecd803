#include "effects/KEPGlowPixelView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

KEPGlowPixelView::KEPGlowPixelView(QWidget* parent, const char* name, int width, int height)
    : QWidget(parent), _size(width, height) {
  setObjectName(name);
  setFixedSize(_size);
}

void KEPGlowPixelView::SetPixels(const unsigned char* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) {
    Clear();
    return;
  }
  _image = QImage(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    // The buffer's bottom row is the image's last line.
    const unsigned char* p = pixels + 4 * static_cast<std::size_t>(height - 1 - y) * width;
    auto* line = reinterpret_cast<QRgb*>(_image.scanLine(y));
    for (int x = 0; x < width; ++x, p += 4) line[x] = qRgb(p[0], p[1], p[2]);
  }
  update();
}

void KEPGlowPixelView::Fill(int red, int green, int blue) {
  _image = QImage(_size, QImage::Format_RGB32);
  _image.fill(QColor(red, green, blue));
  update();
}

void KEPGlowPixelView::Clear() {
  _image = QImage();
  update();
}

void KEPGlowPixelView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (!_image.isNull()) painter.drawImage(0, _size.height() - _image.height(), _image);
}

void KEPGlowPixelView::Report(Gesture gesture, const QPointF& at) {
  if (!_callback) return;
  const int x = static_cast<int>(std::floor(at.x()));
  const int y = static_cast<int>(std::floor(_size.height() - at.y()));
  _callback(gesture, x, y);
}

void KEPGlowPixelView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Report(kPress, event->position());
}

void KEPGlowPixelView::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) Report(kMove, event->position());
}

void KEPGlowPixelView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Report(kRelease, event->position());
}
