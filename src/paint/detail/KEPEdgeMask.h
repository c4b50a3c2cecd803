#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

// Edge mask of a polygon over a rectangle of the image: 1 untouched, 3 a
// boundary pixel that flips the inside flag of its row, 4 a boundary pixel
// that does not. The rectangle may be the whole image or just the polygon's
// bounding box: every edge pixel lies between the ends of its edge, so the
// box loses nothing and the fill and mask only touch the box.
class KEPEdgeMask {
 public:
  KEPEdgeMask(int left, int top, int width, int height);

  // Outline of the polygon given as integer pixel (x, y) pairs, closed back
  // to the first point; trailing copies of the first point must already be
  // dropped. A single point is a lone boundary pixel.
  void Trace(std::span<const int> points);

  int GetLeft() const { return _left; }
  int GetTop() const { return _top; }
  int GetWidth() const { return _width; }
  int GetHeight() const { return _height; }
  const unsigned char* Row(int r) const {
    return _mask.data() + static_cast<std::size_t>(r) * _width;
  }
  std::vector<unsigned char> Release() { return std::move(_mask); }

  // Calls run(x0, x1) for each maximal run [x0, x1) of the row's pixels that
  // belong to the polygon: a flipping pixel (which flips the flag), a
  // non-flipping boundary pixel, or any pixel while the flag is set.
  template <class Run>
  static void ForEachInsideRun(const unsigned char* row, int width, Run&& run) {
    bool inside = false;
    int open = -1, x = 0;
    while (x < width) {
      const int j = NextBoundary(row, x, width);
      if (j > x) {
        if (inside) {
          if (open < 0) open = x;
        } else if (open >= 0) {
          run(open, x);
          open = -1;
        }
      }
      if (j >= width) break;
      if (open < 0) open = j;
      if (row[j] == 3) inside = !inside;
      x = j + 1;
    }
    if (open >= 0) run(open, width);
  }

 private:
  // First position >= x that is not 1, or width; eight bytes at a time, as
  // most of a row is untouched.
  static int NextBoundary(const unsigned char* row, int x, int width) {
    if constexpr (std::endian::native == std::endian::little) {
      constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
      while (x + 8 <= width) {
        std::uint64_t v;
        std::memcpy(&v, row + x, 8);
        v ^= kOnes;
        if (v) return x + (std::countr_zero(v) >> 3);
        x += 8;
      }
    }
    while (x < width && row[x] == 1) ++x;
    return x;
  }

  void Flip(std::int64_t x, std::int64_t y);
  void Mark(std::int64_t x, std::int64_t y);
  unsigned char* At(std::int64_t x, std::int64_t y);
  void TraceEdge(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);

  int _left, _top, _width, _height;
  std::vector<unsigned char> _mask;
};
