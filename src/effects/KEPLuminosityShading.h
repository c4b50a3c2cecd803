#pragma once

#include "colour/KEPListPtrKEPShadingStep.h"
#include "colour/KEPRGBColor.h"
#include "colour/KEPShadingStep.h"

// The colour shading of the luminosity analysis: black at level 0, the
// active user levels, black at level 1, in ascending order of level. The
// user levels belong to the caller, which keeps them alive while the
// shading points at them.
class KEPLuminosityShading {
 public:
  KEPLuminosityShading();
  KEPLuminosityShading(const KEPLuminosityShading&) = delete;
  KEPLuminosityShading& operator=(const KEPLuminosityShading&) = delete;

  // Takes the three user levels (any may be null) and sorts.
  void InitSortedShadingStep(KEPShadingStep* level1, KEPShadingStep* level2,
                             KEPShadingStep* level3);
  // Rebuilds the list from the levels' current positions and active flags:
  // first step, active levels in the order 1, 2, 3, last step; then the
  // inner steps are bubble-sorted by level, so that equal levels keep that
  // order.
  void SortShadingStep();
  const KEPListPtrKEPShadingStep& GetSortedSteps() const { return _sorted; }

  // The colour of a value of 0..1: between the first pair of neighbouring
  // steps whose levels enclose it, mixed by its position between them;
  // black when no pair does.
  KEPRGBColor GetColorShadeFromLuminosity(float value) const;

 private:
  KEPShadingStep _first;
  KEPShadingStep _last;
  KEPShadingStep* _levels[3] = {nullptr, nullptr, nullptr};
  KEPListPtrKEPShadingStep _sorted;
};
