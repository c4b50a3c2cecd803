#include "colour/KEPRGBColor.h"

#include <algorithm>

#include "colour/KEPHLSColor.h"
#include "colour/KEPYIQColor.h"
#include "colour/detail/YIQMatrix.h"

void KEPRGBColor::ConvertToHLSColor(KEPHLSColor& out) const {
  const float r = _red, g = _green, b = _blue;
  const float max = std::max(r, std::max(g, b));
  const float min = std::min(r, std::min(g, b));
  const float l = (max + min) * 0.5f;
  if (max == min) {
    out.Set(-1.0f, l, 0.0f);
    return;
  }
  const float delta = max - min;
  const float s = l <= 0.5f ? delta / (max + min) : delta / (2.0f - max - min);
  // Red is tested first, then green: a tie for the maximum takes the first.
  float h;
  if (r == max) {
    h = (g - b) / delta;
  } else if (g == max) {
    h = 2.0f + (b - r) / delta;
  } else {
    h = 4.0f + (r - g) / delta;
  }
  h *= 60.0f;
  if (h < 0.0f) h += 360.0f;
  out.Set(h, l, s);
}

void KEPRGBColor::ConvertToYIQColor(KEPYIQColor& out) const {
  const auto [y, i, q] = kep_colour::Apply(kep_colour::kRgbToYiq, _red, _green, _blue);
  out.Set(y, i, q);
}
