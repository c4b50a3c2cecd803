#pragma once

#include <cstddef>
#include <vector>

// Colour components of a rectangle of an RGBA image as floats, three per
// pixel, rows one after the other in the image's order: the arrays that the
// smoothing and blur work on.
//
// Every component lies in 0..1, so that one diffusion parameter fits them
// all: red, green and blue are byte / 255; hue is degrees / 360, lightness
// and saturation are as the colour model gives them. A grey pixel has no hue:
// its hue is kUndefinedHue.
namespace KEPComponentArrays {

enum Space : int { kRGB = 0, kHLS = 1 };
inline constexpr float kUndefinedHue = -1.0f;

// The components of the rectangle (x, y, width, height), which must lie in
// the image, of an image `imageWidth` pixels wide.
std::vector<float> Export(const unsigned char* rgba, int imageWidth, int x, int y, int width,
                          int height, int space);

// Writes components back into the rectangle. A pixel whose components are
// those it gives already keeps its bytes (an untouched pixel never moves by
// a rounding); the others get the nearest bytes. Alpha is kept. A pixel
// without hue is written grey whatever its saturation, having no hue to show
// it with. Returns the number of pixels that changed.
std::size_t Import(unsigned char* rgba, int imageWidth, int x, int y, int width, int height,
                   int space, const float* components);

}  // namespace KEPComponentArrays
