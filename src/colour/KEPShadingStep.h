#pragma once

#include "colour/KEPRGBColor.h"

// One step of a colour shading: a luminosity level (0.0..1.0), the colour
// shown at that level, and whether the step takes part in the shading.
class KEPShadingStep {
 public:
  KEPShadingStep(float level, const KEPRGBColor& colour, short active)
      : _level(level), _color(colour), _active(active) {}

  float GetLevel() const { return _level; }
  void SetLevel(float level) { _level = level; }
  const KEPRGBColor& GetColor() const { return _color; }
  void SetColor(const KEPRGBColor& colour) { _color = colour; }
  short GetActive() const { return _active; }
  void SetActive(short active) { _active = active; }

 private:
  float _level;
  KEPRGBColor _color;
  short _active;
};
