#include "effects/KEPCompose.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace KEPCompose {

void Gaps(int total, int count, int patch, int& gap, int& margin) {
  const double share = static_cast<double>(total - static_cast<std::int64_t>(patch) * count) /
                       static_cast<double>(count + 1);
  if (share == std::floor(share)) {
    gap = static_cast<int>(share);
    margin = gap;
    return;
  }
  auto centred = [&](double g) { return (total - ((g + patch) * (count - 1) + patch)) * 0.5; };
  double g = std::nearbyint(share);
  double m = centred(g);
  if (m < 0.0) {
    g = std::floor(share);
    m = centred(g);
  }
  gap = static_cast<int>(g);
  margin = static_cast<int>(m);
}

void ZoomSize(int iw, int ih, int pw, int ph, int& width, int& height) {
  // iw / ih > pw / ph, without the rounding of a division.
  if (static_cast<std::int64_t>(iw) * ph > static_cast<std::int64_t>(pw) * ih) {
    width = pw;
    height = static_cast<int>(static_cast<std::int64_t>(ih) * pw / iw);
  } else {
    width = static_cast<int>(static_cast<std::int64_t>(iw) * ph / ih);
    height = ph;
  }
  width = std::max(width, 1);
  height = std::max(height, 1);
}

void CutAxis(int size, int patch, int& offset, int& length) {
  if (size < patch) {
    offset = 0;
    length = size;
  } else {
    offset = (size - patch) / 2;
    length = patch;
  }
}

void ComputeGaps(Grid& grid) {
  Gaps(grid.width, grid.countX, grid.patchWidth, grid.gapX, grid.marginX);
  Gaps(grid.height, grid.countY, grid.patchHeight, grid.gapY, grid.marginY);
}

void PatchPosition(const Grid& grid, int k, int width, int height, int& x, int& y) {
  const int column = k % grid.countX;
  const int row = (k / grid.countX) % grid.countY;
  x = grid.marginX + column * (grid.patchWidth + grid.gapX) + (grid.patchWidth - width) / 2;
  y = grid.height - grid.marginY - row * (grid.patchHeight + grid.gapY) - grid.patchHeight +
      (grid.patchHeight - height) / 2;
}

void FillGradient(unsigned char* pixels, int width, int height, const int top[3],
                  const int bottom[3]) {
  if (!pixels || width <= 0 || height <= 0) return;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  for (int k = 0; k < height; ++k) {
    unsigned char colour[4];
    for (int c = 0; c < 3; ++c) {
      const std::int64_t value =
          top[c] + static_cast<std::int64_t>(k) * (bottom[c] - top[c]) / height;
      colour[c] = static_cast<unsigned char>(std::clamp<std::int64_t>(value, 0, 255));
    }
    colour[3] = 255;
    unsigned char* row = pixels + static_cast<std::size_t>(height - 1 - k) * rowBytes;
    for (int x = 0; x < width; ++x) std::memcpy(row + 4 * x, colour, 4);
  }
}

}  // namespace KEPCompose
