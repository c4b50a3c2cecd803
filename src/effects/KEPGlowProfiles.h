#pragma once

#include "effects/KEPGlowParams.h"

// The glow's kernel and what it is built from: the radial lines (a star of
// 128 anti-aliased rays with random lengths), the bloom profile (the glare
// of an eye, integrated over each kernel pixel) and the flare profile (a
// coloured ring from spectral response tables). Maps and kernels are N x N
// cells, cell (x, y) at y * N + x; profiles and kernels hold RGB triples.

inline constexpr int kGlowLineCount = 128;

// Random lengths of the rays: value1 for the bloom's lines (mostly short),
// value2 for the flare's (mostly near 1).
struct KEPGlowLineValues {
  float value1[kGlowLineCount] = {};
  float value2[kGlowLineCount] = {};
};

// N = (size / 2) * 2 + 1.
int GlowKernelWidth(int size);
KEPGlowSizes GlowSizesForWidth(int N);

// The generator behind the line values: the standard library's rand(),
// reduced to 0..32767 (its whole range where RAND_MAX is 32767).
int GlowRand();
void DrawNewRadLineValues(KEPGlowLineValues& values);
// Weight of ray `line` in the star: with symmetry 1 the rays at multiples of
// 32 (0, 90, 180 and 270 degrees) dominate, with 0 all weigh 1.
float GetStarEffectValue(int line, float symmetry);

// map1 (bloom) and map2 (flare), both cleared first.
void CreateRadLines(float* map1, float* map2, int N, const KEPGlowLineValues& values,
                    float symmetry);
void TraceAntiAlLine(int x0, int y0, int x1, int y1, float intensity, float* map, int N);
// x-major variant (x0 <= x1, |slope| <= 1) and y-major variant (y0 <= y1).
void TraceAntiAlLineIncP1(int x0, int y0, int x1, int y1, float intensity, float* map, int N);
void TraceAntiAlLineIncP2(int x0, int y0, int x1, int y1, float intensity, float* map, int N);
void IntensifyPixel(int x, int y, float distance, float intensity, float* map, int N);

// The eye's glare at r kernel pixels from the centre, s degrees a pixel.
float GlareFunction(double r, float s);
float IntegrateBloom(float x0, float x1, float y0, float y1, int nx, int ny, float s);
void CalculateBloomFilterData(float* profile, int M, float s, const KEPGlowLightSource& light);

float Lambda_R_Conv(float lambda);
float Lambda_G_Conv(float lambda);
float Lambda_B_Conv(float lambda);
float Halo_f3(float lambda, float theta, float flareDiffusion);
void Integrate_Comp(float theta, float lambdaMin, float lambdaMax, int steps, float* rgb,
                    const KEPGlowLightSource& light, float flareDiffusion);
void CalculateFlareFilterData(float* profile, int M, float s, const KEPGlowLightSource& light,
                              float flareDiffusion);

// map2 (count cells) becomes 0.3 + 0.7 * map2: the flare never vanishes
// between rays.
void ScaleFlareLineMap(float* map2, int count);
// Radial-line factor of a kernel of width N.
float GlowLineFactor(float radialLines, int N);
// Either kernel may be null (not rebuilt). map2 is the scaled flare map.
void CalculateGlowKernels(const float* map1, const float* map2, int N, const float* bloomProfile,
                          const float* flareProfile, float lineFactor, float* bloomKernel,
                          float* flareKernel);
