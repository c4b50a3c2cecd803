#include "document/KEPAteloDefaultLogo.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

const char kPicture[] = ":/logo/atelo.svg";

bool OwnSize(int& width, int& height) {
  QSvgRenderer renderer{QString(kPicture)};
  if (!renderer.isValid()) return false;
  const QSize size = renderer.defaultSize();
  if (size.isEmpty()) return false;
  width = size.width();
  height = size.height();
  return true;
}

bool OwnPixels(unsigned char* buffer) {
  QSvgRenderer renderer{QString(kPicture)};
  const QSize size = renderer.defaultSize();
  if (!buffer || !renderer.isValid() || size.isEmpty()) return false;
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  for (int y = 0; y < size.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < size.width(); ++x, buffer += 4) {
      buffer[0] = 0;
      buffer[1] = static_cast<unsigned char>(qRed(line[x]));
      buffer[2] = static_cast<unsigned char>(qGreen(line[x]));
      buffer[3] = static_cast<unsigned char>(qBlue(line[x]));
    }
  }
  return true;
}

struct Provider {
  KEPAteloDefaultLogo::SizeSource size = OwnSize;
  KEPAteloDefaultLogo::PixelSource pixels = OwnPixels;
};

Provider& Bound() {
  static Provider provider;
  return provider;
}

}  // namespace

namespace KEPAteloDefaultLogo {

bool GetSize(int& width, int& height) {
  return Bound().size && Bound().size(width, height) && width > 0 && height > 0;
}

bool GetPixels(unsigned char* buffer) {
  return Bound().pixels && Bound().pixels(buffer);
}

void Bind(SizeSource size, PixelSource pixels) {
  Bound() = Provider{std::move(size), std::move(pixels)};
}

void Restore() {
  Bound() = Provider{};
}

}  // namespace KEPAteloDefaultLogo
