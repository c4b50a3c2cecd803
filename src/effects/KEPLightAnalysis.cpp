#include "effects/KEPLightAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "colour/KEPColourBuffers.h"
#include "colour/KEPRGBColor.h"
#include "effects/KEPAnalysisArea.h"

namespace {

// Into -180..180 by whole turns (truncated, so 180 itself becomes -180).
float CentredHue(float hue) {
  return hue - static_cast<float>(static_cast<int>((hue + 180.0f) / 360.0f) * 360);
}

}  // namespace

namespace KEPLightAnalysis {

float HueDistance(float hue1, float hue2) {
  const float d = std::fabs(CentredHue(hue1) - CentredHue(hue2));
  return std::min(d, 360.0f - d);
}

bool Matches(const KEPLightSettings& settings, float hue, float lightness, float saturation) {
  const KEPHLSColor& selected = settings.selected;
  if (settings.hueTest) {
    const bool undefined = hue == -1.0f, selectedUndefined = selected.GetHue() == -1.0f;
    if (undefined != selectedUndefined) return false;
    if (!undefined &&
        static_cast<double>(HueDistance(hue, selected.GetHue())) / 180.0 > settings.huePrecision)
      return false;
  }
  if (settings.lightTest &&
      std::fabs(lightness - selected.GetLightness()) > settings.lightPrecision)
    return false;
  if (settings.saturationTest &&
      std::fabs(saturation - selected.GetSaturation()) > settings.saturationPrecision)
    return false;
  return true;
}

void ControlBytes(const KEPLightSettings& settings, unsigned char rgb[3]) {
  KEPRGBColor colour(0.0f, 0.0f, 0.0f);
  settings.control.ConvertToRGBColor(colour);
  rgb[0] = static_cast<unsigned char>(static_cast<int>(colour.GetRed() * 255.0));
  rgb[1] = static_cast<unsigned char>(static_cast<int>(colour.GetGreen() * 255.0));
  rgb[2] = static_cast<unsigned char>(static_cast<int>(colour.GetBlue() * 255.0));
}

void AnalyseImage(const unsigned char* src, unsigned char* dst, int width, int height,
                  const KEPAnalysisArea& area, const KEPLightSettings& settings) {
  if (width <= 0 || height <= 0) return;
  if (src != dst) std::memcpy(dst, src, static_cast<std::size_t>(width) * height * 4);
  if (area.IsEmpty()) return;
  unsigned char control[3];
  ControlBytes(settings, control);
  std::vector<float> hls(static_cast<std::size_t>(area.GetWidth()) * 3);
  for (int row = 0; row < area.GetHeight(); ++row) {
    const std::size_t start = static_cast<std::size_t>(area.GetY() + row) * width + area.GetX();
    KEPColourBuffers::RgbaToHls(src + start * 4, area.GetWidth(), hls.data());
    unsigned char* out = dst + start * 4;
    for (int column = 0; column < area.GetWidth(); ++column, out += 4) {
      const float* p = &hls[3 * static_cast<std::size_t>(column)];
      if (area.IsExamined(column, row) && Matches(settings, p[0], p[1], p[2]))
        std::memcpy(out, control, 3);
    }
  }
}

}  // namespace KEPLightAnalysis
