#include "effects/KEPAnalysisArea.h"

#include <algorithm>
#include <cstdint>

namespace {

// Source span [first, last) of each of `count` control cells over `size`
// source pixels: a cell covers the pixels it overlaps when shrinking, and
// at least the one under it when growing.
void Spans(int size, int count, std::vector<int>& first, std::vector<int>& last) {
  first.resize(count);
  last.resize(count);
  for (int i = 0; i < count; ++i) {
    first[i] = static_cast<int>(std::int64_t{i} * size / count);
    last[i] = std::max(first[i] + 1, static_cast<int>(std::int64_t{i + 1} * size / count));
  }
}

// The source pixel under the centre of control cell i.
int CentreOf(int i, int size, int count) {
  return static_cast<int>((std::int64_t{2} * i + 1) * size / (std::int64_t{2} * count));
}

}  // namespace

KEPAnalysisArea::KEPAnalysisArea(int width, int height)
    : _width(std::max(width, 0)), _height(std::max(height, 0)) {}

KEPAnalysisArea KEPAnalysisArea::FromSelection(int imageWidth, int imageHeight,
                                               const unsigned char* mask, int maskX, int maskY,
                                               int maskWidth, int maskHeight, int side) {
  KEPAnalysisArea area(imageWidth, imageHeight);
  if (!mask || maskWidth <= 0 || maskHeight <= 0 || area.IsEmpty()) return area;
  // The part of the mask that lies on the picture.
  const int left = std::max(maskX, 0), bottom = std::max(maskY, 0);
  const int right = std::min(maskX + maskWidth, imageWidth);
  const int top = std::min(maskY + maskHeight, imageHeight);
  const bool outside = side != 0;
  if (!outside) {
    area._x = left;
    area._y = bottom;
    area._width = std::max(right - left, 0);
    area._height = std::max(top - bottom, 0);
  }
  if (area.IsEmpty()) return area;
  // Examined (0): with "In" the shape's pixels (mask byte 0); with "Out"
  // every pixel off the mask rectangle and the rectangle's pixels off the
  // shape.
  area._mask.assign(static_cast<std::size_t>(area._width) * area._height, 0);
  for (int y = bottom; y < top; ++y) {
    const unsigned char* in = mask + static_cast<std::size_t>(y - maskY) * maskWidth;
    unsigned char* out = area._mask.data() + static_cast<std::size_t>(y - area._y) * area._width;
    for (int x = left; x < right; ++x) {
      const bool shape = in[x - maskX] == 0;
      out[x - area._x] = shape == outside ? 1 : 0;
    }
  }
  return area;
}

void KEPAnalysisArea::ControlSize(int width, int height, int& controlWidth, int& controlHeight) {
  if (width <= 0 || height <= 0) {
    controlWidth = controlHeight = 1;
    return;
  }
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  if (aspect > 1.3333334f) {
    controlWidth = kControlWidth;
    controlHeight = static_cast<int>(static_cast<float>(kControlWidth) / aspect);
  } else {
    controlWidth = static_cast<int>(aspect * static_cast<float>(kControlHeight));
    controlHeight = kControlHeight;
  }
  // A very long strip would round its short side to nothing.
  controlWidth = std::max(controlWidth, 1);
  controlHeight = std::max(controlHeight, 1);
}

std::vector<unsigned char> KEPAnalysisArea::MakeControlPixels(const unsigned char* image,
                                                              int imageWidth, int controlWidth,
                                                              int controlHeight) const {
  std::vector<unsigned char> out(static_cast<std::size_t>(controlWidth) * controlHeight * 4, 0);
  if (IsEmpty() || !image || controlWidth <= 0 || controlHeight <= 0) return out;
  std::vector<int> x0, x1, y0, y1;
  Spans(_width, controlWidth, x0, x1);
  Spans(_height, controlHeight, y0, y1);
  std::vector<std::uint32_t> sums(static_cast<std::size_t>(controlWidth) * 4);
  for (int j = 0; j < controlHeight; ++j) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int y = y0[j]; y < y1[j]; ++y) {
      const unsigned char* row = image + (static_cast<std::size_t>(_y + y) * imageWidth + _x) * 4;
      for (int i = 0; i < controlWidth; ++i) {
        std::uint32_t* sum = &sums[4 * static_cast<std::size_t>(i)];
        for (const unsigned char* p = row + 4 * x0[i]; p < row + 4 * x1[i]; p += 4) {
          sum[0] += p[0];
          sum[1] += p[1];
          sum[2] += p[2];
          sum[3] += p[3];
        }
      }
    }
    unsigned char* dst = out.data() + static_cast<std::size_t>(j) * controlWidth * 4;
    for (int i = 0; i < controlWidth; ++i) {
      const std::uint32_t count = static_cast<std::uint32_t>((x1[i] - x0[i]) * (y1[j] - y0[j]));
      for (int c = 0; c < 4; ++c)
        dst[4 * i + c] = static_cast<unsigned char>((sums[4 * i + c] + count / 2) / count);
    }
  }
  return out;
}

KEPAnalysisArea KEPAnalysisArea::MakeControlArea(int controlWidth, int controlHeight) const {
  KEPAnalysisArea control(controlWidth, controlHeight);
  if (control.IsEmpty()) return control;
  if (IsEmpty()) {
    // Nothing of the picture is analysed: nothing of the copy either.
    control._mask.assign(static_cast<std::size_t>(controlWidth) * controlHeight, 1);
    return control;
  }
  if (_mask.empty()) return control;
  control._mask.resize(static_cast<std::size_t>(controlWidth) * controlHeight);
  for (int j = 0; j < controlHeight; ++j) {
    const unsigned char* in =
        _mask.data() + static_cast<std::size_t>(CentreOf(j, _height, controlHeight)) * _width;
    unsigned char* out = control._mask.data() + static_cast<std::size_t>(j) * controlWidth;
    for (int i = 0; i < controlWidth; ++i) out[i] = in[CentreOf(i, _width, controlWidth)];
  }
  return control;
}
