// Colour replacement and the colour swatch.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "paint/KEPColourMatch.h"
#include "paint/detail/RasterDetail.h"

namespace {

// A colour as a masked 32-bit word in memory order: the channels that take
// part (value not 256) in `care`, their values in `bits`.
void Pack(KEPPaintColour colour, std::uint32_t& care, std::uint32_t& bits) {
  unsigned char careBytes[4], bitBytes[4];
  for (int k = 0; k < 4; ++k) {
    const bool used = colour[k] != 256;
    careBytes[k] = used ? 0xFF : 0;
    bitBytes[k] = used ? static_cast<unsigned char>(colour[k]) : 0;
  }
  std::memcpy(&care, careBytes, 4);
  std::memcpy(&bits, bitBytes, 4);
}

bool MaskAllows(const KEPSelectionMask* mask, int side, int x, int y) {
  if (!mask || x < mask->x || y < mask->y || x >= mask->x + mask->width ||
      y >= mask->y + mask->height)
    return true;
  const std::size_t at = static_cast<std::size_t>(y - mask->y) * mask->width + (x - mask->x);
  return at >= mask->bytes.size() || mask->bytes[at] == side;
}

}  // namespace

long long MatchColor(std::span<unsigned char> pixels, int width, int height, int x, int y, int w,
                     int h, const KEPSelectionMask* mask, int side, KEPPaintColour match,
                     KEPPaintColour paint, bool countOnly) {
  if (!kep_raster::ValidBuffer(pixels, width, height)) return 0;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<long long>(static_cast<long long>(x) + w, width));
  const int y1 = static_cast<int>(std::min<long long>(static_cast<long long>(y) + h, height));
  std::uint32_t matchCare, matchBits, paintCare, paintBits;
  Pack(match, matchCare, matchBits);
  Pack(paint, paintCare, paintBits);
  long long changed = 0;
  for (int row = y0; row < y1; ++row) {
    unsigned char* line = pixels.data() + static_cast<std::size_t>(row) * width * 4;
    for (int column = x0; column < x1; ++column) {
      std::uint32_t v;
      std::memcpy(&v, line + 4 * static_cast<std::size_t>(column), 4);
      if ((v & matchCare) != matchBits || !MaskAllows(mask, side, column, row)) continue;
      const std::uint32_t replaced = (v & ~paintCare) | paintBits;
      if (replaced == v) continue;
      ++changed;
      if (!countOnly) std::memcpy(line + 4 * static_cast<std::size_t>(column), &replaced, 4);
    }
  }
  return changed;
}

void FillColourSwatch(std::span<unsigned char> swatch, int width, int height,
                      KEPPaintColour colour) {
  if (!kep_raster::ValidBuffer(swatch, width, height)) return;
  for (int i = 0; i < height; ++i) {
    for (int j = 0; j < width; ++j) {
      const int first = 255 * i / height, second = 255 * j / width;
      const int gradients[3] = {first, second, (first + second) / 2};
      int next = 0;
      unsigned char* pixel = swatch.data() + (static_cast<std::size_t>(i) * width + j) * 4;
      for (int k = 0; k < 4; ++k) {
        const int value = colour[k] != 256 ? colour[k] : gradients[std::min(next++, 2)];
        pixel[k] = static_cast<unsigned char>(value & 0xFF);
      }
    }
  }
}
