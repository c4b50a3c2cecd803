#pragma once

#include "effects/KEPLightSettings.h"

class KEPAnalysisArea;

// The colour analysis on pixel buffers (4 bytes a pixel, rows bottom
// first): which pixels lie within the tolerances of a colour, compared in
// hue, lightness and saturation.
namespace KEPLightAnalysis {

// Circular distance in degrees between two hues of 0..360, each first
// brought into -180..180.
float HueDistance(float hue1, float hue2);
// Whether a pixel's HLS passes every test that is switched on (hue, then
// lightness, then saturation). An undefined hue (-1) matches only an
// undefined hue.
bool Matches(const KEPLightSettings& settings, float hue, float lightness, float saturation);
// The control colour as the bytes painted on matching pixels.
void ControlBytes(const KEPLightSettings& settings, unsigned char rgb[3]);

// Copies src to dst (both width x height), then paints the control colour
// over each examined pixel of the area that matches; alpha is kept.
void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                  const KEPAnalysisArea& area, const KEPLightSettings& settings);

}  // namespace KEPLightAnalysis
