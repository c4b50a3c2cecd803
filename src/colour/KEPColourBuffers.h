#pragma once

#include <cstddef>

// Whole-buffer colour conversions between the image's RGBA bytes and floats
// per pixel, for the effects that work on every pixel of a render. Each
// gives, pixel for pixel, exactly what the single-colour classes give
// (KEPRGBColor, KEPHLSColor, KEPYIQColor) for channel values v / 255, but
// works on blocks of pixels that the compiler turns into vector code (and,
// on processors that have them, into wider vectors chosen at run time).
namespace KEPColourBuffers {

// RGBA bytes (4 per pixel) to hue, lightness, saturation (3 floats per
// pixel): hue in degrees 0..360, -1 when undefined; lightness and saturation
// 0..1.
void RgbaToHls(const unsigned char* rgba, std::size_t pixels, float* hls);
// Hue, lightness, saturation back to the red, green and blue bytes, each
// the nearest byte to value * 255 (ties to even, clamped to 0..255, and 0
// for a value that is not a number); alpha is left as it is.
void HlsToRgba(const float* hls, std::size_t pixels, unsigned char* rgba);

// The Y of YIQ of each pixel (one float per pixel) from the channels
// divided by 255, as KEPRGBColor(v / 255 ...).ConvertToYIQColor gives it.
void RgbaToLuminance(const unsigned char* rgba, std::size_t pixels, float* y);
// The same from the raw channel values 0..255 (Y then runs from 0 to 255).
void RgbaToByteLuminance(const unsigned char* rgba, std::size_t pixels, float* y);

}  // namespace KEPColourBuffers
