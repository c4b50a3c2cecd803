#pragma once

#include <functional>
#include <vector>

#include "effects/KEPSelectionMask.h"

// The smoothing and blur kernels, on component arrays of three floats per
// pixel (see KEPComponentArrays) covering a rectangle of an image.
namespace KEPSmoothing {

struct Params {
  // Differences much larger than k survive a step; smaller ones are smoothed.
  float k = 0.05f;
  // 1 for each component that is smoothed.
  unsigned char components[3] = {0, 1, 0};
  // Component 0 is a hue in turns (0..1): differences go the short way
  // round, and a pixel without hue (negative) neither pulls its neighbours
  // nor moves.
  bool hue = false;
};

// Where the array's rectangle lies in its image, for the selection: a pixel
// that does not take part keeps its values (it still pulls its neighbours).
struct Area {
  int x = 0, y = 0;
  const KEPSelectionMask* mask = nullptr;
};

// The flux of one difference d: d * exp(-(|d| / k)^2), the exponential and
// the product in double, the flux in single precision.
float Flux(float difference, float k);
// The fluxes of `count` differences, the same floats as Flux gives.
void FluxRow(const float* differences, float* fluxes, int count, float k);

// One diffusion step (conductance exp(-(|d| / k)^2), time step 0.25, four
// neighbours, a neighbour outside the rectangle counting as no difference)
// for rows [first, last) of a width x height array: reads `in`, writes those
// rows of `out`. Each new value is I + 0.25 * (fN + fS + fE + fW) in double,
// stored as float. Rows are shared among threads; the result is the same.
void GaussRows(const float* in, float* out, int width, int height, int first, int last,
               const Params& params, const Area& area);

// One whole step as a new array. Before each band of rows the interrupt
// flag, when given, is read: once it is set the step is given up and the
// result is empty. `rowsDone` hears how many rows each band completed.
std::vector<float> Gauss(const float* in, int width, int height, const Params& params,
                         const Area& area, const volatile unsigned char* interrupt = nullptr,
                         const std::function<void(int)>& rowsDone = {});

// Blur: each pixel that takes part gets the mean lightness (component 1) of
// the pixels of its n x n neighbourhood that lie in the rectangle and take
// part themselves; hue, saturation and the other pixels are copied.
std::vector<float> BlurLightness(const float* hls, int width, int height, int n, const Area& area);

}  // namespace KEPSmoothing
