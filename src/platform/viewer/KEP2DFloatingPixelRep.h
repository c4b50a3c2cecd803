#pragma once

#include <vector>

#include "platform/viewer/KEPCatalog2DImagePixelRep.h"

// A pixel representation that owns its pixels: the floating object of a
// paste (dragged with a manipulator, its translation being its place) and
// the temporary blocks a viewer shows while a render streams in. Drawn above
// what lies beneath by default, so that the fully transparent pixels around
// a pasted shape let the image show through.
class KEP2DFloatingPixelRep : public KEPCatalog2DImagePixelRep {
 public:
  KEP2DFloatingPixelRep() { SetDrawMode(kAboveBackground); }
  // Copies width x height pixels from `pixels` (bottom row first).
  KEP2DFloatingPixelRep(const unsigned char* pixels, int width, int height);

  // Takes the buffer; it must hold width * height * 4 bytes. 0 on success,
  // -1 (representation emptied) otherwise.
  int SetOwnedPixels(std::vector<unsigned char>&& pixels, int width, int height);
  const std::vector<unsigned char>& GetOwnedPixels() const { return _owned; }
  // For editing in place (rotations, flips); call UpdatePixels() afterwards.
  unsigned char* GetMutablePixels() { return _owned.empty() ? nullptr : _owned.data(); }

 private:
  std::vector<unsigned char> _owned;
};
