#pragma once

#include "colour/KEPHLSColor.h"

// What the colour analysis looks for and how it marks it. Tolerances are
// fractions: of 180 degrees for the hue, of the whole 0..1 range for
// lightness and saturation.
struct KEPLightSettings {
  KEPHLSColor selected{0.0f, 0.5f, 1.0f};
  short hueTest = 1;
  short lightTest = 1;
  short saturationTest = 1;
  float huePrecision = 0.1f;
  float lightPrecision = 0.1f;
  float saturationPrecision = 0.1f;
  // Painted on the matching pixels.
  KEPHLSColor control{0.0f, 0.5f, 1.0f};
};
