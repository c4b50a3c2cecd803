#pragma once

#include <span>

#include "paint/KEPRaster.h"

// The small pictures that show what a drawing tool will do with the current
// colour and parameters: the live sample of the tool-settings window and the
// tool view of the draw toolbar. The shapes are laid out for a picture of
// 160 x 100 pixels and scaled to the picture given, so that the settings
// window (160 x 100) draws them exactly where its layout says.
//
// Tool codes are the document's, one bit each.
inline constexpr int KEP_SAMPLE_RECTANGLE = 2;
inline constexpr int KEP_SAMPLE_FILLED_RECTANGLE = 4;
inline constexpr int KEP_SAMPLE_CIRCLE = 8;
inline constexpr int KEP_SAMPLE_FILLED_CIRCLE = 16;
inline constexpr int KEP_SAMPLE_LINE = 32;
inline constexpr int KEP_SAMPLE_FILLED_POLYGON = 64;
inline constexpr int KEP_SAMPLE_HAND = 128;
inline constexpr int KEP_SAMPLE_FILLED_HAND = 256;
inline constexpr int KEP_SAMPLE_PAINT = 512;
inline constexpr int KEP_SAMPLE_ERASER = 1024;
inline constexpr int KEP_SAMPLE_SPRAY = 2048;
inline constexpr int KEP_SAMPLE_SELECT_RECTANGLE = 0x1000;
inline constexpr int KEP_SAMPLE_SELECT_POLYGON = 0x2000;
inline constexpr int KEP_SAMPLE_SELECT_HAND = 0x4000;
inline constexpr int KEP_SAMPLE_SELECT_CIRCLE = 0x8000;
inline constexpr int KEP_SAMPLE_COLOR = 0x10000;

struct KEPToolParameters {
  int thickness = 0;
  float blend = 0.0f;  // weight of the pixel already there
  int radius = 10;     // spray
  int density = 12;    // spray dots per burst
};

// Draws the sample of one of the eleven drawing tools onto the picture (which
// the caller has cleared): the shape of the tool, or nothing for the fill and
// for any other code. The spray draws from drand48 as the tool does.
void DrawToolSample(std::span<unsigned char> buffer, int width, int height, int tool,
                    KEPPaintColour colour, const KEPToolParameters& parameters);

// The draw toolbar's picture: the tool sample, and besides a filled outline
// for the fill, a band partly erased back to the background for the eraser,
// a patch of the colour for the sample-colour tool, and for the selection
// tools the shape's outline in black and white dashes with the selected side
// dotted (side 0 the inside, 1 the outside). `background` is the byte the
// picture was cleared with.
void DrawToolbarSample(std::span<unsigned char> buffer, int width, int height, int tool,
                       KEPPaintColour colour, const KEPToolParameters& parameters, int side,
                       unsigned char background);
