#pragma once

#include <array>

#include "colour/KEPShadingStep.h"

// How the luminosity analysis shows a picture: luminosity or local contrast
// cut into `frequency` bands, each band coloured through the shading of up
// to three colour levels (whose colours are fixed: red, green, blue; the
// user moves them and switches them on and off).
struct KEPLuminositySettings {
  enum : int { TYPE_LUMINOSITY = 0, TYPE_CONTRAST = 1 };
  static constexpr int kMinFrequency = 4;
  static constexpr int kMaxFrequency = 255;

  int type = TYPE_LUMINOSITY;
  // Outlines between bands (luminosity only).
  short outlines = 0;
  int frequency = 20;
  std::array<KEPShadingStep, 3> levels{
      KEPShadingStep(1.0f, KEPRGBColor(1.0f, 0.0f, 0.0f), 1),
      KEPShadingStep(0.66f, KEPRGBColor(0.0f, 1.0f, 0.0f), 1),
      KEPShadingStep(0.33f, KEPRGBColor(0.0f, 0.0f, 1.0f), 1),
  };
};
