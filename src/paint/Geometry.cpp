#include <algorithm>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

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

// 4 x 4 pixels from four rows (`sourceStride` bytes apart, negative to go
// down) to four rows of the destination with rows and columns exchanged:
// destination row k holds column k of the source rows in their order.
inline void Transpose4x4(const unsigned char* source, std::ptrdiff_t sourceStride,
                         unsigned char* destination, std::ptrdiff_t destinationStride) {
#if defined(__SSE2__)
  auto load = [](const unsigned char* p) {
    return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  };
  auto store = [](unsigned char* p, __m128 v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_castps_si128(v));
  };
  __m128 r0 = load(source), r1 = load(source + sourceStride);
  __m128 r2 = load(source + 2 * sourceStride), r3 = load(source + 3 * sourceStride);
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  store(destination, r0);
  store(destination + destinationStride, r1);
  store(destination + 2 * destinationStride, r2);
  store(destination + 3 * destinationStride, r3);
#else
  for (int k = 0; k < 4; ++k)
    for (int r = 0; r < 4; ++r)
      Store(destination + k * destinationStride + r * 4, Load(source + r * sourceStride + k * 4));
#endif
}

// Blocks of 64 x 64 source pixels: the block's rows and the destination rows
// it writes stay in the cache while it is done, where walking whole rows
// would miss the cache at every pixel of the other buffer.
constexpr int kTile = 64;

// The end of the run of bytes equal to bytes[from] that starts at `from`,
// at most `to`. Eight bytes are compared at a time: a rectangle's mask is
// one run per row.
int RunEnd(const unsigned char* bytes, int from, int to) {
  const unsigned char value = bytes[from];
  const std::uint64_t pattern = 0x0101010101010101ull * value;
  int at = from + 1;
  for (; at + 8 <= to; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + at, 8);
    if (word != pattern) break;
  }
  while (at < to && bytes[at] == value) ++at;
  return at;
}

// Source pixel (j, i) goes to (height - 1 - i, j) counter-clockwise and to
// (i, width - 1 - j) clockwise, in a height-wide destination.
template <bool kClockwise>
void Rotate(const unsigned char* src, int width, int height, unsigned char* dst) {
  const std::ptrdiff_t in = static_cast<std::ptrdiff_t>(width) * 4;
  const std::ptrdiff_t out = static_cast<std::ptrdiff_t>(height) * 4;
  auto one = [&](std::ptrdiff_t j, std::ptrdiff_t i) {
    const std::ptrdiff_t to =
        kClockwise ? (width - 1 - j) * out + i * 4 : j * out + (height - 1 - i) * 4;
    Store(dst + to, Load(src + i * in + j * 4));
  };
  const int rows4 = height - height % 4, columns4 = width - width % 4;
  for (int i0 = 0; i0 < rows4; i0 += kTile) {
    const int i1 = std::min(i0 + kTile, rows4);
    for (int j0 = 0; j0 < columns4; j0 += kTile) {
      const int j1 = std::min(j0 + kTile, columns4);
      for (std::ptrdiff_t i = i0; i < i1; i += 4)
        for (std::ptrdiff_t j = j0; j < j1; j += 4) {
          if constexpr (kClockwise) {
            // Rows i..i+3 become columns i..i+3, column k of them going to
            // destination row width - 1 - j - k.
            Transpose4x4(src + i * in + j * 4, in, dst + (width - 1 - j) * out + i * 4, -out);
          } else {
            // Rows i+3..i become columns height-4-i..height-1-i.
            Transpose4x4(src + (i + 3) * in + j * 4, -in, dst + j * out + (height - 4 - i) * 4,
                         out);
          }
        }
    }
  }
  for (int i = 0; i < rows4; ++i)
    for (int j = columns4; j < width; ++j) one(j, i);
  for (int i = rows4; i < height; ++i)
    for (int j = 0; j < width; ++j) one(j, i);
}

}  // namespace

bool RotateBitmapInto(std::span<const unsigned char> source, int width, int height, int code,
                      std::span<unsigned char> destination) {
  if (!Sized(source, width, height) || !Sized(destination, height, width)) return false;
  if (code == KEP_ROTATE_RIGHT)
    Rotate<true>(source.data(), width, height, destination.data());
  else
    Rotate<false>(source.data(), width, height, destination.data());
  return true;
}

std::vector<unsigned char> RotateBitmap(std::span<const unsigned char> source, int& width,
                                        int& height, int code, std::vector<unsigned char>&& reuse) {
  if (!Sized(source, width, height)) return {};
  const std::size_t bytes = PixelCount(width, height) * 4;
  std::vector<unsigned char> out;
  if (reuse.capacity() <= bytes * 2) out.swap(reuse);
  out.resize(bytes);
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
    int left = 0, right = width - 1;
#if defined(__SSE2__)
    // Four pixels from each end at a time, reversed within the register.
    for (; left + 7 <= right; left += 4, right -= 4) {
      unsigned char* a = row + left * 4;
      unsigned char* b = row + (right - 3) * 4;
      const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
      const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(a),
                       _mm_shuffle_epi32(vb, _MM_SHUFFLE(0, 1, 2, 3)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(b),
                       _mm_shuffle_epi32(va, _MM_SHUFFLE(0, 1, 2, 3)));
    }
#endif
    for (; left < right; ++left, --right) {
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
  const int regionHeight = outside ? h : mask.height;
  const int regionWidth = outside ? w : mask.width;
  // The result is written once, front to back: pixels taken are appended
  // from the image, the others as zeros, so no byte is written twice.
  std::vector<unsigned char> out;
  out.reserve(PixelCount(regionWidth, regionHeight) * 4);
  const std::size_t imageStride = static_cast<std::size_t>(w) * 4;

  // Columns [c0, c1) of image row `row`, taken or not.
  auto append = [&](int row, int c0, int c1, bool taken) {
    if (c0 >= c1) return;
    const std::size_t bytes = static_cast<std::size_t>(c1 - c0) * 4;
    if (!taken) {
      out.resize(out.size() + bytes, 0);
      return;
    }
    unsigned char* from = pixels.data() + row * imageStride + static_cast<std::size_t>(c0) * 4;
    out.insert(out.end(), from, from + bytes);
    if (clear) std::memset(from, 0, bytes);
  };
  for (int row = outside ? 0 : mask.y; row < (outside ? h : mask.y + mask.height); ++row) {
    if (row < mask.y || row >= mask.y + mask.height) {
      append(row, 0, w, true);  // only reached outside: a row the mask does not cover
      continue;
    }
    if (outside) append(row, 0, mask.x, true);
    // Mask bytes select their pixel when 0 (inside) for side 0 and when 1
    // (outside) for the other side.
    const unsigned char* m =
        mask.bytes.data() + static_cast<std::size_t>(row - mask.y) * mask.width;
    for (int c = 0; c < mask.width;) {
      const int end = RunEnd(m, c, mask.width);
      append(row, mask.x + c, mask.x + end, (m[c] != 0) == outside);
      c = end;
    }
    if (outside) append(row, mask.x + mask.width, w, true);
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
