#include "effects/KEPLuminosityAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "colour/KEPColourBuffers.h"
#include "effects/KEPAnalysisArea.h"
#include "effects/KEPLuminosityShading.h"

namespace {

// The band of a value, in double as the sampling forms it (n * v in
// float first); may fall outside 0 .. n - 1 for a value off 0..1.
double Band(float value, int frequency) {
  return std::floor(static_cast<double>(static_cast<float>(frequency) * value) * 0.99999999);
}

void ToBytes(const KEPRGBColor& colour, unsigned char* out) {
  out[0] = static_cast<unsigned char>(static_cast<int>(colour.GetRed() * 255.0));
  out[1] = static_cast<unsigned char>(static_cast<int>(colour.GetGreen() * 255.0));
  out[2] = static_cast<unsigned char>(static_cast<int>(colour.GetBlue() * 255.0));
}

// The colour of every band, worked out once per analysis: a value's colour
// depends only on its band.
class BandColours {
 public:
  BandColours(const KEPLuminosityShading& shading, int frequency)
      : _shading(shading), _frequency(std::max(frequency, 1)), _bytes(3 * _frequency) {
    for (int k = 0; k < _frequency; ++k) {
      const float centre = static_cast<float>((k + 0.5) / _frequency);
      ToBytes(shading.GetColorShadeFromLuminosity(centre), &_bytes[3 * k]);
    }
  }
  void Paint(float value, unsigned char* out) const {
    const double band = Band(value, _frequency);
    if (band >= 0.0 && band < _frequency) {
      std::memcpy(out, &_bytes[3 * static_cast<int>(band)], 3);
    } else {
      const float sampled = KEPLuminosityAnalysis::GetSampledLuminosity(value, _frequency);
      ToBytes(_shading.GetColorShadeFromLuminosity(sampled), out);
    }
  }

 private:
  const KEPLuminosityShading& _shading;
  int _frequency;
  std::vector<unsigned char> _bytes;
};

struct Range {
  float smallest = 1.0f, largest = 0.0f;
  void Add(float v) {
    if (v != 0.0f && v < smallest)
      smallest = v;
    else if (v > largest)
      largest = v;
  }
};

void Luminosity(const unsigned char* src, unsigned char* dst, int width,
                const KEPAnalysisArea& area, const BandColours& colours, Range& range) {
  std::vector<float> y(area.GetWidth());
  for (int row = 0; row < area.GetHeight(); ++row) {
    const std::size_t start = static_cast<std::size_t>(area.GetY() + row) * width + area.GetX();
    KEPColourBuffers::RgbaToLuminance(src + start * 4, area.GetWidth(), y.data());
    unsigned char* out = dst + start * 4;
    for (int column = 0; column < area.GetWidth(); ++column, out += 4) {
      if (!area.IsExamined(column, row)) continue;
      range.Add(y[column]);
      colours.Paint(y[column], out);
    }
  }
}

// Smallest and largest of each run of three neighbours along a row:
// entry c for the values c - 1, c, c + 1 (c from 1 to w - 2).
void RowExtremes(const float* values, int w, float* smallest, float* largest) {
  for (int c = 1; c < w - 1; ++c) {
    smallest[c] = std::min(std::min(values[c - 1], values[c]), values[c + 1]);
    largest[c] = std::max(std::max(values[c - 1], values[c]), values[c + 1]);
  }
}

void Contrast(const unsigned char* src, unsigned char* dst, int width, const KEPAnalysisArea& area,
              const BandColours& colours, Range& range) {
  const int w = area.GetWidth(), h = area.GetHeight();
  if (w < 3 || h < 3) return;
  // Y of the raw channel values, one area row at a time, and the extremes
  // of the three rows around the row analysed: the 3 x 3 smallest and
  // largest taken in two passes are those of the nine values.
  std::vector<float> y(w), contrast(w);
  std::vector<float> lows(3 * static_cast<std::size_t>(w)), highs(lows.size());
  auto load = [&](int row) {
    const std::size_t start = static_cast<std::size_t>(area.GetY() + row) * width + area.GetX();
    KEPColourBuffers::RgbaToByteLuminance(src + start * 4, w, y.data());
    const std::size_t slot = static_cast<std::size_t>(row % 3) * w;
    RowExtremes(y.data(), w, &lows[slot], &highs[slot]);
  };
  load(0);
  load(1);
  for (int row = 1; row < h - 1; ++row) {
    load(row + 1);
    const float* l0 = &lows[0];
    const float* l1 = &lows[w];
    const float* l2 = &lows[2 * static_cast<std::size_t>(w)];
    const float* h0 = &highs[0];
    const float* h1 = &highs[w];
    const float* h2 = &highs[2 * static_cast<std::size_t>(w)];
    for (int c = 1; c < w - 1; ++c) {
      const float mn = std::min(std::min(l0[c], l1[c]), l2[c]);
      const float mx = std::max(std::max(h0[c], h1[c]), h2[c]);
      const float sum = mx + mn;
      contrast[c] = sum > 0.0f ? (mx - mn) / sum : 0.0f;
    }
    unsigned char* out =
        dst + (static_cast<std::size_t>(area.GetY() + row) * width + area.GetX()) * 4;
    for (int c = 1; c < w - 1; ++c) {
      if (!area.IsExamined(c, row)) continue;
      range.Add(contrast[c]);
      colours.Paint(contrast[c], out + 4 * c);
    }
  }
}

// From the top row down and left to right, so that the right and lower
// neighbours a pixel is compared with still hold their band colour.
void Outlines(unsigned char* dst, int width, const KEPAnalysisArea& area) {
  const int w = area.GetWidth(), h = area.GetHeight();
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int row = h - 2; row >= 1; --row) {
    unsigned char* p =
        dst + (static_cast<std::size_t>(area.GetY() + row) * width + area.GetX()) * 4;
    for (int column = 1; column < w - 1; ++column) {
      unsigned char* pixel = p + 4 * column;
      if (!area.IsExamined(column, row)) continue;
      if (std::memcmp(pixel, pixel + 4, 3) != 0 || std::memcmp(pixel, pixel - stride, 3) != 0) {
        const unsigned char grey = KEPLuminosityAnalysis::OutlineGrey(pixel);
        pixel[0] = pixel[1] = pixel[2] = grey;
      }
    }
  }
}

