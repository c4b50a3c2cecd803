#include "output/KEPPrintPixelImage.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <vector>

#include "image/KEPAtelIma.h"
#include "image/KEPImageFile.h"
#include "platform/KEPErrmsg.h"

KEPPrintPixelImage::KEPPrintPixelImage(const KEPAtelIma& image, char* errtext)
    : _name(image.GetName() ? image.GetName() : "") {
  int width = 0, height = 0;
  image.GetSize(width, height);
  if (const unsigned char* pixels = image.GetPixels()) {
    SetPixels(pixels, width, height);
  } else {
    std::vector<unsigned char> fromFile;
    std::string type = KEPImageFile::TypeOfExtension(image.GetExtension());
    if (KEPImageFile::Read(_name, type, fromFile, width, height, errtext) != 0) return;
    SetPixels(fromFile.data(), width, height);
  }
  if (_picture.isNull() && errtext)
    KEPFormatError(errtext, "Print not done: the image '%s' has no pixels", _name.c_str());
}

KEPPrintPixelImage::KEPPrintPixelImage(const unsigned char* pixels, int width, int height,
                                       std::string name)
    : _name(std::move(name)) {
  SetPixels(pixels, width, height);
}

void KEPPrintPixelImage::SetPixels(const unsigned char* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return;
  // The buffer is the record's: QImage only looks at it until the copy that
  // mirrored() makes, which also puts the top row first.
  QImage view(pixels, width, height, width * 4, QImage::Format_RGBA8888);
  _picture = view.mirrored(false, true);
}

int KEPPrintPixelImage::Print(QPrinter& printer, char* errtext) const {
  if (_picture.isNull()) {
    KEPFormatError(errtext, "Print not done: the image '%s' has no pixels", _name.c_str());
    return 1;
  }
  printer.setDocName(QString::fromStdString(_name));
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
      KEPFormatError(errtext, "Print not done: the file '%s' cannot be written",
                     printer.outputFileName().toLocal8Bit().constData());
    else
      KEPFormatError(errtext, "Print not done: the printer '%s' cannot be used",
                     printer.printerName().toLocal8Bit().constData());
    return 1;
  }
  const QRect page = painter.viewport();
  QFont font = painter.font();
  font.setPointSizeF(9);
  painter.setFont(font);
  QFontMetrics metrics(font, &printer);
  const int captionHeight = metrics.lineSpacing() * 2;
  painter.drawText(
      QRect(page.left(), page.top(), page.width(), metrics.lineSpacing()),
      Qt::AlignLeft | Qt::AlignVCenter,
      metrics.elidedText(QString::fromStdString(_name), Qt::ElideMiddle, page.width()));
  QRect room(page.left(), page.top() + captionHeight, page.width(), page.height() - captionHeight);
  QSize size = _picture.size().scaled(room.size(), Qt::KeepAspectRatio);
  QRect target(room.left() + (room.width() - size.width()) / 2, room.top(), size.width(),
               size.height());
  // Neighbouring pixels stay sharp edged when a small picture is enlarged.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, size.width() < _picture.width());
  painter.drawImage(target, _picture);
  if (!painter.end()) {
    KEPFormatError(errtext, "Print not done: the printer did not take the page");
    return 1;
  }
  return 0;
}
