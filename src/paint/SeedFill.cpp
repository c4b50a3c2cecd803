// Seed fill of a 4-connected region, span by span, with an explicit stack:
// a region as large as the image must not exhaust the call stack.
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "paint/KEPRaster.h"
#include "paint/detail/RasterDetail.h"

namespace {

inline std::uint32_t Load(const unsigned char* row, int x) {
  std::uint32_t v;
  std::memcpy(&v, row + 4 * static_cast<std::size_t>(x), 4);
  return v;
}

inline void Store(unsigned char* row, int x, std::uint32_t v) {
  std::memcpy(row + 4 * static_cast<std::size_t>(x), &v, 4);
}

// Bytes packed in memory order, so that a pixel compares as one word.
std::uint32_t Pack(const unsigned char bytes[4]) {
  std::uint32_t v;
  std::memcpy(&v, bytes, 4);
  return v;
}

class SeedFill {
 public:
  SeedFill(unsigned char* buffer, int width, int height, std::uint32_t old, std::uint32_t keep,
           std::uint32_t bits)
      : _buffer(buffer), _width(width), _height(height), _old(old), _keep(keep), _bits(bits) {}

  void Run(int seedX, int seedY) {
    _stack.emplace_back(seedX, seedY);
    while (!_stack.empty()) {
      const auto [x, y] = _stack.back();
      _stack.pop_back();
      unsigned char* row = Row(y);
      Write(row, x);
      int right = x;
      while (right + 1 < _width && Load(row, right + 1) == _old) Write(row, ++right);
      int left = x;
      while (left - 1 >= 0 && Load(row, left - 1) == _old) Write(row, --left);
      if (y + 1 < _height) SeedRow(y + 1, left, right, 1);
      if (y - 1 >= 0) SeedRow(y - 1, left, right, -1);
    }
  }

 private:
  unsigned char* Row(int y) const { return _buffer + static_cast<std::size_t>(y) * _width * 4; }

  void Write(unsigned char* row, int x) const { Store(row, x, (Load(row, x) & _keep) | _bits); }

  // One seed for every run of old-coloured pixels of `y` under the span
  // [left, right]: the run's last pixel within the span.
  void SeedRow(int y, int left, int right, int step) {
    const unsigned char* row = Row(y);
    int x = left;
    while (x <= right) {
      const int start = x;
      while (x < right && Load(row, x) == _old) ++x;
      if (x > start) {
        Push(x == right && Load(row, right) == _old ? x : x - 1, y, step);
      } else if (x == right && Load(row, right) == _old) {
        // A run that meets the span only at its right end (always the case
        // under a one-pixel span) is seeded too, or a corridor one pixel wide
        // would stop the fill.
        Push(right, y, step);
      }
      const int skipFrom = x;
      while (x < right && Load(row, x) != _old) ++x;
      if (x == skipFrom) ++x;
    }
  }

  // The row beyond a seed is the next one its span will scan; asking for it
  // now hides part of the memory latency of narrow vertical corridors.
  void Push(int x, int y, int step) {
    _stack.emplace_back(x, y);
    const int beyond = y + step;
    if (beyond >= 0 && beyond < _height) {
      __builtin_prefetch(Row(beyond) + 4 * static_cast<std::size_t>(x));
    }
  }

  unsigned char* _buffer;
  int _width, _height;
  std::uint32_t _old, _keep, _bits;
  std::vector<std::pair<int, int>> _stack;
};

}  // namespace

void Paint(std::span<unsigned char> buffer, int width, int height, int seedX, int seedY,
           KEPPaintColour oldColour, KEPPaintColour newColour) {
  if (!kep_raster::ValidBuffer(buffer, width, height)) return;
  if (!kep_raster::Inside(seedX, seedY, width, height)) return;
  unsigned char keepBytes[4], bitBytes[4], oldBytes[4];
  bool oldIsPixel = true;
  for (int k = 0; k < 4; ++k) {
    const bool keep = newColour[k] == 256;
    keepBytes[k] = keep ? 0xFF : 0;
    bitBytes[k] = keep ? 0 : static_cast<unsigned char>(newColour[k]);
    if (oldColour[k] < 0 || oldColour[k] > 255) oldIsPixel = false;
    oldBytes[k] = static_cast<unsigned char>(oldColour[k]);
  }
  const std::uint32_t keep = Pack(keepBytes), bits = Pack(bitBytes), old = Pack(oldBytes);
  unsigned char* seedRow = buffer.data() + static_cast<std::size_t>(seedY) * width * 4;
  // When painting leaves the old colour as it is, the region would be found
  // again and again without end; when no pixel can hold the old colour there
  // is no region. Either way only the seed is written.
  if (!oldIsPixel || ((old & keep) | bits) == old) {
    Store(seedRow, seedX, (Load(seedRow, seedX) & keep) | bits);
    return;
  }
  SeedFill(buffer.data(), width, height, old, keep, bits).Run(seedX, seedY);
}
