#include "platform/viewer/KEP2DFloatingPixelRep.h"

#include <cstddef>

KEP2DFloatingPixelRep::KEP2DFloatingPixelRep(const unsigned char* pixels, int width, int height) {
  SetDrawMode(kAboveBackground);
  // Sizes are checked before the copy so that a wild size never allocates.
  if (pixels && width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide) {
    std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    SetOwnedPixels(std::vector<unsigned char>(pixels, pixels + bytes), width, height);
  }
}

int KEP2DFloatingPixelRep::SetOwnedPixels(std::vector<unsigned char>&& pixels, int width,
                                          int height) {
  bool sized =
      width > 0 && height > 0 &&
      pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  if (!sized) {
    _owned.clear();
    SetPixels(nullptr, 0, 0);
    return -1;
  }
  _owned = std::move(pixels);
  if (SetPixels(_owned.data(), width, height) != 0) {
    _owned.clear();
    return -1;
  }
  return 0;
}
