#include "effects/KEPGlowColour.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Hue of a colour whose extremes differ: red wins a tie for the maximum,
// then green.
float HueOf(float r, float g, float b, float max, float delta) {
  float h;
  if (r == max)
    h = (g - b) / delta;
  else if (g == max)
    h = 2.0f + (b - r) / delta;
  else
    h = 4.0f + (r - g) / delta;
  h *= 60.0f;
  if (h < 0.0f) h += 360.0f;
  return h;
}

}  // namespace

float ComputeRGBValue(float m1, float m2, float hue) {
  double h = std::fmod(static_cast<double>(hue), 360.0);
  if (h < 0.0) h += 360.0;
  if (h < 60.0) return static_cast<float>(m1 + (m2 - m1) * h / 60.0);
  if (h < 180.0) return m2;
  if (h < 240.0) return static_cast<float>(m1 + (m2 - m1) * (240.0 - h) / 60.0);
  return m1;
}

void HLStoRGB(float h, float l, float s, float* r, float* g, float* b) {
  l = std::clamp(l, 0.0f, 1.0f);
  if (s == 0.0f) {
    *r = *g = *b = l;
    return;
  }
  const float m2 = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
  const float m1 = 2.0f * l - m2;
  *r = ComputeRGBValue(m1, m2, h + 120.0f);
  *g = ComputeRGBValue(m1, m2, h);
  *b = ComputeRGBValue(m1, m2, h - 120.0f);
}

void RGBtoHLS(float r, float g, float b, float* h, float* l, float* s) {
  const float max = std::max({r, g, b});
  const float min = std::min({r, g, b});
  *l = (max + min) * 0.5f;
  if (max == min) {
    *h = 0.0f;
    *s = 0.0f;
    return;
  }
  const float delta = max - min;
  *s = *l <= 0.5f ? delta / (max + min) : delta / (2.0f - max - min);
  *h = HueOf(r, g, b, max, delta);
}

void HSVtoRGB(float h, float s, float v, float* r, float* g, float* b) {
  if (s == 0.0f) {
    *r = *g = *b = v;
    return;
  }
  const float hp = (h == 360.0f ? 0.0f : h) / 60.0f;
  const float fi = std::floor(hp);
  const float f = hp - fi;
  const float p = v * (1.0f - s);
  const float q = v * (1.0f - s * f);
  const float t = v * (1.0f - s * (1.0f - f));
  // Hues outside 0..360 fold back into the six bands.
  switch (((static_cast<int>(fi) % 6) + 6) % 6) {
    case 0:
      *r = v, *g = t, *b = p;
      break;
    case 1:
      *r = q, *g = v, *b = p;
      break;
    case 2:
      *r = p, *g = v, *b = t;
      break;
    case 3:
      *r = p, *g = q, *b = v;
      break;
    case 4:
      *r = t, *g = p, *b = v;
      break;
    default:
      *r = v, *g = p, *b = q;
      break;
  }
}

void RGBtoHSV(float r, float g, float b, float* h, float* s, float* v) {
  const float max = std::max({r, g, b});
  const float min = std::min({r, g, b});
  *v = max;
  *s = max == 0.0f ? 0.0f : (max - min) / max;
  *h = *s == 0.0f ? 0.0f : HueOf(r, g, b, max, max - min);
}

void DiscHueSaturation(int dx, int dy, double radius, float* hue, float* saturation) {
  *hue = 0.0f;
  *saturation = 0.0f;
  if (dx == 0 && dy == 0) return;
  const double distance = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
  double h;
  // The inverse sine is taken where it is well conditioned, the inverse
  // cosine elsewhere.
  if (std::abs(dx) > std::abs(dy)) {
    h = std::asin(dy / distance) * 360.0 / 6.2831853072;
    if (dx < 0) h = 180.0 - h;
    if (h < 0.0) h += 360.0;
  } else {
    h = std::acos(dx / distance) * 360.0 / 6.2831853072;
    if (dy < 0) h = 360.0 - h;
  }
  *hue = static_cast<float>(h);
  *saturation = std::min(static_cast<float>(distance / radius), 1.0f);
}
