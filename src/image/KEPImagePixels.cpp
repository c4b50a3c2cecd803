#include "image/KEPImagePixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace KEPImagePixels {

void PutPatch(std::span<unsigned char> destination, int width, int height, int x, int y,
              int columns, int rows, const unsigned char* source) {
  if (!source || columns <= 0 || rows <= 0) return;
  const int c0 = std::max(0, -x), c1 = std::min(columns, width - x);
  const int r0 = std::max(0, -y), r1 = std::min(rows, height - y);
  if (c0 >= c1 || r0 >= r1) return;
  const std::size_t run = static_cast<std::size_t>(c1 - c0) * 4;
  for (int j = r0; j < r1; ++j) {
    const unsigned char* from = source + (static_cast<std::size_t>(j) * columns + c0) * 4;
    unsigned char* to =
        destination.data() + (static_cast<std::size_t>(y + j) * width + (x + c0)) * 4;
    std::memcpy(to, from, run);
  }
}

std::vector<unsigned char> CopyRect(std::span<const unsigned char> source, int width, int height,
                                    int x, int y, int rectWidth, int rectHeight) {
  std::vector<unsigned char> out;
  if (rectWidth <= 0 || rectHeight <= 0 || x < 0 || y < 0 || x > width - rectWidth ||
      y > height - rectHeight || source.size() < BufferSize(width, height))
    return out;
  out.resize(BufferSize(rectWidth, rectHeight));
  const std::size_t run = static_cast<std::size_t>(rectWidth) * 4;
  for (int j = 0; j < rectHeight; ++j) {
    std::memcpy(out.data() + j * run,
                source.data() + (static_cast<std::size_t>(y + j) * width + x) * 4, run);
  }
  return out;
}

void FlipRows(std::span<unsigned char> pixels, int width, int height) {
  const std::size_t run = static_cast<std::size_t>(width) * 4;
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(pixels.begin() + top * run, pixels.begin() + (top + 1) * run,
                     pixels.begin() + bottom * run);
  }
}

namespace {
// Source sample positions and weights along one axis, pixel centres aligned
// so that the image is neither shifted nor shrunk by half a pixel.
struct Tap {
  int first, second;
  float weight;  // of `second`
};

std::vector<Tap> Taps(int from, int to) {
  std::vector<Tap> taps(to);
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    double s = (i + 0.5) * scale - 0.5;
    s = std::clamp(s, 0.0, static_cast<double>(from - 1));
    int a = static_cast<int>(s);
    int b = std::min(a + 1, from - 1);
    taps[i] = {a, b, static_cast<float>(s - a)};
  }
  return taps;
}
}  // namespace

void ResampleBilinear(std::span<const unsigned char> source, int width, int height,
                      std::span<unsigned char> destination, int newWidth, int newHeight) {
  const std::vector<Tap> xs = Taps(width, newWidth), ys = Taps(height, newHeight);
  for (int r = 0; r < newHeight; ++r) {
    const unsigned char* row0 = source.data() + static_cast<std::size_t>(ys[r].first) * width * 4;
    const unsigned char* row1 = source.data() + static_cast<std::size_t>(ys[r].second) * width * 4;
    const float wy = ys[r].weight;
    unsigned char* out = destination.data() + static_cast<std::size_t>(r) * newWidth * 4;
    for (int c = 0; c < newWidth; ++c) {
      const Tap& t = xs[c];
      for (int k = 0; k < 4; ++k) {
        float top =
            row0[t.first * 4 + k] + (row0[t.second * 4 + k] - row0[t.first * 4 + k]) * t.weight;
        float bottom =
            row1[t.first * 4 + k] + (row1[t.second * 4 + k] - row1[t.first * 4 + k]) * t.weight;
        float v = top + (bottom - top) * wy;
        out[c * 4 + k] = static_cast<unsigned char>(std::clamp(v + 0.5f, 0.0f, 255.0f));
      }
    }
  }
}

void ExpandChannels(std::span<unsigned char> pixels, int channels) {
  const std::size_t count = pixels.size() / 4;
  unsigned char* p = pixels.data();
  switch (channels) {
    case 1:
      for (std::size_t i = 0; i < count; ++i, p += 4) p[1] = p[2] = p[0], p[3] = 255;
      break;
    case 2:
      for (std::size_t i = 0; i < count; ++i, p += 4) p[3] = p[1], p[1] = p[2] = p[0];
      break;
    case 3:
      for (std::size_t i = 0; i < count; ++i, p += 4) p[3] = 255;
      break;
    default:
      break;
  }
}

void ToGrey(std::span<const unsigned char> pixels, std::span<unsigned char> grey) {
  const std::size_t count = std::min(pixels.size() / 4, grey.size());
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* p = pixels.data() + i * 4;
    // Integer weights summing to 1000 keep an already grey pixel unchanged.
    grey[i] = static_cast<unsigned char>((p[0] * 299 + p[1] * 587 + p[2] * 114 + 500) / 1000);
  }
}

}  // namespace KEPImagePixels
