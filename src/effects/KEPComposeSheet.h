#pragma once

#include <functional>
#include <string>
#include <vector>

#include "effects/KEPCompose.h"

class KEPAtelIma;

// Lays images out on a contact sheet: the background (an image file, fitted
// or centred, over a vertical gradient), then one patch per image, zoomed to
// fit its patch or cut to it, row after row from the top.
namespace KEPComposeSheet {

struct Options {
  KEPCompose::Grid grid;   // the gaps are filled in by Build
  bool clip = false;       // cut the images instead of zooming them
  bool fit = false;        // zoom the background to the sheet
  std::string background;  // image file, or empty
  int top[3] = {0, 0, 0};
  int bottom[3] = {0, 0, 0};
};

// Progress lines, each ending with a newline (some are given in two parts).
using Report = std::function<void(const std::string& text)>;
// An image that could not be read: its error text (the image is skipped).
using Failure = std::function<void(const char* text)>;

// Fills `sheet`, whose pixels are allocated at the grid's size, with the
// background and the patches of `images` in order (at most one per cell).
// Images whose pixels are not in memory are read for the time of their
// patch. Returns the number of patches placed.
int Build(KEPAtelIma& sheet, const std::vector<KEPAtelIma*>& images, Options& options,
          const Report& report, const Failure& failure);

}  // namespace KEPComposeSheet
