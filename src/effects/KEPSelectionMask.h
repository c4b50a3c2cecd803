#pragma once

#include <algorithm>

// Which pixels of an image an effect may change: the document's selection
// mask seen from the effects. The mask covers a rectangle of the image, one
// byte per pixel (0 inside the drawn shape, 1 outside); `side` says which of
// the two is selected (0 "In", 1 "Out"). Without bytes every pixel takes
// part.
struct KEPSelectionMask {
  const unsigned char* bytes = nullptr;
  int x = 0, y = 0, width = 0, height = 0;
  int side = 0;

  // A pixel inside the mask's rectangle takes part when its byte equals the
  // side; one outside the rectangle always does.
  bool TakesPart(int px, int py) const {
    if (!bytes) return true;
    const int mx = px - x, my = py - y;
    if (mx < 0 || my < 0 || mx >= width || my >= height) return true;
    return bytes[static_cast<long>(my) * width + mx] == side;
  }

  // The rectangle an effect works on in a width x height image: the mask's
  // rectangle with the side "In", else the whole image; clipped to the image
  // so that a stale mask can never reach outside it.
  void ProcessedRect(int imageWidth, int imageHeight, int& rx, int& ry, int& rw, int& rh) const {
    if (!bytes || side != 0) {
      rx = ry = 0;
      rw = imageWidth;
      rh = imageHeight;
      return;
    }
    rx = std::clamp(x, 0, imageWidth);
    ry = std::clamp(y, 0, imageHeight);
    rw = std::clamp(x + width, 0, imageWidth) - rx;
    rh = std::clamp(y + height, 0, imageHeight) - ry;
  }
};
