#pragma once

#include <vector>

#include "effects/KEPLuminositySettings.h"

class KEPAnalysisArea;
class KEPLuminosityShading;

// The luminosity analysis on pixel buffers (4 bytes a pixel, rows bottom
// first): each examined pixel takes the colour of its band of luminosity
// (the Y of YIQ) or of local contrast.
namespace KEPLuminosityAnalysis {

// The shading bar: 32 columns by 128 rows, row 0 (the bottom) for value 0.
constexpr int kBarWidth = 32;
constexpr int kBarHeight = 128;

// The centre of the band of `value` among `frequency` bands of 0..1; 1
// falls in the last band.
float GetSampledLuminosity(float value, int frequency);
// (largest - smallest) / (largest + smallest) of nine values, 0 when that
// sum is not positive.
float GetContrastFrom3x3YMatrix(const float* nine);
// The grey that outlines a pixel of this colour: darker as the colour is
// brighter.
unsigned char OutlineGrey(const unsigned char* rgb);

// Copies src to dst (both width x height), then gives each examined pixel
// of the area the shading colour of its band (alpha kept). Contrast leaves
// the area's edge pixels as they are (their neighbourhood is incomplete);
// outlines, for luminosity, mark the edge-free pixels that differ from
// their right or lower neighbour. smallest and largest receive the range of
// the values met (starting from 1 and 0; a value that lowers the smallest
// does not also count for the largest, and a value of 0 only for the
// largest).
void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                  const KEPAnalysisArea& area, const KEPLuminositySettings& settings,
                  const KEPLuminosityShading& shading, float& smallest, float& largest);

// The shading bar's pixels (alpha 0): each row the colour of its band, the
// rows of the active levels white.
std::vector<unsigned char> ShadingBar(const KEPLuminositySettings& settings,
                                      const KEPLuminosityShading& shading);

// In percent, at pixel (x, y) inside the picture: the luminosity of the
// pixel, and the contrast of its 3 x 3 neighbourhood (the picture's edge
// repeated beyond it).
float LuminosityAt(const unsigned char* pixels, int width, int height, int x, int y);
float ContrastAt(const unsigned char* pixels, int width, int height, int x, int y);

}  // namespace KEPLuminosityAnalysis
