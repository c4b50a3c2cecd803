#include "image/KEPImagePixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <system_error>
#include <thread>

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

namespace {

// The taps of every output sample along one axis: `taps[i]` source samples
// from `first[i]`, their weights at `weights[i * stride]`.
struct Kernel {
  int stride = 0;
  std::vector<int> first, taps;
  std::vector<float> weights;
};

double Lanczos3(double x) {
  x = std::abs(x);
  if (x < 1e-8) return 1;
  if (x >= 3) return 0;
  const double px = std::numbers::pi * x;
  return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

Kernel LanczosKernel(int from, int to) {
  const double step = static_cast<double>(from) / to;
  const double widen = std::max(1.0, step);
  const double reach = 3 * widen;
  Kernel k;
  k.stride = static_cast<int>(std::ceil(2 * reach)) + 3;
  k.first.resize(to);
  k.taps.resize(to);
  k.weights.assign(static_cast<std::size_t>(to) * k.stride, 0.0f);
  for (int i = 0; i < to; ++i) {
    const double centre = (i + 0.5) * step;  // pixel centres lie at j + 0.5
    // Taps outside the image are dropped and the rest renormalised, so that
    // the edges neither darken nor repeat.
    const int lo = std::max(0, static_cast<int>(std::floor(centre - reach)));
    const int hi = std::min(from - 1, static_cast<int>(std::ceil(centre + reach)));
    const int n = std::min(hi - lo + 1, k.stride);
    float* w = &k.weights[static_cast<std::size_t>(i) * k.stride];
    double sum = 0;
    for (int t = 0; t < n; ++t) {
      w[t] = static_cast<float>(Lanczos3((lo + t + 0.5 - centre) / widen));
      sum += w[t];
    }
    k.first[i] = lo;
    k.taps[i] = n;
    if (std::abs(sum) < 1e-9) {
      std::fill(w, w + n, 0.0f);
      w[std::clamp(static_cast<int>(centre) - lo, 0, n - 1)] = 1;
    } else {
      for (int t = 0; t < n; ++t) w[t] = static_cast<float>(w[t] / sum);
    }
  }
  return k;
}

// Runs rows [0, count) in blocks on a few threads when there is enough work
// to share; a block whose thread cannot be had runs on this one.
template <typename Work>
void ForRows(int count, double workPerRow, const Work& work) {
  const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  const unsigned parts =
      workPerRow * count < (1 << 22) ? 1u : std::min<unsigned>(cores, static_cast<unsigned>(count));
  auto bound = [&](unsigned p) {
    return static_cast<int>(static_cast<long long>(count) * p / parts);
  };
  std::vector<std::thread> threads;
  for (unsigned p = 1; p < parts; ++p) {
    try {
      threads.emplace_back(std::cref(work), bound(p), bound(p + 1));
    } catch (const std::system_error&) {
      work(bound(p), bound(p + 1));
    }
  }
  work(0, bound(1));
  for (std::thread& t : threads) t.join();
}

}  // namespace

void ResampleLanczos3(std::span<const unsigned char> source, int width, int height,
                      std::span<unsigned char> destination, int newWidth, int newHeight) {
  const Kernel across = LanczosKernel(width, newWidth), down = LanczosKernel(height, newHeight);
  const std::size_t run = static_cast<std::size_t>(width) * 4;
  // Vertical first, straight from the source rows, so that only one row of
  // intermediate values exists per thread whatever the sizes.
  auto rows = [&](int begin, int end) {
    std::vector<float> line(run);
    for (int r = begin; r < end; ++r) {
      const float* wy = &down.weights[static_cast<std::size_t>(r) * down.stride];
      std::fill(line.begin(), line.end(), 0.0f);
      for (int t = 0; t < down.taps[r]; ++t) {
        if (wy[t] == 0.0f) continue;
        const unsigned char* in = source.data() + (down.first[r] + t) * run;
        const float weight = wy[t];
        for (std::size_t k = 0; k < run; ++k) line[k] += weight * in[k];
      }
      unsigned char* out = destination.data() + static_cast<std::size_t>(r) * newWidth * 4;
      for (int c = 0; c < newWidth; ++c, out += 4) {
        const float* wx = &across.weights[static_cast<std::size_t>(c) * across.stride];
        const float* at = line.data() + static_cast<std::size_t>(across.first[c]) * 4;
        float sum[4] = {0, 0, 0, 0};
        for (int t = 0; t < across.taps[c]; ++t, at += 4)
          for (int k = 0; k < 4; ++k) sum[k] += wx[t] * at[k];
        for (int k = 0; k < 4; ++k)
          out[k] = static_cast<unsigned char>(std::clamp(sum[k] + 0.5f, 0.0f, 255.0f));
      }
    }
  };
  ForRows(newHeight, static_cast<double>(run) * down.stride + 4.0 * newWidth * across.stride, rows);
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
