#include "colour/KEPColourBuffers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "colour/detail/YIQMatrix.h"

// The pixel loops below are written as plain loops over blocks of separate
// channel arrays (every branch a select), which the compiler vectorises.
// They must give bit for bit what the single-colour classes give, so the
// operations are the classes' own, in the same order: a division stays a
// division (never a multiplication by 1/255), and no multiply-add may be
// fused (this file is compiled with -ffp-contract=off, and the wide clone
// below asks for AVX2 without FMA).
static_assert(std::endian::native == std::endian::little,
              "pixels are read as 32-bit words, red in the low byte");

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KEP_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KEP_VECTOR_CLONES
#endif

namespace {

// Pixels per block: the channel arrays of a block stay in the first-level
// cache.
constexpr std::size_t kBlock = 512;

// Nearest byte to v * 255, ties to even as nearbyint in the default
// rounding mode. Clamping first leaves the result unchanged (0 and 255 are
// whole) and keeps the value below 2^23, where adding and removing 2^23
// rounds it to a whole number; a value that is not a number gives 0.
inline std::uint32_t ToByte(float v) {
  float x = v * 255.0f;
  x = x > 0.0f ? x : 0.0f;
  x = x < 255.0f ? x : 255.0f;
  x = (x + 8388608.0f) - 8388608.0f;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(x));
}

// KEPHLSColor::ComputeRGBPrimary without branches.
inline float Primary(float m1, float m2, float hue) {
  hue = hue > 360.0f ? hue - 360.0f : hue;
  hue = hue < 0.0f ? hue + 360.0f : hue;
  const float rising = m1 + (m2 - m1) * hue / 60.0f;
  const float falling = m1 + (m2 - m1) * (240.0f - hue) / 60.0f;
  float v = hue < 240.0f ? falling : m1;
  v = hue < 180.0f ? m2 : v;
  return hue < 60.0f ? rising : v;
}

// Y of YIQ per channel value, in double as KEPRGBColor forms it: the
// channel's share for each byte value, from v / 255 (or v itself).
struct LuminanceTable {
  explicit LuminanceTable(bool divided) {
    for (int c = 0; c < 3; ++c) {
      for (int v = 0; v < 256; ++v) {
        const float channel = divided ? static_cast<float>(v) / 255.0f : static_cast<float>(v);
        share[c][v] = kep_colour::kRgbToYiq[0][c] * static_cast<double>(channel);
      }
    }
  }
  double share[3][256];
};

void Luminance(const LuminanceTable& table, const unsigned char* rgba, std::size_t pixels,
               float* y) {
  for (std::size_t i = 0; i < pixels; ++i, rgba += 4) {
    // The sum in the order of the matrix product: (R + G) + B.
    y[i] = static_cast<float>(table.share[0][rgba[0]] + table.share[1][rgba[1]] +
                              table.share[2][rgba[2]]);
  }
}

}  // namespace

namespace KEPColourBuffers {

KEP_VECTOR_CLONES
void RgbaToHls(const unsigned char* rgba, std::size_t pixels, float* hls) {
  alignas(64) std::uint32_t word[kBlock];
  alignas(64) float hue[kBlock], light[kBlock], sat[kBlock];
  for (std::size_t base = 0; base < pixels; base += kBlock) {
    const std::size_t n = std::min(kBlock, pixels - base);
    std::memcpy(word, rgba + 4 * base, 4 * n);
    for (std::size_t i = 0; i < n; ++i) {
      const float r = static_cast<float>(word[i] & 0xffu) / 255.0f;
      const float g = static_cast<float>((word[i] >> 8) & 0xffu) / 255.0f;
      const float b = static_cast<float>((word[i] >> 16) & 0xffu) / 255.0f;
      const float max = std::max(r, std::max(g, b));
      const float min = std::min(r, std::min(g, b));
      const float l = (max + min) * 0.5f;
      const float delta = max - min;
      const float s = delta / (l <= 0.5f ? max + min : 2.0f - max - min);
      // Red first, then green: a tie for the maximum takes the first.
      const bool redMax = r == max, greenMax = g == max;
      const float q = (redMax ? g - b : greenMax ? b - r : r - g) / delta;
      float h = redMax ? q : (greenMax ? 2.0f : 4.0f) + q;
      h *= 60.0f;
      h = h < 0.0f ? h + 360.0f : h;
      // A grey divided by a zero delta above; its values are replaced here.
      const bool grey = max == min;
      hue[i] = grey ? -1.0f : h;
      light[i] = l;
      sat[i] = grey ? 0.0f : s;
    }
    float* out = hls + 3 * base;
    for (std::size_t i = 0; i < n; ++i) {
      out[3 * i] = hue[i];
      out[3 * i + 1] = light[i];
      out[3 * i + 2] = sat[i];
    }
  }
}

KEP_VECTOR_CLONES
void HlsToRgba(const float* hls, std::size_t pixels, unsigned char* rgba) {
  alignas(64) float hue[kBlock], light[kBlock], sat[kBlock];
  alignas(64) std::uint32_t word[kBlock];
  for (std::size_t base = 0; base < pixels; base += kBlock) {
    const std::size_t n = std::min(kBlock, pixels - base);
    const float* in = hls + 3 * base;
    for (std::size_t i = 0; i < n; ++i) {
      hue[i] = in[3 * i];
      light[i] = in[3 * i + 1];
      sat[i] = in[3 * i + 2];
    }
    std::memcpy(word, rgba + 4 * base, 4 * n);
    for (std::size_t i = 0; i < n; ++i) {
      const float h = hue[i], l = light[i], s = sat[i];
      const float m2 = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
      const float m1 = 2.0f * l - m2;
      // Without saturation the colour is the grey l, whatever the hue says.
      const bool grey = s == 0.0f;
      const float r = grey ? l : Primary(m1, m2, h + 120.0f);
      const float g = grey ? l : Primary(m1, m2, h);
      const float b = grey ? l : Primary(m1, m2, h - 120.0f);
      word[i] = (word[i] & 0xff000000u) | ToByte(r) | (ToByte(g) << 8) | (ToByte(b) << 16);
    }
    std::memcpy(rgba + 4 * base, word, 4 * n);
  }
}

void RgbaToLuminance(const unsigned char* rgba, std::size_t pixels, float* y) {
  static const LuminanceTable table(true);
  Luminance(table, rgba, pixels, y);
}

void RgbaToByteLuminance(const unsigned char* rgba, std::size_t pixels, float* y) {
  static const LuminanceTable table(false);
  Luminance(table, rgba, pixels, y);
}

}  // namespace KEPColourBuffers
