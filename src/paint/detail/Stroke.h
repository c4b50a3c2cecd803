#pragma once

#include <cstdint>

#include "paint/detail/KEPMotifSpans.h"
#include "paint/detail/KEPPixelBlender.h"

namespace kep_raster {

// DrawMotif and DrawSegment on a checked buffer with the blend and the motif
// already prepared, so that a polygon's outline prepares them once.
void StampMotif(unsigned char* buffer, int width, int height, const KEPPixelBlender& blender,
                const KEPMotifSpans& motif, std::int64_t x, std::int64_t y);
void StrokeSegment(unsigned char* buffer, int width, int height, const KEPPixelBlender& blender,
                   const KEPMotifSpans& motif, int x1, int y1, int x2, int y2);

}  // namespace kep_raster
