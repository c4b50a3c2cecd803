#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

// A small pixel buffer for the raster tests, filled with one colour.
struct RasterImage {
  using Pixel = std::array<unsigned char, 4>;

  RasterImage(int w, int h, Pixel fill = {0, 0, 0, 0}) : width(w), height(h) {
    bytes.resize(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) Set(x, y, fill);
    }
  }

  std::span<unsigned char> Span() { return bytes; }
  Pixel At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    return {bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]};
  }
  void Set(int x, int y, Pixel p) {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    for (int k = 0; k < 4; ++k) bytes[i + k] = p[k];
  }
  // Number of pixels for which `test` holds.
  int Count(const std::function<bool(int, int, Pixel)>& test) const {
    int n = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) n += test(x, y, At(x, y)) ? 1 : 0;
    }
    return n;
  }
  int CountEqual(Pixel p) const {
    return Count([&](int, int, Pixel q) { return q == p; });
  }

  int width, height;
  std::vector<unsigned char> bytes;
};

using Colour = std::array<int, 4>;
inline constexpr Colour kWhite = {255, 255, 255, 255};
inline constexpr RasterImage::Pixel kWhitePixel = {255, 255, 255, 255};
