#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <vector>

// A small pixel buffer for the raster tests, filled with one colour.
struct RasterImage {
  using Pixel = std::array<unsigned char, 4>;

  RasterImage(int w, int h, Pixel fill = {0, 0, 0, 0}) : width(w), height(h) {
    for (int i = 0; i < w * h; ++i) bytes.insert(bytes.end(), fill.begin(), fill.end());
  }

  std::span<unsigned char> Span() { return bytes; }
  Pixel At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    return {bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]};
  }
  void Set(int x, int y, Pixel p) { std::copy(p.begin(), p.end(), &bytes[(y * width + x) * 4]); }
  // Number of pixels for which `test(x, y, pixel)` holds.
  template <class Test>
  int Count(Test test) const {
    int n = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) n += test(x, y, At(x, y)) ? 1 : 0;
    }
    return n;
  }
  int CountEqual(Pixel p) const {
    return Count([&](int, int, Pixel q) { return q == p; });
  }
  // Number of pixels that are white where `inside(x, y)` does not hold or
  // are not white where it does: 0 when exactly that shape was painted.
  template <class Inside>
  int WhiteMismatches(Inside inside) const {
    return Count([&](int x, int y, Pixel p) {
      return (p == Pixel{255, 255, 255, 255}) != inside(x, y);
    });
  }

  int width, height;
  std::vector<unsigned char> bytes;
};

using Colour = std::array<int, 4>;
inline constexpr Colour kWhite = {255, 255, 255, 255};
inline constexpr RasterImage::Pixel kWhitePixel = {255, 255, 255, 255};
