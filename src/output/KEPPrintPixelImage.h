#pragma once

#include <QImage>
#include <string>

class KEPAtelIma;
class QPrinter;

// A picture ready for the printer: the pixels of an image record (RGBA,
// bottom row first) turned the right way up, with the name printed above
// it.
class KEPPrintPixelImage {
 public:
  // From the record's pixels, or from its file when they are not in memory
  // (the record is left as it is). IsNull() tells of a failure, with the
  // reason in errtext (KEP_ERRMSG_SIZE bytes).
  KEPPrintPixelImage(const KEPAtelIma& image, char* errtext);
  // From a buffer in the record's layout.
  KEPPrintPixelImage(const unsigned char* pixels, int width, int height, std::string name);

  bool IsNull() const { return _picture.isNull(); }
  const QImage& GetPicture() const { return _picture; }
  const std::string& GetName() const { return _name; }

  // Prints on one page: the name at the top, the picture below it as large
  // as the page allows without changing its proportions, centred. 0 =
  // printed; otherwise errtext says why.
  int Print(QPrinter& printer, char* errtext) const;

 private:
  void SetPixels(const unsigned char* pixels, int width, int height);

  QImage _picture;
  std::string _name;
};
