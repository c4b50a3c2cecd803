#include "colour/KEPColourBuffers.h"

#include <cmath>

#include "colour/KEPHLSColor.h"
#include "colour/KEPRGBColor.h"

namespace {

unsigned char ToByte(float value) {
  float scaled = std::nearbyint(value * 255.0f);
  if (scaled < 0.0f) return 0;
  if (scaled > 255.0f) return 255;
  return static_cast<unsigned char>(scaled);
}

}  // namespace

namespace KEPColourBuffers {

void RgbaToHls(const unsigned char* rgba, std::size_t pixels, float* hls) {
  KEPHLSColor out(-1.0f, 0.0f, 0.0f);
  for (std::size_t i = 0; i < pixels; ++i, rgba += 4, hls += 3) {
    KEPRGBColor(rgba[0] / 255.0f, rgba[1] / 255.0f, rgba[2] / 255.0f).ConvertToHLSColor(out);
    hls[0] = out.GetHue();
    hls[1] = out.GetLightness();
    hls[2] = out.GetSaturation();
  }
}

void HlsToRgba(const float* hls, std::size_t pixels, unsigned char* rgba) {
  KEPRGBColor out(0.0f, 0.0f, 0.0f);
  for (std::size_t i = 0; i < pixels; ++i, rgba += 4, hls += 3) {
    KEPHLSColor(hls[0], hls[1], hls[2]).ConvertToRGBColor(out);
    rgba[0] = ToByte(out.GetRed());
    rgba[1] = ToByte(out.GetGreen());
    rgba[2] = ToByte(out.GetBlue());
  }
}

}  // namespace KEPColourBuffers
