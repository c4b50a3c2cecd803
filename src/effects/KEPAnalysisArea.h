#pragma once

#include <vector>

// The part of a picture that an analysis works on: a rectangle, and which
// of its pixels are examined. The others keep their colour, and the
// rectangle's edges bound the neighbourhoods (contrast, outlines).
//
// Built from the document's selection: with the side "In" the rectangle is
// the selection mask's and the examined pixels are the shape's; with "Out"
// it is the whole picture, and the shape's pixels are the ones left alone.
// Without a selection the whole picture is examined.
class KEPAnalysisArea {
 public:
  // Widest and tallest control copy shown in the analysis windows.
  static constexpr int kControlWidth = 200;
  static constexpr int kControlHeight = 150;

  KEPAnalysisArea() = default;
  // The whole width x height picture, every pixel examined.
  KEPAnalysisArea(int width, int height);

  // `mask` (null without a selection) holds one byte per pixel of its
  // rectangle, 0 inside the drawn shape, 1 outside; side 0 selects the
  // shape, any other value the rest. The rectangle is clipped to the
  // picture.
  static KEPAnalysisArea FromSelection(int imageWidth, int imageHeight, const unsigned char* mask,
                                       int maskX, int maskY, int maskWidth, int maskHeight,
                                       int side);

  // The size of the reduced copy of a width x height area: 200 wide for a
  // landscape wider than 4:3, else 150 high, keeping the proportions (and
  // at least one pixel a side).
  static void ControlSize(int width, int height, int& controlWidth, int& controlHeight);

  int GetX() const { return _x; }
  int GetY() const { return _y; }
  int GetWidth() const { return _width; }
  int GetHeight() const { return _height; }
  bool IsEmpty() const { return _width <= 0 || _height <= 0; }
  // One byte per pixel of the rectangle, rows bottom first: 0 examined,
  // other values left alone. Null when every pixel is examined.
  const unsigned char* GetMask() const { return _mask.empty() ? nullptr : _mask.data(); }
  // (column, row) relative to the rectangle.
  bool IsExamined(int column, int row) const {
    return _mask.empty() || _mask[static_cast<std::size_t>(row) * _width + column] == 0;
  }

  // The area's pixels of a picture `imageWidth` wide, averaged down (or
  // repeated up) to controlWidth x controlHeight, 4 bytes a pixel.
  std::vector<unsigned char> MakeControlPixels(const unsigned char* image, int imageWidth,
                                               int controlWidth, int controlHeight) const;
  // The same area at the control size, covering the whole control picture,
  // each control pixel examined as the area pixel it falls on.
  KEPAnalysisArea MakeControlArea(int controlWidth, int controlHeight) const;

 private:
  int _x = 0, _y = 0, _width = 0, _height = 0;
  std::vector<unsigned char> _mask;
};
