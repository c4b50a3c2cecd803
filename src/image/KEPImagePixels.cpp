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

void UnpackRows(const unsigned char* file, int channels, int width, int rows,
                unsigned char* destination, std::ptrdiff_t destinationStride) {
  for (int r = 0; r < rows; ++r, destination += destinationStride) {
    const unsigned char* in = file + static_cast<std::size_t>(r) * width * channels;
    unsigned char* out = destination;
    switch (channels) {
      case 1:
        for (int c = 0; c < width; ++c, out += 4, ++in)
          out[0] = out[1] = out[2] = *in, out[3] = 255;
        break;
      case 2:
        for (int c = 0; c < width; ++c, out += 4, in += 2)
          out[0] = out[1] = out[2] = in[0], out[3] = in[1];
        break;
      case 3:
        for (int c = 0; c < width; ++c, out += 4, in += 3)
          out[0] = in[0], out[1] = in[1], out[2] = in[2], out[3] = 255;
        break;
      default:
        std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
        break;
    }
  }
}

void PackRows(const unsigned char* source, std::ptrdiff_t sourceStride, int width, int rows,
              int channels, unsigned char* file) {
  for (int r = 0; r < rows; ++r, source += sourceStride) {
    const unsigned char* in = source;
    unsigned char* out = file + static_cast<std::size_t>(r) * width * channels;
    switch (channels) {
      case 1:
        // Integer weights summing to 1000 keep a grey pixel unchanged.
        for (int c = 0; c < width; ++c, in += 4)
          *out++ =
              static_cast<unsigned char>((in[0] * 299 + in[1] * 587 + in[2] * 114 + 500) / 1000);
        break;
      case 3:
        for (int c = 0; c < width; ++c, in += 4, out += 3)
          out[0] = in[0], out[1] = in[1], out[2] = in[2];
        break;
      default:
        std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
        break;
    }
  }
}

}  // namespace KEPImagePixels
