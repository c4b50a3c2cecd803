// The whole-buffer conversions against the single-colour classes, bit for
// bit, over every RGB value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "colour/KEPColourBuffers.h"
#include "colour/KEPHLSColor.h"
#include "colour/KEPRGBColor.h"
#include "colour/KEPYIQColor.h"

namespace {

constexpr std::size_t kAllColours = std::size_t{1} << 24;

// Every RGB value once, alpha varying too.
std::vector<unsigned char> AllColours() {
  std::vector<unsigned char> rgba(kAllColours * 4);
  for (std::size_t i = 0; i < kAllColours; ++i) {
    rgba[4 * i] = static_cast<unsigned char>(i);
    rgba[4 * i + 1] = static_cast<unsigned char>(i >> 8);
    rgba[4 * i + 2] = static_cast<unsigned char>(i >> 16);
    rgba[4 * i + 3] = static_cast<unsigned char>(i * 7);
  }
  return rgba;
}

bool SameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

unsigned char ReferenceByte(float v) {
  const float scaled = std::nearbyint(v * 255.0f);
  if (std::isnan(scaled) || scaled < 0.0f) return 0;
  return scaled > 255.0f ? 255 : static_cast<unsigned char>(scaled);
}

// HlsToRgba against KEPHLSColor for each pixel, alpha untouched.
void ExpectSameRgb(const std::vector<float>& hls, const std::vector<unsigned char>& before) {
  std::vector<unsigned char> rgba(before);
  const std::size_t pixels = hls.size() / 3;
  KEPColourBuffers::HlsToRgba(hls.data(), pixels, rgba.data());
  KEPRGBColor rgb(0, 0, 0);
  std::size_t failures = 0;
  for (std::size_t i = 0; i < pixels && failures < 5; ++i) {
    KEPHLSColor(hls[3 * i], hls[3 * i + 1], hls[3 * i + 2]).ConvertToRGBColor(rgb);
    const unsigned char want[4] = {ReferenceByte(rgb.GetRed()), ReferenceByte(rgb.GetGreen()),
                                   ReferenceByte(rgb.GetBlue()), before[4 * i + 3]};
    if (std::memcmp(want, &rgba[4 * i], 4) != 0) {
      ++failures;
      ADD_FAILURE() << "pixel " << i << " hls " << hls[3 * i] << " " << hls[3 * i + 1] << " "
                    << hls[3 * i + 2];
    }
  }
}

TEST(ColourBuffers, EveryRgbValueGivesTheClassesHlsAndComesBack) {
  const std::vector<unsigned char> rgba = AllColours();
  std::vector<float> hls(kAllColours * 3);
  KEPColourBuffers::RgbaToHls(rgba.data(), kAllColours, hls.data());
  KEPHLSColor want(0, 0, 0);
  std::size_t failures = 0;
  for (std::size_t i = 0; i < kAllColours && failures < 5; ++i) {
    KEPRGBColor(rgba[4 * i] / 255.0f, rgba[4 * i + 1] / 255.0f, rgba[4 * i + 2] / 255.0f)
        .ConvertToHLSColor(want);
    if (!SameBits(hls[3 * i], want.GetHue()) || !SameBits(hls[3 * i + 1], want.GetLightness()) ||
        !SameBits(hls[3 * i + 2], want.GetSaturation())) {
      ++failures;
      ADD_FAILURE() << "colour " << i;
    }
  }
  ExpectSameRgb(hls, std::vector<unsigned char>(rgba.size(), 0x5a));

  // And the round trip gives every colour back, alpha kept.
  std::vector<unsigned char> back(rgba.size(), 0);
  for (std::size_t i = 3; i < back.size(); i += 4) back[i] = rgba[i];
  KEPColourBuffers::HlsToRgba(hls.data(), kAllColours, back.data());
  EXPECT_TRUE(back == rgba);
}

TEST(ColourBuffers, HlsOutsideItsRangesStillMatchesTheClass) {
  // What a smoothing may hand back: hues past a turn or undefined with a
  // saturation, values off 0..1, and not-a-number.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> wide(-800.0f, 800.0f), unit(-0.25f, 1.25f);
  std::vector<float> hls;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float h : {-1.0f, 0.0f, 60.0f, 180.0f, 240.0f, 360.0f, 720.5f, -400.0f, nan}) {
    for (float l : {0.0f, 0.25f, 0.5f, 1.0f, 1.5f}) {
      for (float s : {0.0f, 0.5f, 1.0f, -0.5f}) hls.insert(hls.end(), {h, l, s});
    }
  }
  hls.insert(hls.end(), {0.0f, nan, 0.5f, 0.0f, 0.5f, nan});
  while (hls.size() < 3 * 1031) hls.insert(hls.end(), {wide(rng), unit(rng), unit(rng)});
  std::vector<unsigned char> before(hls.size() / 3 * 4);
  for (std::size_t i = 0; i < before.size(); ++i) before[i] = static_cast<unsigned char>(i * 13);
  ExpectSameRgb(hls, before);
}

TEST(ColourBuffers, LuminanceIsTheClassesY) {
  const std::vector<unsigned char> rgba = AllColours();
  std::vector<float> y(kAllColours), raw(kAllColours);
  KEPColourBuffers::RgbaToLuminance(rgba.data(), kAllColours, y.data());
  KEPColourBuffers::RgbaToByteLuminance(rgba.data(), kAllColours, raw.data());
  KEPYIQColor want(0, 0, 0), wantRaw(0, 0, 0);
  std::size_t failures = 0;
  // Every 7th colour: the tables are per channel, so this reaches each
  // byte value of each channel many times.
  for (std::size_t i = 0; i < kAllColours && failures < 5; i += 7) {
    const unsigned char* p = &rgba[4 * i];
    KEPRGBColor(p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f).ConvertToYIQColor(want);
    KEPRGBColor(p[0], p[1], p[2]).ConvertToYIQColor(wantRaw);
    if (!SameBits(y[i], want.GetY()) || !SameBits(raw[i], wantRaw.GetY())) {
      ++failures;
      ADD_FAILURE() << "colour " << i;
    }
  }
}

}  // namespace
