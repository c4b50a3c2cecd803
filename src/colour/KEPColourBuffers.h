#pragma once

#include <cstddef>

// Whole-buffer colour conversions between the image's RGBA bytes and three
// floats per pixel, for the effects that work on every pixel of a render.
// Each gives, pixel for pixel, exactly what the single-colour classes give
// (KEPRGBColor, KEPHLSColor) for channel values v / 255.
namespace KEPColourBuffers {

// RGBA bytes (4 per pixel) to hue, lightness, saturation (3 floats per
// pixel): hue in degrees 0..360, -1 when undefined; lightness and saturation
// 0..1.
void RgbaToHls(const unsigned char* rgba, std::size_t pixels, float* hls);
// Hue, lightness, saturation back to the red, green and blue bytes, each
// the nearest byte to value * 255 (clamped to 0..255); alpha is left as it
// is.
void HlsToRgba(const float* hls, std::size_t pixels, unsigned char* rgba);

}  // namespace KEPColourBuffers
