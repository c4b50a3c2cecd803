#pragma once

#include <cstdint>
#include <vector>

#include "effects/KEPGlowParams.h"

// The glow of an area: the kernels added around every pixel of the
// selection colour (the accumulators), then combined with the source
// pixels. Buffers are 4 bytes a pixel (R, G, B, A), w x h, pixel (x, y) at
// y * w + x; accumulators and kernels hold RGB float triples.

// What a long computation tells its user. Called on the computing thread.
class KEPGlowProgress {
 public:
  virtual ~KEPGlowProgress() = default;
  virtual void Init(int minimum, int maximum, int step) = 0;
  virtual void StepIt() = 0;
  virtual void Advance(int steps) {
    for (int i = 0; i < steps; ++i) StepIt();
  }
  // A moment where the interface may catch up (and its Interrupt be
  // pressed).
  virtual void UpdateDisplay() = 0;
};

// How the accumulators are built: adding the kernel around each selected
// pixel (cost grows with their number), or one fast convolution (cost grows
// with the area); automatic takes the cheaper by estimate.
enum class KEPGlowPath { kAuto, kSplat, kFFT };

// Estimated costs in nanoseconds of processor time (all threads), measured
// by the benchmark program (bench/effects/glow_bench.cpp, counters
// ns_per_cell and ns_per_flop): adding one kernel value to an accumulator,
// and one floating-point operation of the convolution. Only their ratio
// decides; both paths use the threads alike.
inline constexpr double kGlowSplatNsPerCell = 0.40;
inline constexpr double kGlowFFTNsPerFlop = 0.21;

// splatCells: kernel cells the splat would add, summed over the selected
// pixels (after clipping), for one channel; channels: accumulator channels
// to build (3 per accumulator).
KEPGlowPath ChooseGlowPath(double splatCells, int w, int h, int N, int channels);

// The selected pixels in the splat's order (column by column, bottom to
// top): indices y * w + x of the pixels whose R, G, B equal the colour.
std::vector<std::int32_t> SelectedPixels(const unsigned char* src, int w, int h,
                                         const int selectionColour[3]);
// Kernel cells inside the area, summed over the pixels.
double SplatCells(const std::vector<std::int32_t>& pixels, int w, int h, int N);

// Adds the kernels that are given (either may be null) around each pixel
// into their accumulators, clipped to the area. progress (may be null)
// advances by the pixels done; stops between pixels once *interrupt is set.
// False when interrupted.
bool SplatGlow(const std::vector<std::int32_t>& pixels, int w, int h, const float* bloomKernel,
               const float* flareKernel, int N, float* bloomAcc, float* flareAcc,
               KEPGlowProgress* progress, const unsigned char* interrupt);
// The accumulators that are given (either may be null), by convolution.
// progress advances by `units` in all. False when interrupted.
bool ConvolveGlow(const std::vector<std::int32_t>& pixels, int w, int h, const float* bloomKernel,
                  const float* flareKernel, int N, float* bloomAcc, float* flareAcc,
                  KEPGlowProgress* progress, int units, const unsigned char* interrupt);
// Writes R, G, B of each pixel of dst from the accumulators and src.
void CombineGlow(const unsigned char* src, unsigned char* dst, int w, int h, const float* bloomAcc,
                 const float* flareAcc, const KEPGlowLightSource& light, const KEPGlowHalo& halo,
                 const int selectionColour[3]);

// Rebuilds the accumulators asked for (doBloom, doFlare), then combines,
// unless interrupted. progress may be null; interrupt may be null (never).
void CalculateGlowedImage(const unsigned char* src, unsigned char* dst, int w, int h,
                          const float* bloomKernel, const float* flareKernel, int N,
                          const KEPGlowLightSource& light, const KEPGlowHalo& halo,
                          const int selectionColour[3], float* bloomAcc, float* flareAcc,
                          short doBloom, short doFlare, KEPGlowProgress* progress,
                          const unsigned char* interrupt, KEPGlowPath path = KEPGlowPath::kAuto);

// Nearest-pixel copy of a w x h buffer at zw x zh: every pixel of the copy
// is a pixel of the source, so colours match exactly.
void ZoomNearest(const unsigned char* src, int w, int h, unsigned char* dst, int zw, int zh);
// Source pixel of a pixel of such a copy.
inline int ZoomSource(int zoomed, int size, int zoomedSize) {
  return static_cast<int>((zoomed + 0.5) * size / zoomedSize);
}