float RawLuminance(const unsigned char* pixels, int width, int x, int y) {
  float value = 0.0f;
  KEPColourBuffers::RgbaToByteLuminance(pixels + (static_cast<std::size_t>(y) * width + x) * 4, 1,
                                        &value);
  return value;
}

}  // namespace

namespace KEPLuminosityAnalysis {

float GetSampledLuminosity(float value, int frequency) {
  return static_cast<float>((Band(value, frequency) + 0.5) / frequency);
}

float GetContrastFrom3x3YMatrix(const float* nine) {
  const auto [mn, mx] = std::minmax_element(nine, nine + 9);
  const float sum = *mx + *mn;
  return sum > 0.0f ? (*mx - *mn) / sum : 0.0f;
}

unsigned char OutlineGrey(const unsigned char* rgb) {
  float y = 0.0f;
  KEPColourBuffers::RgbaToLuminance(rgb, 1, &y);
  const float grey = std::clamp((1.0f - y) * 255.0f + 0.5f, 0.0f, 255.0f);
  return static_cast<unsigned char>(grey);
}

void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                  const KEPAnalysisArea& area, const KEPLuminositySettings& settings,
                  const KEPLuminosityShading& shading, float& smallest, float& largest) {
  Range range;
  if (width > 0 && height > 0) {
    if (src != dst) std::memcpy(dst, src, static_cast<std::size_t>(width) * height * 4);
    if (!area.IsEmpty()) {
      const BandColours colours(shading, settings.frequency);
      if (settings.type == KEPLuminositySettings::TYPE_CONTRAST) {
        Contrast(src, dst, width, area, colours, range);
      } else {
        Luminosity(src, dst, width, area, colours, range);
        if (settings.outlines && area.GetWidth() >= 3 && area.GetHeight() >= 3)
          Outlines(dst, width, area);
      }
    }
  }
  smallest = range.smallest;
  largest = range.largest;
}

std::vector<unsigned char> ShadingBar(const KEPLuminositySettings& settings,
                                      const KEPLuminosityShading& shading) {
  std::vector<unsigned char> bar(kBarWidth * kBarHeight * 4, 0);
  for (int row = 0; row < kBarHeight; ++row) {
    unsigned char colour[3] = {255, 255, 255};
    const bool marker = std::any_of(
        settings.levels.begin(), settings.levels.end(), [row](const KEPShadingStep& level) {
          return level.GetActive() && std::floor(level.GetLevel() * 127.0f) == row;
        });
    if (!marker) {
      const float value = static_cast<float>(row / 127.0);
      ToBytes(shading.GetColorShadeFromLuminosity(GetSampledLuminosity(value, settings.frequency)),
              colour);
    }
    for (int column = 0; column < kBarWidth; ++column)
      std::memcpy(&bar[(static_cast<std::size_t>(row) * kBarWidth + column) * 4], colour, 3);
  }
  return bar;
}

float LuminosityAt(const unsigned char* pixels, int width, int, int x, int y) {
  float value = 0.0f;
  KEPColourBuffers::RgbaToLuminance(pixels + (static_cast<std::size_t>(y) * width + x) * 4, 1,
                                    &value);
  return value * 100.0f;
}

float ContrastAt(const unsigned char* pixels, int width, int height, int x, int y) {
  float nine[9];
  int k = 0;
  for (int dy = 1; dy >= -1; --dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      nine[k++] = RawLuminance(pixels, width, std::clamp(x + dx, 0, width - 1),
                               std::clamp(y + dy, 0, height - 1));
    }
  }
  return GetContrastFrom3x3YMatrix(nine) * 100.0f;
}

}  // namespace KEPLuminosityAnalysis
