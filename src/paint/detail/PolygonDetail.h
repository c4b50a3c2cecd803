#pragma once

#include <span>
#include <vector>

namespace kep_raster {

// ClipPolygone with integer results: the clipped points are whole pixels.
std::vector<int> ClipToPixels(std::span<const float> points, int width, int height, float offsetX,
                              float offsetY);

}  // namespace kep_raster
