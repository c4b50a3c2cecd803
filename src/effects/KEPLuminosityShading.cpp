#include "effects/KEPLuminosityShading.h"

KEPLuminosityShading::KEPLuminosityShading()
    : _first(0.0f, KEPRGBColor(0.0f, 0.0f, 0.0f), 1),
      _last(1.0f, KEPRGBColor(0.0f, 0.0f, 0.0f), 1),
      _sorted(0) {}

void KEPLuminosityShading::InitSortedShadingStep(KEPShadingStep* level1, KEPShadingStep* level2,
                                                 KEPShadingStep* level3) {
  _levels[0] = level1;
  _levels[1] = level2;
  _levels[2] = level3;
  SortShadingStep();
}

void KEPLuminosityShading::SortShadingStep() {
  _sorted.RemoveAll();
  _sorted.Append(&_first);
  for (KEPShadingStep* level : _levels) {
    if (level && level->GetActive()) _sorted.Append(level);
  }
  _sorted.Append(&_last);
  const int last = _sorted.Size();
  if (last <= 3) return;
  // Inner entries only (positions 2 .. last - 1); a strict comparison
  // keeps equal levels in their order.
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (int i = 2; i < last - 1; ++i) {
      KEPShadingStep* a = _sorted[i];
      KEPShadingStep* b = _sorted[i + 1];
      if (a->GetLevel() > b->GetLevel()) {
        _sorted.Set(i, b);
        _sorted.Set(i + 1, a);
        swapped = true;
      }
    }
  }
}

KEPRGBColor KEPLuminosityShading::GetColorShadeFromLuminosity(float value) const {
  for (int i = 1; i < _sorted.Size(); ++i) {
    const KEPShadingStep& low = *_sorted[i];
    const KEPShadingStep& high = *_sorted[i + 1];
    if (low.GetLevel() <= value && value <= high.GetLevel()) {
      const float d = high.GetLevel() - low.GetLevel();
      // Two steps at one level: the upper one's colour, except at the very
      // top, where the shading ends.
      const float t = d != 0.0f ? (value - low.GetLevel()) / d : (value == 1.0f ? 0.0f : 1.0f);
      const KEPRGBColor& a = low.GetColor();
      const KEPRGBColor& b = high.GetColor();
      return KEPRGBColor(t * b.GetRed() + (1.0f - t) * a.GetRed(),
                         t * b.GetGreen() + (1.0f - t) * a.GetGreen(),
                         t * b.GetBlue() + (1.0f - t) * a.GetBlue());
    }
  }
  return KEPRGBColor(0.0f, 0.0f, 0.0f);
}
