#include <algorithm>
#include <cstdint>
#include <cstring>

#include "paint/KEPGeometry.h"

namespace {

std::size_t PixelCount(int width, int height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

bool Sized(std::span<const unsigned char> buffer, int width, int height) {
  return width > 0 && height > 0 &&
         buffer.size() / 4 / static_cast<std::size_t>(width) >= static_cast<std::size_t>(height);
}

// Pixels move as 4-byte words; memcpy keeps the byte buffers free of
// aliasing trouble and compiles to single loads and stores.
inline std::uint32_t Load(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store(unsigned char* p, std::uint32_t v) {
  std::memcpy(p, &v, 4);
}

// Square tiles of the output: one tile's source columns stay in the cache
// while its rows are written, which is what a quarter turn lacks when it
// walks whole rows (every source read would then be a cache miss).
constexpr int kTile = 64;

}  // namespace

bool RotateBitmapInto(std::span<const unsigned char> source, int width, int height, int code,
                      std::span<unsigned char> destination) {
  if (!Sized(source, width, height) || !Sized(destination, height, width)) return false;
  const int outWidth = height, outHeight = width;
  const bool clockwise = code == KEP_ROTATE_RIGHT;
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int y0 = 0; y0 < outHeight; y0 += kTile) {
    const int y1 = std::min(y0 + kTile, outHeight);
    for (int x0 = 0; x0 < outWidth; x0 += kTile) {
      const int x1 = std::min(x0 + kTile, outWidth);
      for (int y = y0; y < y1; ++y) {
        unsigned char* out = destination.data() + (static_cast<std::size_t>(y) * outWidth) * 4;
        if (clockwise) {
          // Source column width - 1 - y, rows x upward.
          const unsigned char* in = source.data() + static_cast<std::size_t>(width - 1 - y) * 4;
          for (int x = x0; x < x1; ++x) Store(out + x * 4, Load(in + x * stride));
        } else {
          // Source column y, rows height - 1 - x downward.
          const unsigned char* in = source.data() + static_cast<std::size_t>(y) * 4;
          for (int x = x0; x < x1; ++x)
            Store(out + x * 4, Load(in + static_cast<std::size_t>(height - 1 - x) * stride));
        }
      }
    }
  }
  return true;
}

std::vector<unsigned char> RotateBitmap(std::span<const unsigned char> source, int& width,
                                        int& height, int code) {
  if (!Sized(source, width, height)) return {};
  std::vector<unsigned char> out(PixelCount(width, height) * 4);
  RotateBitmapInto(source, width, height, code, out);
  std::swap(width, height);
  return out;
}

std::vector<unsigned char> FlipBitmap(std::span<const unsigned char> source, int width, int height,
                                      int code) {
  if (!Sized(source, width, height)) return {};
  std::vector<unsigned char> out(source.begin(), source.begin() + PixelCount(width, height) * 4);
  FlipBitmapInPlace(out, width, height, code);
  return out;
}

void FlipBitmapInPlace(std::span<unsigned char> pixels, int width, int height, int code) {
  if (!Sized(pixels, width, height)) return;
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  if (code == KEP_FLIP_VERTICAL) {
    for (int top = height - 1, bottom = 0; bottom < top; ++bottom, --top)
      std::swap_ranges(pixels.data() + bottom * stride, pixels.data() + bottom * stride + stride,
                       pixels.data() + top * stride);
    return;
  }
  for (int r = 0; r < height; ++r) {
    unsigned char* row = pixels.data() + r * stride;
    for (int left = 0, right = width - 1; left < right; ++left, --right) {
      const std::uint32_t a = Load(row + left * 4);
      Store(row + left * 4, Load(row + right * 4));
      Store(row + right * 4, a);
    }
  }
}

std::vector<unsigned char> ExtractMaskedPixels(std::span<unsigned char> pixels, int& width,
                                               int& height, const KEPSelectionMask& mask, int side,
                                               bool clear) {
  const int w = width, h = height;
  if (!Sized(pixels, w, h) || mask.width <= 0 || mask.height <= 0 || mask.x < 0 || mask.y < 0 ||
      mask.x > w - mask.width || mask.y > h - mask.height ||
      mask.bytes.size() < PixelCount(mask.width, mask.height)) {
    return {};
  }
  const bool outside = side != 0;
  const int regionX = outside ? 0 : mask.x, regionY = outside ? 0 : mask.y;
  const int regionWidth = outside ? w : mask.width, regionHeight = outside ? h : mask.height;
  std::vector<unsigned char> out(PixelCount(regionWidth, regionHeight) * 4, 0);
  const std::size_t imageStride = static_cast<std::size_t>(w) * 4;
  const std::size_t outStride = static_cast<std::size_t>(regionWidth) * 4;

  // Columns [c0, c1) of image row `row` are taken.
  auto take = [&](int row, int c0, int c1) {
    if (c0 >= c1) return;
    unsigned char* from = pixels.data() + row * imageStride + static_cast<std::size_t>(c0) * 4;
    std::memcpy(
        out.data() + (row - regionY) * outStride + static_cast<std::size_t>(c0 - regionX) * 4, from,
        static_cast<std::size_t>(c1 - c0) * 4);
    if (clear) std::memset(from, 0, static_cast<std::size_t>(c1 - c0) * 4);
  };
  for (int row = regionY; row < regionY + regionHeight; ++row) {
    if (row < mask.y || row >= mask.y + mask.height) {
      take(row, 0, w);  // only reached outside: a row the mask does not cover
      continue;
    }
    if (outside) take(row, 0, mask.x);
    // Runs of mask bytes that select the pixel: 0 inside for side 0, 1
    // outside for the other side.
    const unsigned char* m =
        mask.bytes.data() + static_cast<std::size_t>(row - mask.y) * mask.width;
    for (int c = 0; c < mask.width;) {
      const bool selected = (m[c] != 0) == outside;
      int end = c + 1;
      while (end < mask.width && ((m[end] != 0) == outside) == selected) ++end;
      if (selected) take(row, mask.x + c, mask.x + end);
      c = end;
    }
    if (outside) take(row, mask.x + mask.width, w);
  }
  width = regionWidth;
  height = regionHeight;
  return out;
}

long long IncrustPixels(std::span<unsigned char> image, int width, int height,
                        std::span<const unsigned char> object, int objectWidth, int objectHeight,
                        int x, int y) {
  if (!Sized(image, width, height) || !Sized(object, objectWidth, objectHeight)) return 0;
  // The overlap, in object pixels; 64-bit so that far positions cannot wrap.
  const long long c0 = std::max<long long>(0, -static_cast<long long>(x));
  const long long r0 = std::max<long long>(0, -static_cast<long long>(y));
  const long long c1 = std::min<long long>(objectWidth, static_cast<long long>(width) - x);
  const long long r1 = std::min<long long>(objectHeight, static_cast<long long>(height) - y);
  if (c0 >= c1 || r0 >= r1) return 0;
  for (long long r = r0; r < r1; ++r) {
    const unsigned char* from = object.data() + (r * objectWidth + c0) * 4;
    unsigned char* to = image.data() + ((r + y) * width + c0 + x) * 4;
    for (long long c = c0; c < c1; ++c, from += 4, to += 4) {
      const std::uint32_t v = Load(from);
      if (v != 0) Store(to, v);
    }
  }
  return (c1 - c0) * (r1 - r0);
}

std::vector<unsigned char> IncrustPreview(std::span<const unsigned char> object) {
  std::vector<unsigned char> shown(object.begin(), object.begin() + object.size() / 4 * 4);
  for (std::size_t at = 0; at < shown.size(); at += 4) {
    if (Load(shown.data() + at) != 0) shown[at + 3] = 255;
  }
  return shown;
}
