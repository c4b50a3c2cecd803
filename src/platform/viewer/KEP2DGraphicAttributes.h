#pragma once

#include <QColor>

// How the primitives of a custom representation are stroked: colour, solid
// or dashed, line width in screen pixels (outlines keep their width
// whatever the zoom), and whether closed shapes are filled with the colour.
struct KEP2DGraphicAttributes {
  QColor colour = QColor(255, 255, 255);
  bool dashed = false;
  float width = 1.0f;
  bool filled = false;
  // The colour between the dashes of a dashed line; invalid leaves them
  // open. Two colours keep an outline visible over any picture.
  QColor gapColour = QColor();
};
