#include "effects/KEPComposeLayout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// A sheet side from a patch side and a count, kept within an int.
int Product(int a, int b) {
  return static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(a) * b, INT_MAX));
}

}  // namespace

void KEPComposeLayout::Init(int w, int h, int images) {
  width = std::max(w, 1);
  height = std::max(h, 1);
  int side = 1;
  while (static_cast<std::int64_t>(side) * side < images) ++side;
  countX = countY = side;
  patchWidth = std::max(width / countX, 1);
  patchHeight = std::max(height / countY, 1);
}

void KEPComposeLayout::ReduceCounts() {
  if (static_cast<std::int64_t>(patchWidth) * countX > width)
    countX = std::max(width / patchWidth, 1);
  if (static_cast<std::int64_t>(patchHeight) * countY > height)
    countY = std::max(height / patchHeight, 1);
}

bool KEPComposeLayout::SetImageSize(int w, int h) {
  if (w < 1 || h < 1) return false;
  width = w;
  height = h;
  if (patchSizeFixed) {
    if (patchWidth > width / countX) countX = std::max(width / patchWidth, 1);
    if (patchHeight > height / countY) countY = std::max(height / patchHeight, 1);
  } else {
    patchWidth = std::max(width / countX, 1);
    patchHeight = std::max(height / countY, 1);
  }
  return true;
}

bool KEPComposeLayout::SetPatchSize(int w, int h) {
  if (w < 1 || h < 1) return false;
  patchWidth = w;
  patchHeight = h;
  if (imageSizeFixed) {
    ReduceCounts();
  } else {
    width = Product(patchWidth, countX);
    height = Product(patchHeight, countY);
  }
  return true;
}

bool KEPComposeLayout::SetPatchCount(int across, int down) {
  if (across < 1 || down < 1) return false;
  countX = across;
  countY = down;
  if (!patchSizeFixed) {
    patchWidth = std::max(width / countX, 1);
    patchHeight = std::max(height / countY, 1);
  } else if (imageSizeFixed) {
    ReduceCounts();
  } else {
    width = Product(patchWidth, countX);
    height = Product(patchHeight, countY);
  }
  return true;
}
