#include "platform/viewer/KEPPixelSampling.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

KEPSampleAxis KEPBuildSampleAxis(double first, double step, int count, int samples, int limit) {
  KEPSampleAxis axis;
  axis.samples = std::max(1, samples);
  if (count <= 0 || limit <= 0 || step == 0.0 || !std::isfinite(first) || !std::isfinite(step)) {
    return axis;
  }
  // The pixels whose centre lies on the source form one run: estimate its
  // ends in closed form, then settle them with the very floor that picks the
  // indices, so that the run and the indices never disagree at an edge.
  const double a = (0.0 - first) / step - 0.5;
  const double b = (static_cast<double>(limit) - first) / step - 0.5;
  double lo = step > 0.0 ? std::ceil(a) : std::floor(b) + 1.0;
  double hi = step > 0.0 ? std::ceil(b) : std::floor(a) + 1.0;
  auto onSource = [&](double i) {
    double c = std::floor(first + (i + 0.5) * step);
    return c >= 0.0 && c < limit;
  };
  lo = std::clamp(lo, 0.0, static_cast<double>(count));
  hi = std::clamp(hi, 0.0, static_cast<double>(count));
  while (lo > 0.0 && onSource(lo - 1.0)) lo -= 1.0;
  while (lo < hi && !onSource(lo)) lo += 1.0;
  while (hi < count && onSource(hi)) hi += 1.0;
  while (hi > lo && !onSource(hi - 1.0)) hi -= 1.0;
  axis.begin = static_cast<int>(lo);
  axis.end = static_cast<int>(hi);
  if (axis.begin >= axis.end) return axis;

  axis.index.resize(static_cast<std::size_t>(count) * axis.samples, 0);
  const double n = axis.samples;
  for (int i = axis.begin; i < axis.end; ++i) {
    for (int k = 0; k < axis.samples; ++k) {
      double at = axis.samples == 1 ? first + (i + 0.5) * step : first + (i + (k + 0.5) / n) * step;
      int c = static_cast<int>(std::floor(at));
      axis.index[static_cast<std::size_t>(i) * axis.samples + k] = std::clamp(c, 0, limit - 1);
    }
  }
  return axis;
}

int KEPSamplesForZoom(double zoom, int maxSamples) {
  if (!(zoom > 0.0) || zoom >= 1.0) return 1;
  double perPixel = std::ceil(1.0 / zoom - 1e-9);
  return static_cast<int>(std::clamp(perPixel, 1.0, static_cast<double>(std::max(1, maxSamples))));
}

