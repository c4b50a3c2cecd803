#pragma once

#include <span>

#include "paint/KEPGeometry.h"
#include "paint/KEPRaster.h"

// The colour chooser's pixel work: replacing one colour by another in an
// image, and the swatch that shows the colour being chosen.

// Replaces, in the rectangle (x, y, w, h) of a width x height picture (cut
// to the picture), every pixel that equals `match` in each channel whose
// match value is not 256 (all channels 256: every pixel) by `paint` in each
// channel whose paint value is not 256; the other bytes stay. With a mask, a
// pixel inside the mask's rectangle whose mask byte differs from `side` is
// left alone. Returns the number of pixels that the replacement changes; with
// `countOnly` nothing is written (so a caller keeps an undo copy only when
// something will change).
long long MatchColor(std::span<unsigned char> pixels, int width, int height, int x, int y, int w,
                     int h, const KEPSelectionMask* mask, int side, KEPPaintColour match,
                     KEPPaintColour paint, bool countOnly = false);

// The swatch of a colour: each channel that is not 256 takes its value; the
// channels that are 256 take, in channel order, 255 * row / height, then
// 255 * column / width, then the integer mean of those two, so that switched
// off channels show as gradients.
void FillColourSwatch(std::span<unsigned char> swatch, int width, int height,
                      KEPPaintColour colour);
