#include "atelo-render/KEPRenderTiles.h"

#include <algorithm>
#include <cmath>
#include <random>

bool KEPParseRenderOrder(const std::string& text, KEPRenderOrder& order) {
  if (text == "rows")
    order = KEPRenderOrder::Rows;
  else if (text == "columns")
    order = KEPRenderOrder::Columns;
  else if (text == "random")
    order = KEPRenderOrder::Random;
  else if (text == "spiral")
    order = KEPRenderOrder::Spiral;
  else
    return false;
  return true;
}

std::vector<KEPRenderRect> KEPRenderPatches(const KEPRenderRect& area, int patchWidth,
                                            int patchHeight, KEPRenderOrder order,
                                            std::uint32_t seed) {
  std::vector<KEPRenderRect> patches;
  if (area.width <= 0 || area.height <= 0 || patchWidth <= 0 || patchHeight <= 0) return patches;
  int columns = (area.width + patchWidth - 1) / patchWidth;
  int rows = (area.height + patchHeight - 1) / patchHeight;
  auto patch = [&](int column, int row) {
    int x = column * patchWidth, y = row * patchHeight;
    return KEPRenderRect{area.x + x, area.y + y, std::min(patchWidth, area.width - x),
                         std::min(patchHeight, area.height - y)};
  };
  if (order == KEPRenderOrder::Columns) {
    for (int column = 0; column < columns; ++column)
      for (int row = 0; row < rows; ++row) patches.push_back(patch(column, row));
    return patches;
  }
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column) patches.push_back(patch(column, row));
  if (order == KEPRenderOrder::Random) {
    std::mt19937 random(seed);
    std::shuffle(patches.begin(), patches.end(), random);
  } else if (order == KEPRenderOrder::Spiral) {
    // Ring by ring around the centre patch, each ring walked by angle.
    double cx = (columns - 1) / 2.0, cy = (rows - 1) / 2.0;
    auto key = [&](const KEPRenderRect& r) {
      double dx = (r.x - area.x) / patchWidth - cx, dy = (r.y - area.y) / patchHeight - cy;
      double ring = std::max(std::fabs(dx), std::fabs(dy));
      return std::pair<double, double>(std::round(ring), std::atan2(dy, dx));
    };
    std::stable_sort(
        patches.begin(), patches.end(),
        [&](const KEPRenderRect& a, const KEPRenderRect& b) { return key(a) < key(b); });
  }
  return patches;
}

KEPRenderRect KEPFramePartRect(int part, int frameWidth, int frameHeight) {
  if (part <= 0 || part > 16) return {0, 0, frameWidth, frameHeight};
  int w = frameWidth / 4, h = frameHeight / 4;
  int column = (part - 1) % 4, row = (part - 1) / 4;
  return {column * w, row * h, w + (column == 3 ? frameWidth % 4 : 0),
          h + (row == 3 ? frameHeight % 4 : 0)};
}
