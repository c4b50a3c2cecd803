#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

// A small fixed-size view of a pixel buffer (4 bytes a pixel, bottom row
// first) for the glow window's swatches, previews and colour disc. It
// reports left-button gestures in its own pixel coordinates with y up, the
// buffer's: (0, 0) is the bottom-left pixel.
class KEPGlowPixelView : public QWidget {
  Q_OBJECT

 public:
  enum Gesture { kPress = 0, kMove = 1, kRelease = 2 };
  using Callback = std::function<void(Gesture gesture, int x, int y)>;

  KEPGlowPixelView(QWidget* parent, const char* name, int width, int height);

  // Shows the buffer at the bottom-left corner (alpha ignored), so that
  // gesture coordinates are the buffer's pixel coordinates; the rest stays
  // the background colour.
  void SetPixels(const unsigned char* pixels, int width, int height);
  void Fill(int red, int green, int blue);
  void Clear();
  const QImage& GetImage() const { return _image; }
  void SetCallback(Callback callback) { _callback = std::move(callback); }

  QSize sizeHint() const override { return _size; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Report(Gesture gesture, const QPointF& at);

  QSize _size;
  QImage _image;
  Callback _callback;
};