namespace {

inline std::uint32_t Load(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// RGBA bytes as a little-endian word are 0xAABBGGRR; the target wants
// 0xAARRGGBB, so red and blue trade places.
inline std::uint32_t OpaqueWord(std::uint32_t rgba) {
  return 0xFF000000u | ((rgba & 0xFFu) << 16) | (rgba & 0xFF00u) | ((rgba >> 16) & 0xFFu);
}

// Rounded x * a / 255 without a division.
inline std::uint32_t Mul255(std::uint32_t x, std::uint32_t a) {
  std::uint32_t t = x * a + 128;
  return (t + (t >> 8)) >> 8;
}

inline std::uint32_t PremultipliedWord(std::uint32_t rgba) {
  std::uint32_t a = rgba >> 24;
  if (a == 255) return OpaqueWord(rgba);
  if (a == 0) return 0;
  std::uint32_t r = Mul255(rgba & 0xFFu, a);
  std::uint32_t g = Mul255((rgba >> 8) & 0xFFu, a);
  std::uint32_t b = Mul255((rgba >> 16) & 0xFFu, a);
  return (a << 24) | (r << 16) | (g << 8) | b;
}

inline const unsigned char* Row(const unsigned char* rgba, int width, int row) {
  return rgba + static_cast<std::size_t>(row) * static_cast<std::size_t>(width) * 4;
}

// Fetch(rowIndex, colIndex) -> 0xAARRGGBB word of one sample.
template <class Fetch>
void Resample(const KEPSampleAxis& cols, const KEPSampleAxis& rows, std::uint32_t* target,
              std::ptrdiff_t stride, Fetch fetch) {
  const int ns = cols.samples, nr = rows.samples;
  const int* ci = cols.index.data();
  const int* ri = rows.index.data();
  if (ns == 1 && nr == 1) {
    for (int j = rows.begin; j < rows.end; ++j) {
      std::uint32_t* out = target + (j - rows.begin) * stride - cols.begin;
      const int r = ri[j];
      for (int i = cols.begin; i < cols.end; ++i) out[i] = fetch(r, ci[i]);
    }
    return;
  }
  const std::uint32_t count = static_cast<std::uint32_t>(ns * nr);
  const std::uint32_t half = count / 2;
  for (int j = rows.begin; j < rows.end; ++j) {
    std::uint32_t* out = target + (j - rows.begin) * stride - cols.begin;
    for (int i = cols.begin; i < cols.end; ++i) {
      std::uint32_t a = 0, r = 0, g = 0, b = 0;
      for (int y = 0; y < nr; ++y) {
        const int row = ri[j * nr + y];
        for (int x = 0; x < ns; ++x) {
          std::uint32_t w = fetch(row, ci[i * ns + x]);
          a += w >> 24;
          r += (w >> 16) & 0xFFu;
          g += (w >> 8) & 0xFFu;
          b += w & 0xFFu;
        }
      }
      out[i] = ((a + half) / count) << 24 | ((r + half) / count) << 16 | ((g + half) / count) << 8 |
               ((b + half) / count);
    }
  }
}

}  // namespace

void KEPResamplePixels(const unsigned char* rgba, int width, const KEPSampleAxis& cols,
                       const KEPSampleAxis& rows, KEPPixelBlend blend, std::uint32_t* target,
                       std::ptrdiff_t stride) {
  if (!rgba || !target || width <= 0 || cols.Empty() || rows.Empty()) return;
  const int run = cols.end - cols.begin;
  if (std::endian::native == std::endian::little && blend == KEPPixelBlend::kOpaque &&
      cols.samples == 1 && rows.samples == 1 &&
      cols.index[cols.end - 1] - cols.index[cols.begin] == run - 1) {
    // Zoom 1: each target row is a straight run of a source row, a plain
    // loop the compiler vectorises.
    for (int j = rows.begin; j < rows.end; ++j) {
      const unsigned char* in = Row(rgba, width, rows.index[j]) + 4 * cols.index[cols.begin];
      std::uint32_t* out = target + (j - rows.begin) * stride;
      for (int i = 0; i < run; ++i) {
        std::uint32_t word;
        std::memcpy(&word, in + 4 * i, 4);
        out[i] = OpaqueWord(word);
      }
    }
    return;
  }
  if (blend == KEPPixelBlend::kOpaque) {
    Resample(cols, rows, target, stride,
             [&](int r, int c) { return OpaqueWord(Load(Row(rgba, width, r) + 4 * c)); });
  } else {
    Resample(cols, rows, target, stride,
             [&](int r, int c) { return PremultipliedWord(Load(Row(rgba, width, r) + 4 * c)); });
  }
}

void KEPResampleOverChecker(const unsigned char* rgba, int width, const KEPSampleAxis& cols,
                            const KEPSampleAxis& rows, std::uint32_t* target, std::ptrdiff_t stride,
                            int left, int top) {
  if (!rgba || !target || width <= 0 || cols.Empty() || rows.Empty()) return;
  KEPResamplePixels(rgba, width, cols, rows, KEPPixelBlend::kAlpha, target, stride);
  // Premultiplied words only need the checker's share added: (1 - alpha)
  // of the square's grey.
  constexpr std::uint32_t kLight = 204, kDark = 153;
  for (int j = rows.begin; j < rows.end; ++j) {
    std::uint32_t* out = target + (j - rows.begin) * stride - cols.begin;
    const bool oddRow = ((top + j) / kCheckerSquare) & 1;
    for (int i = cols.begin; i < cols.end; ++i) {
      const std::uint32_t w = out[i];
      const std::uint32_t a = w >> 24;
      if (a == 255) continue;
      const bool odd = oddRow != (((left + i) / kCheckerSquare) & 1);
      const std::uint32_t grey = Mul255(odd ? kDark : kLight, 255 - a);
      const std::uint32_t r = ((w >> 16) & 0xFFu) + grey, g = ((w >> 8) & 0xFFu) + grey,
                          b = (w & 0xFFu) + grey;
      out[i] = 0xFF000000u | std::min(r, 255u) << 16 | std::min(g, 255u) << 8 | std::min(b, 255u);
    }
  }
}

void KEPResampleAnaglyph(const unsigned char* left, const unsigned char* right, int width,
                         const KEPSampleAxis& cols, const KEPSampleAxis& rows,
                         std::uint32_t* target, std::ptrdiff_t stride) {
  if (!left || !right || !target || width <= 0 || cols.Empty() || rows.Empty()) return;
  Resample(cols, rows, target, stride, [&](int r, int c) {
    std::size_t at = (static_cast<std::size_t>(r) * width + c) * 4;
    return 0xFF000000u | static_cast<std::uint32_t>(left[at]) << 16 |
           static_cast<std::uint32_t>(right[at + 1]) << 8 | right[at + 2];
  });
}

void KEPHalvePixels(const unsigned char* source, int width, int height, unsigned char* destination,
                    int x0, int y0, int x1, int y1) {
  if (!source || !destination || width <= 0 || height <= 0) return;
  const int dw = (width + 1) / 2, dh = (height + 1) / 2;
  x0 = std::max(0, x0);
  y0 = std::max(0, y0);
  x1 = std::min(dw, x1);
  y1 = std::min(dh, y1);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  // Columns with two source pixels run in a plain loop the compiler can
  // vectorise; the odd last column, if any, is done apart.
  const int paired = std::min(x1, width / 2);
  for (int r = y0; r < y1; ++r) {
    const unsigned char* lower = source + static_cast<std::size_t>(2 * r) * rowBytes;
    const unsigned char* upper =
        source + static_cast<std::size_t>(std::min(2 * r + 1, height - 1)) * rowBytes;
    unsigned char* out = destination + static_cast<std::size_t>(r) * dw * 4;
    for (int i = 8 * x0, o = 4 * x0; o < 4 * paired; i += 8, o += 4) {
      for (int k = 0; k < 4; ++k) {
        out[o + k] = static_cast<unsigned char>(
            (lower[i + k] + lower[i + 4 + k] + upper[i + k] + upper[i + 4 + k] + 2) >> 2);
      }
    }
    for (int c = std::max(x0, paired); c < x1; ++c) {
      for (int k = 0; k < 4; ++k) {
        out[4 * c + k] =
            static_cast<unsigned char>((2 * lower[8 * c + k] + 2 * upper[8 * c + k] + 2) >> 2);
      }
    }
  }
}
