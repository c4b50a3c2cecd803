#include "colour/KEPHLSColor.h"

#include <cstdio>

#include "colour/KEPRGBColor.h"
#include "colour/KEPYIQColor.h"

void KEPHLSColor::ConvertToRGBColor(KEPRGBColor& out) const {
  const float l = _lightness, s = _saturation;
  const float m2 = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
  const float m1 = 2.0f * l - m2;
  if (s == 0.0f) {
    // Grey: the hue is meaningless here, and may be the "undefined" -1.
    out.Set(l, l, l);
    return;
  }
  out.Set(ComputeRGBPrimary(m1, m2, _hue + 120.0f), ComputeRGBPrimary(m1, m2, _hue),
          ComputeRGBPrimary(m1, m2, _hue - 120.0f));
}

void KEPHLSColor::ConvertToYIQColor(KEPYIQColor&) const {
  std::fputs("HLS to YIQ to implement\n", stdout);
}

float KEPHLSColor::ComputeRGBPrimary(float m1, float m2, float hue) {
  if (hue > 360.0f) hue -= 360.0f;
  if (hue < 0.0f) hue += 360.0f;
  if (hue < 60.0f) return m1 + (m2 - m1) * hue / 60.0f;
  if (hue < 180.0f) return m2;
  if (hue < 240.0f) return m1 + (m2 - m1) * (240.0f - hue) / 60.0f;
  return m1;
}
